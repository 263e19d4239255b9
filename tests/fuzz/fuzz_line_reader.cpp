// The streaming line reader where it is hardest: at the end of its read
// buffer. A first line of filler puts the rest of the input so that the
// buffer ends the chosen number of bytes into it, after a line end of the
// chosen kind, so a CR LF pair, a lone CR or a line may be split by the
// buffer's end. The lines read must be exactly those of the line rule.
#include "FuzzSupport.h"
#include "common/TextFile.h"

namespace {

// The reader's buffer size: the filler is measured against it.
constexpr qsizetype kBuffer = 256 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // First byte: where the buffer ends in the rest (low 7 bits), and
    // whether the filler line ends with CR or LF (high bit).
    const qsizetype into = data[0] & 0x7F;
    const char lineEnd = (data[0] & 0x80) ? '\r' : '\n';
    QByteArray bytes(kBuffer - into - 1, 'x');
    bytes += lineEnd;
    bytes.append(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    const QString name = Fuzz::privateFolder() + QStringLiteral("/radky.txt");
    Fuzz::writeInput(name, reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    FileError error;
    const std::optional<QList<QByteArray>> lines = TextFile::ReadLines(name, &error);
    FUZZ_CHECK(lines.has_value());
    FUZZ_CHECK(*lines == Fuzz::referenceLines(bytes));
    return 0;
}
