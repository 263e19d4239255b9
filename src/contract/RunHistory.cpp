#include "contract/RunHistory.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/InputFile.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHashDigits = 12;
const QString kDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString kNameDateFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString PathIn(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

} // namespace

namespace RunHistory {

QString Fingerprint(const QByteArray& bytes) {
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(kHashDigits));
}

std::optional<FileError> Keep(const QString& logFile, double score, const QString& folder) {
    const InputFile::Result log = InputFile::read(logFile, ResultsLogReader::kMaxLogSize);
    if (log.error) {
        return log.error;
    }
    if (log.tooLarge) {
        return FileError{
            FileError::Operation::Read, logFile,
            QStringLiteral("soubor je větší než %1 MiB").arg(ResultsLogReader::kMaxLogSize / (1024 * 1024))};
    }
    const QByteArray& bytes = log.bytes;

    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && errno != EEXIST) {
        return FileError::fromSystem(FileError::Operation::Write, folder, errno);
    }
    const QString hash = Fingerprint(bytes);
    QDir dir(folder);
    if (!dir.entryList({QStringLiteral("*-%1.log").arg(hash)}, QDir::Files).isEmpty()) {
        return std::nullopt;
    }

    using EngineContract::LogLine;
    // Read once more, only as far as its header.
    const QStringList header = ResultsLogReader(logFile).header();
    QDateTime when = QDateTime::fromString(header.value(int(LogLine::Date)), kDateFormat);
    if (!when.isValid()) {
        when = QFileInfo(logFile).lastModified();
    }
    const QString base = PathIn(folder, when.toString(kNameDateFormat) + QLatin1Char('-') + hash);
    // The log first: a sidecar never stands without its log.
    if (std::optional<FileError> error = TextFile::Replace(base + QStringLiteral(".log"), bytes)) {
        return error;
    }
    const QByteArray sidecar = TextFile::JoinLines({
        when.toString(kDateFormat).toLatin1(),
        NumberRules::FormatScore(score).toLatin1(),
        Cp1250Codec::encode(header.value(int(LogLine::Conditions))).bytes,
        Cp1250Codec::encode(header.value(int(LogLine::GraphicsCard))).bytes,
    });
    if (std::optional<FileError> error = TextFile::Replace(base + QStringLiteral(".txt"), sidecar)) {
        return error;
    }

    // The names begin with the date, so their order is the runs' order.
    const QStringList kept = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    for (qsizetype i = 0; i + kMaxRuns < kept.size(); ++i) {
        const QString oldest = PathIn(folder, kept[i]);
        QFile::remove(oldest.chopped(4) + QStringLiteral(".txt"));
        QFile file(oldest);
        if (!file.remove()) {
            return FileError{FileError::Operation::Write, oldest, file.errorString()};
        }
    }
    return std::nullopt;
}

FileResult<QList<Entry>> List(const QString& folder) {
    QList<Entry> entries;
    const QDir dir(folder);
    if (!dir.exists()) {
        return entries;
    }
    if (::access(QFile::encodeName(folder).constData(), R_OK | X_OK) != 0) {
        return FileError::fromSystem(FileError::Operation::Read, folder, errno);
    }
    const QStringList logs =
        dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString& name : logs) {
        Entry entry;
        entry.logFile = PathIn(folder, name);
        entry.fingerprint = name.chopped(4).right(kHashDigits);
        LineReader reader(entry.logFile.chopped(4) + QStringLiteral(".txt"));
        QStringList sidecar;
        while (sidecar.size() < 4 && !reader.atEnd() && !reader.lineTooLong()) {
            sidecar.append(Cp1250Codec::decode(reader.readLine().toByteArray()));
        }
        if (!reader.error() && !reader.lineTooLong() && sidecar.size() == 4) {
            entry.date = sidecar[0];
            entry.score = sidecar[1].trimmed();
            entry.conditions = sidecar[2];
            entry.graphicsCard = sidecar[3];
        } else {
            entry.date = QDateTime::fromString(name.left(15), kNameDateFormat).toString(kDateFormat);
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace RunHistory
