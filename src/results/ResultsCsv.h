#pragma once

#include "ResultsDetails.h"

#include <QByteArray>
#include <QString>
#include <optional>

// The details of a run as CSV for spreadsheets and scripts: UTF-8, a header
// row, "," between fields, "." as decimal point, CR LF line ends. Two files:
// one row per frame, and beside it one row per test with the details
// window's figures. A value that is no frame rate keeps its row with its
// time and frame time empty. A thinned test has a row for each frame its log
// holds, numbered as the test's frames, and its sampling step in the test's
// row. The test's row ends with its smoothness (Smoothness), empty for a
// summary written before it. Pure functions but Write.
namespace ResultsCsv {

// The name the file dialog proposes, in the working folder.
inline const QString kDefaultFileName = QStringLiteral("vysledek.csv");

QByteArray FramesCsv(const ResultsDetails::Details& details);
QByteArray TestsCsv(const ResultsDetails::Details& details);

// The per-test file written beside the frames file: "vysledek.csv" gives
// "vysledek-testy.csv".
QString TestsFileName(const QString& framesFileName);

// Replaces both files safely, the frames file first. Empty on success;
// otherwise the first failure, and the files not yet written stay as they
// were.
std::optional<FileError> Write(const QString& framesFileName, const ResultsDetails::Details& details);

} // namespace ResultsCsv
