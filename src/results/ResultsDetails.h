#pragma once

#include "ResultsLog.h"
#include "contract/EnergyReport.h"
#include "contract/EngineContract.h"
#include "contract/FileResult.h"
#include "contract/FrameStatistics.h"
#include "contract/RunSummaryCodec.h"

#include <QList>
#include <QPointF>
#include <QString>
#include <optional>

// What the results log holds beyond the score: every test's frames and their
// figures, and the figures of the whole run, for the details window and its
// CSV export. The log's one evaluation (RunEvaluation) gives them with the
// score, so both judge a log alike. Pure functions, no state.
namespace ResultsDetails {

// A block's frames and figures, as the evaluation gives them.
using TestDetails = RunEvaluation::Test;

struct Details {
    ResultsLog::Outcome outcome = ResultsLog::Outcome::NoLog;
    // Filled for ReadFailed only.
    std::optional<FileError> error;
    // The rest is filled for Ok only.
    ResultsLog::ResultsLogSummary summary;
    QList<TestDetails> tests;
    // True when each test's index is the engine's test number: a log of all
    // seven tests, a log whose conditions line names its tests (TestOrder)
    // or a summary, which names its tests. A log of fewer tests written
    // before the line named them does not say which they were.
    bool testsNumbered = false;
    FrameStatistics::RunFigures run;
    // What the engine measured of energy and heat in this log's run
    // (EnergyReport::kFileName beside the log, when it is this log's), or
    // why there is nothing.
    std::optional<EnergyReport::Report> energy;
    QString energyMissing;
    // The engine's summary beside the log (kSummaryFileName) when it is the
    // summary of this log: its header lines, tests and score are the log's.
    std::optional<RunSummaryCodec::Summary> runSummary;
    // Why a summary beside the log could not be read, naming the file;
    // empty when there is none or it was read.
    QString summaryError;
};

// Where the front end looks for the engine's summary of the log
// (trenzor.exe --summary souhrn.json).
inline const QString kSummaryFileName = QStringLiteral("souhrn.json");

// A summary file read and decoded; the error names the file and the reason.
FileResult<RunSummaryCodec::Summary> ReadSummary(const QString& fileName);

// A log with a block longer than EngineContract::kMaxTestSeconds is
// Damaged: its times cannot be shown as a test's.
// With the default log, a summary beside it is read too.
Details ReadDetails(const QString& fileName = EngineContract::kResultsLogFileName);
// The details of an evaluated log or summary.
Details DetailsOf(const RunEvaluation& evaluation);

// The frame-time graph of a test: points (time since the test's start at the
// frame's end in s, frame time in ms), one list per run of usable frames. A
// value that is no frame rate ends a run: the line has a gap there, and the
// test's time does not advance. The running sum of frame times is
// multiplied by timeScale, so that a thinned block's sample spreads over
// the test's whole time (FrameStatistics::BlockFigures::timeScale).
QList<QList<QPointF>> FrameTimeRuns(const QList<double>& rates, double timeScale);

// The energy, power, points per watt, temperatures and clocks of the test
// in this row, each figure or "nedostupné" with its reason.
QString EnergyText(const Details& details, int row);

// A thinned test's mark, "vzorek: každý 2. snímek"; empty for a test whose
// every frame is in the log.
QString SampleMark(const TestDetails& test);

// The points of a run thinned for a graph this many columns wide between
// xFrom and xTo: of the points in each column only the first, the lowest,
// the highest and the last are kept, in their order, so the line covers the
// same pixels, every spike included, with at most four points a column.
QList<QPointF> Thinned(const QList<QPointF>& points, double xFrom, double xTo, int columns);

// A sustained run's scores over time: (minutes since its first run
// started, the run's score) for each run; empty for any other summary.
QList<QPointF> SustainedScores(const RunSummaryCodec::Summary& summary);

// The round step (1, 2 or 5 times a power of ten) nearest above a raw step:
// a graph's time axis is labelled 0, 2, 4 s whatever the test's length.
double RoundStep(double raw);

// Frame times in ms counted in equal bins from the shortest to the longest.
// Each rate counts as stride frames, so that a thinned block's bars count
// the test's frames, as the axis says; a stride from a hostile log can make
// that more than an int holds.
struct Histogram {
    double firstMs = 0;
    double binMs = 0;
    QList<qint64> counts;
};
Histogram FrameTimeHistogram(const QList<double>& rates, int bins, int stride);

} // namespace ResultsDetails
