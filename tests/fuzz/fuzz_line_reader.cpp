// The streaming line reader where it is hardest: at the end of its read
// buffer. Lines of filler put the rest of the input so that the buffer ends
// the chosen number of bytes into it, after a line end of the chosen kind,
// so a CR LF pair, a lone CR or a line may be split by the buffer's end. The
// lines read must be exactly those of the line rule; a line longer than the
// reader's limit is reported as too long.
#include "FuzzSupport.h"
#include "contract/LineReader.h"

namespace {

// The reader's buffer size: the filler is measured against it.
constexpr qsizetype kBuffer = 256 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    // First byte: where the buffer ends in the rest (low 6 bits), whether the
    // last filler line is one of about the reader's line limit, one byte
    // shorter to two longer (bit 6), and whether the filler lines end with
    // CR or LF (high bit).
    const qsizetype into = data[0] & 0x3F;
    const qsizetype lastLine = (data[0] & 0x40) ? LineReader::kMaxLineLength - 1 + (into & 3) : 0;
    const char lineEnd = (data[0] & 0x80) ? '\r' : '\n';
    const qsizetype shortLines = kBuffer - into - lastLine - 1;
    QByteArray bytes;
    while (bytes.size() < shortLines) {
        bytes += QByteArray(qMin<qsizetype>(999, shortLines - bytes.size() - 1), 'x') + lineEnd;
    }
    bytes += QByteArray(lastLine, 'y') + lineEnd;
    bytes.append(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));

    const QString name = Fuzz::privateFolder() + QStringLiteral("/radky.txt");
    Fuzz::writeInput(name, reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    const QList<QByteArray> expected = Fuzz::referenceLines(bytes);

    // A line too long comes empty and flagged, and the lines after it read
    // as they are.
    LineReader reader(name);
    qsizetype index = 0;
    while (!reader.atEnd()) {
        const QByteArrayView line = reader.readLine();
        FUZZ_CHECK(index < expected.size());
        FUZZ_CHECK(reader.lineNumber() == index + 1);
        const bool tooLong = expected.at(index).size() > LineReader::kMaxLineLength;
        FUZZ_CHECK(reader.lineTooLong() == tooLong);
        FUZZ_CHECK(tooLong ? line.isEmpty() : line == expected.at(index));
        ++index;
    }
    FUZZ_CHECK(!reader.error());
    FUZZ_CHECK(index == expected.size());
    return 0;
}
