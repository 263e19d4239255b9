// The systems database reader on arbitrary files: every complete four-line
// record is read, its texts the lines decoded, a cut last record skipped.
// Writing the records back gives exactly the bytes of those lines with CR LF
// line ends, and reading that gives the same records. A file with a line
// too long, too many records or too many bytes is refused with a reason.
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"
#include "contract/LineReader.h"
#include "contract/TextFile.h"
#include "results/SystemsDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fuzz::enterPrivateFolder();
    Fuzz::writeInput(SystemsDatabase::kFileName, data, size);
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    const QList<QByteArray> lines =
        Fuzz::referenceLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    // Refused: a line too long anywhere, too many records, a file too large.
    const bool refused = Fuzz::firstLineLongerThan(lines, LineReader::kMaxLineLength) < lines.size() ||
                         lines.size() / 4 > SystemsDatabase::kMaxRecordCount ||
                         qint64(size) > SystemsDatabase::kMaxFileSize;
    FUZZ_CHECK(records.ok() == !refused);
    if (refused) {
        FUZZ_CHECK(records.error()->fileName == SystemsDatabase::kFileName &&
                   !records.error()->reason.isEmpty());
        return 0;
    }
    FUZZ_CHECK(records->size() == lines.size() / 4);
    for (qsizetype i = 0; i < records->size(); ++i) {
        const SystemRecord& record = records->at(i);
        FUZZ_CHECK(record.computerText == Cp1250Codec::decode(lines.at(4 * i)));
        FUZZ_CHECK(record.scoreText == Cp1250Codec::decode(lines.at(4 * i + 1)));
        FUZZ_CHECK(record.graphicsCardText == Cp1250Codec::decode(lines.at(4 * i + 2)));
        FUZZ_CHECK(record.memoryText == Cp1250Codec::decode(lines.at(4 * i + 3)));
    }

    FUZZ_CHECK(!SystemsDatabase::WriteSystemsDatabase(*records));
    QFile written(SystemsDatabase::kFileName);
    FUZZ_CHECK(written.open(QIODevice::ReadOnly));
    FUZZ_CHECK(written.readAll() == TextFile::JoinLines(lines.first(records->size() * 4)));
    const FileResult<QList<SystemRecord>> again = SystemsDatabase::ReadSystemsDatabase();
    FUZZ_CHECK(again.ok() && *again == *records);
    return 0;
}
