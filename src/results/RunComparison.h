#pragma once

#include "ResultsDetails.h"
#include "contract/RunSummaryCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Two runs side by side: the current run (the details window's log) and an
// earlier or other one chosen by the user, a results log or the engine's
// JSON summary of a run (--summary). Per test both runs' average rate,
// 1% low and 99th-percentile frame time, their differences in percent, and
// whether the difference of the average rates is larger than the runs' own
// variation could make it. A summary has each test's figures but no frame
// times: its tests are compared by their figures and not judged. Pure
// functions, no state.
//
// The judgement. A test flies the same camera path in every run, so a moment
// of the test is the same place of the scene in both. Each run's test is cut
// along its time into kParts equal parts; a part's rate is its frames / its
// time. The log ratio of the two runs' rates in part j, d_j, removes what the
// scene costs at that place; what is left varies with the runs' own noise.
// Frame times are not independent (a slow stretch lasts for many frames), so
// neither are neighbouring d_j: while the lag-1 autocorrelation of the d_j
// (corrected for its bias of about −1 / n) exceeds kMaxAutocorrelation,
// neighbouring parts are merged in pairs (down to kMinParts). A paired
// t-test at 95 % then asks whether the mean of the d_j differs from 0, its
// standard error widened by (1 + r) / (1 − r) for a correlation r left.
//
// Stutter is judged the same way, its d_j being the difference of the
// stutter's share of part j's time in percent (a frame stutters beyond 2.5
// times its own run's median frame time, Smoothness): a share that is mostly
// 0 has no log ratio.
namespace RunComparison {

constexpr int kParts = 32;
constexpr int kMinParts = 4;
constexpr double kMaxAutocorrelation = 0;

enum class Verdict {
    // The current run is faster or slower beyond its noise.
    Faster,
    Slower,
    // "rozdíl v rámci šumu".
    WithinNoise,
    // A test missing in one run, or with too few frames to cut into parts.
    NotJudged,
    // A run that has the test's figures but not its frame times (a summary):
    // "bez snímků nelze posoudit".
    NoFrameTimes,
};

struct Judgement {
    Verdict verdict = Verdict::NotJudged;
    // The parts the test was judged on after merging.
    int parts = 0;
    // The ratio of the rates estimated from the parts as a difference in
    // percent, and the half-width of its 95 % interval in percent.
    double differencePercent = 0;
    double marginPercent = 0;
};

struct TestComparison {
    QString name;
    // The test's position in each run's tests; -1 for a test only the other
    // run has, whose figures are then 0.
    qsizetype currentAt = -1;
    qsizetype otherAt = -1;
    bool inCurrent() const { return currentAt >= 0; }
    bool inOther() const { return otherAt >= 0; }
    FrameStatistics::BlockFigures current;
    FrameStatistics::BlockFigures other;
    Judgement judgement;
    // Whether the stutter's share of the time differs; Faster when the
    // current run stutters less, the difference and margin in percentage
    // points.
    Judgement stutter;
};

struct Comparison {
    QList<TestComparison> tests;
    // What differs between the runs' conditions and graphics cards, one item
    // each, "okno 640x480 / okno 800x600"; empty when nothing does.
    QStringList conditionDifferences;
};

// (current / other − 1) × 100: how much the current run is above the other;
// 0 when the other's figure is 0.
double DifferencePercent(double current, double other);

// The judgement of one test from the rates of both runs as the log gives
// them. A thinned block's sample spreads over the test like its frames, so
// it is cut into parts the same way.
Judgement Judge(const QList<double>& currentRates, const QList<double>& otherRates);

// The judgement of the difference in stutter, each run's frames stuttering
// beyond its own limit (Smoothness::Figures::stutterLimitMs).
Judgement JudgeStutter(const QList<double>& currentRates, double currentLimitMs,
                       const QList<double>& otherRates, double otherLimitMs);

// One row per test of either run. When both runs number their tests
// (Details::testsNumbered), a row holds the same test of both, ordered by
// its number; otherwise the same position, as two logs of fewer tests give
// nothing else to go by.
Comparison Compare(const ResultsDetails::Details& current, const ResultsDetails::Details& other);

// The run of a file the user chose: a name ending in ".json" (any case) is
// read as a summary (RunEvaluation::OfSummary: its header, its last run's
// tests' figures and score, no frame times), any other as a results log
// (ResultsDetails). A summary
// that cannot be read, is no summary or has no test has the outcome
// ReadFailed with its error: the file and the reason.
ResultsDetails::Details ReadRun(const QString& fileName);

// True when the test's figures come without its frame times.
bool LacksFrameTimes(const ResultsDetails::TestDetails& test);

// The conditions line and the graphics card of each run, item by item.
QStringList ConditionDifferences(const ResultsLog::ResultsLogSummary& current,
                                 const ResultsLog::ResultsLogSummary& other);

// The warning line, "Podmínky běhů se liší: …"; empty when nothing differs.
QString ConditionsWarning(const QStringList& differences);

// The comparison as CSV, as the details window's export writes it: UTF-8,
// a header row, "," between fields, "." as decimal point, CR LF. One row per
// test: both runs' figures, the differences in percent and the judgement,
// then both runs' stutter and its judgement; a figure a run lacks is empty.
QByteArray Csv(const Comparison& comparison);

// "rychlejší", "pomalejší", "rozdíl v rámci šumu", "–", "bez snímků nelze
// posoudit".
QString VerdictText(Verdict verdict);
// The same for stutter: "méně záseků", "více záseků", and the others as
// VerdictText.
QString StutterVerdictText(Verdict verdict);

// A test's stutter in both runs and whether it differs, one line for the
// comparison window: "Záseky – Test 1: tento běh 2.44 % času, zvolený běh
// 0.00 % času: více záseků (+2.44 ± 1.10 procentního bodu, 95 %)".
QString StutterLine(const TestComparison& test);

} // namespace RunComparison
