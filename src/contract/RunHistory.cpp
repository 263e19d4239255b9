#include "contract/RunHistory.h"

#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/InputFile.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TestOrder.h"
#include "contract/TextFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kHashDigits = 12;
const QString kNameDateFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString PathIn(const QString& folder, const QString& name) {
    return folder + QLatin1Char('/') + name;
}

// A log the history named itself: "<yyyyMMdd-HHmmss>-<12 hex digits>.log"
// with a date that exists. Nothing else in the folder is listed or removed.
bool IsRunName(const QString& name) {
    static const QRegularExpression form(
        QStringLiteral("^([0-9]{8}-[0-9]{6})-[0-9a-f]{%1}\\.log$").arg(kHashDigits));
    const QRegularExpressionMatch match = form.match(name);
    return match.hasMatch() && QDateTime::fromString(match.captured(1), kNameDateFormat).isValid();
}

// The history's own runs, oldest first: their names begin with the date.
QStringList OwnRuns(const QDir& dir) {
    QStringList runs = dir.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name);
    runs.removeIf([](const QString& name) { return !IsRunName(name); });
    return runs;
}

// The history is a folder the program prunes. Like the lock file, the other
// file the program keeps for itself, it is refused when a symbolic link
// stands in its place, so that no run is written or removed in a folder
// elsewhere; the user's own files (systemy.dtb, …) are written through
// their links instead.
std::optional<FileError> LinkInPlace(const QString& folder, FileError::Operation operation) {
    struct stat status {};
    if (::lstat(QFile::encodeName(folder).constData(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        return std::nullopt;
    }
    return FileError{operation, folder,
                     QStringLiteral("Je to symbolický odkaz na „%1“, ne složka. Historie běhů se ukládá jen "
                                    "do složky „%2“ v pracovní složce, ne přes odkaz.")
                         .arg(QFile::symLinkTarget(folder), QFileInfo(folder).fileName())};
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
    using EngineContract::LogLine;
    const QStringList header = ResultsLogReader(bytes).header();
    // Blocks of other tests or in another order would be compared as the
    // standard ones by a reader that does not know the note: not kept, and
    // no fault of the run's.
    if (TestOrder::Named(header.value(int(LogLine::Conditions)))) {
        return std::nullopt;
    }
    if (std::optional<FileError> error = LinkInPlace(folder, FileError::Operation::Write)) {
        return error;
    }
    if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0 && errno != EEXIST) {
        return FileError::fromSystem(FileError::Operation::Write, folder, errno);
    }
    const QString hash = Fingerprint(bytes);
    const QDir dir(folder);
    QStringList kept = OwnRuns(dir);
    if (std::any_of(kept.cbegin(), kept.cend(),
                    [&hash](const QString& name) { return name.chopped(4).endsWith(hash); })) {
        return std::nullopt;
    }

    QDateTime when = QDateTime::fromString(header.value(int(LogLine::Date)), EngineContract::kLogDateFormat);
    if (!when.isValid()) {
        when = QFileInfo(logFile).lastModified();
    }
    const QString name = when.toString(kNameDateFormat) + QLatin1Char('-') + hash + QStringLiteral(".log");
    const QString base = PathIn(folder, name.chopped(4));
    // The log first: a sidecar never stands without its log.
    if (std::optional<FileError> error = TextFile::Replace(base + QStringLiteral(".log"), bytes)) {
        return error;
    }
    const QByteArray sidecar = TextFile::JoinLines({
        when.toString(EngineContract::kLogDateFormat).toLatin1(),
        NumberRules::FormatScore(score).toLatin1(),
        Cp1250Codec::encode(header.value(int(LogLine::Conditions))).bytes,
        Cp1250Codec::encode(header.value(int(LogLine::GraphicsCard))).bytes,
    });
    if (std::optional<FileError> error = TextFile::Replace(base + QStringLiteral(".txt"), sidecar)) {
        return error;
    }

    // The oldest by date go, but never the run just kept: a run dated before
    // the others (a log from another computer, a clock set back) would
    // otherwise vanish the moment it is kept, and the user looking for it in
    // the list would not find it. It is the oldest at the next keep. The
    // name's date, not the file's time, orders the runs, as it survives a
    // copy of the folder.
    kept.removeOne(name);
    for (qsizetype i = 0; i + kMaxRuns - 1 < kept.size(); ++i) {
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
    if (std::optional<FileError> error = LinkInPlace(folder, FileError::Operation::Read)) {
        return *error;
    }
    const QDir dir(folder);
    if (!dir.exists()) {
        return entries;
    }
    if (::access(QFile::encodeName(folder).constData(), R_OK | X_OK) != 0) {
        return FileError::fromSystem(FileError::Operation::Read, folder, errno);
    }
    QStringList logs = OwnRuns(dir);
    std::reverse(logs.begin(), logs.end());
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
            entry.date = QDateTime::fromString(name.left(15), kNameDateFormat)
                             .toString(EngineContract::kLogDateFormat);
        }
        entries.append(entry);
    }
    return entries;
}

} // namespace RunHistory
