#pragma once

#include "contract/EngineContract.h"
#include "contract/FileError.h"
#include "contract/FrameStatistics.h"
#include "contract/RunSummaryCodec.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The one evaluation of a run, made from a results log's bytes (as the engine
// has just encoded them, or as a file holds them) or from the engine's JSON
// summary: the header lines by name, each test's frames and figures, the
// run's figures, the score and whether the run is rated. The front end's
// windows, the engine's summary and the history all take their figures from
// here, so that a log is worth the same everywhere. A value; made once, never
// changed.
class RunEvaluation {
public:
    // How far the log could be evaluated: what ResultsLogReader::Status says,
    // and for a log read without fault, frame counts that add up to 0
    // (ZeroFrames) or a sum or score that is not a finite number (Damaged).
    enum class Outcome {
        Ok,
        NoLog,
        Damaged,
        ZeroFrames,
        TooLarge,
        ReadFailed,
    };

    // Whether the run joins the comparison with other computers and its
    // history, and why not.
    enum class Rating {
        Rated,
        // The log could not be evaluated: see outcome.
        NotEvaluated,
        // Fewer blocks than the rated tests: no score is shown.
        TooFewTests,
        // More blocks than the rated tests (an endless run): its score is
        // shown, but it is no rated run's.
        TooManyTests,
    };

    struct Test {
        // The test's number where the run says it (testsNumbered), else the
        // block's position in the log, from 0.
        int index = 0;
        QString name;
        // The block's frames as the log gives them: instantaneous rates,
        // those that are 0, negative or not finite included (they are
        // gaps). In a thinned block, every figures.stride-th frame. Empty for
        // a summary's test, which has figures but no frame times.
        QList<double> rates;
        BlockSampling sampling;
        FrameStatistics::BlockFigures figures;
    };

    // A log's file, read whole through InputFile; anything but a normal file
    // is NoLog.
    static RunEvaluation OfFile(const QString& fileName);
    static RunEvaluation OfBytes(const QByteArray& bytes);
    // A summary's header, its last run's tests' figures and score.
    static RunEvaluation OfSummary(const RunSummaryCodec::Summary& summary);

    // The name a block shows: the test's own in a run of the seven tests,
    // "Test 1", "Test 2", … in a run of any other length.
    static QString TestName(int index, int blockCount);

    Outcome outcome() const { return m_outcome; }
    // Filled for ReadFailed only.
    const std::optional<FileError>& error() const { return m_error; }
    QString headerLine(EngineContract::LogLine line) const { return m_header.value(int(line)); }
    const QStringList& header() const { return m_header; }
    // The blocks of a log that could be evaluated (Ok or ZeroFrames).
    const QList<Test>& tests() const { return m_tests; }
    int blockCount() const { return int(m_tests.size()); }
    // True when each test's index is the engine's test number: a log of all
    // seven tests in their order, a log whose conditions line names its
    // tests (TestOrder), or a summary, which names its tests. A log of fewer
    // tests that names none does not say which they were.
    bool testsNumbered() const { return m_testsNumbered; }
    const FrameStatistics::RunFigures& run() const { return m_run; }
    // The sum of all the blocks' frame counts and of all their value lines,
    // the closing values included.
    qint64 totalFrames() const { return m_totalFrames; }
    double valueSum() const { return m_valueSum; }
    // valueSum / totalFrames: the mean instantaneous frame rate of all
    // frames. 0 unless the outcome is Ok.
    double score() const { return m_score; }
    Rating rating() const { return m_outcome == Outcome::Ok ? RatingOf(blockCount()) : Rating::NotEvaluated; }
    // The rating of an evaluated run of this many blocks.
    static Rating RatingOf(int blockCount);

private:
    static RunEvaluation Failed(Outcome outcome, std::optional<FileError> error = std::nullopt);

    Outcome m_outcome = Outcome::NoLog;
    std::optional<FileError> m_error;
    QStringList m_header;
    QList<Test> m_tests;
    bool m_testsNumbered = false;
    FrameStatistics::RunFigures m_run;
    qint64 m_totalFrames = 0;
    double m_valueSum = 0;
    double m_score = 0;
};
