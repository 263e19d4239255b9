#pragma once

#include "contract/FileResult.h"

#include <QList>
#include <QString>
#include <optional>

// The run history: complete runs kept in the folder "historie" beside the
// working folder's other files, so that a later run can be compared with
// them. Each run is its results log as the engine wrote it,
// "historie/<yyyyMMdd-HHmmss>-<first 12 hex digits of the log's SHA-1>.log",
// named after the log's own date line, and a sidecar of the same name ending
// in ".txt" whose four lines (the date, the score, the log's conditions line
// and its graphics card line) let the list be shown without reading every
// log. Only files of that name are the history's: whatever else lies in the
// folder is neither listed nor removed. A log already kept (the same bytes)
// is not kept twice; of more than kMaxRuns runs the oldest by date go, never
// the one just kept. A log whose conditions line names its tests (TestOrder)
// is not kept. A symbolic link in the folder's place is refused. Both the
// front end and the engine's "--history" keep runs through here. Pure
// functions over the file system, no state.
namespace RunHistory {

inline const QString kFolderName = QStringLiteral("historie");
constexpr int kMaxRuns = 100;

struct Entry {
    // The kept log's path, "historie/….log", and the fingerprint its name
    // ends with.
    QString logFile;
    QString fingerprint;
    QString date;
    QString score;
    QString conditions;
    QString graphicsCard;
};

// The first 12 hex digits of the bytes' SHA-1: a kept log's name ends with
// its log's.
QString Fingerprint(const QByteArray& bytes);

// Keeps the log with its score (the front end's evaluation of it). Nothing
// happens to the log itself, which is read once, as an input file of at most
// ResultsLogReader::kMaxLogSize. A log that names its tests is left out
// without an error. An error names the file that could not be read or
// written (the folder, when a link stands in its place) and the reason.
std::optional<FileError> Keep(const QString& logFile, double score, const QString& folder = kFolderName);

// The kept runs, newest first; none when the folder does not exist, an
// error when a link stands in its place. A run whose sidecar is missing or
// unreadable is listed with the date of its name.
FileResult<QList<Entry>> List(const QString& folder = kFolderName);

} // namespace RunHistory
