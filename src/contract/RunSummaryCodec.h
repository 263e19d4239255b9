#pragma once

#include "EngineContract.h"
#include "FrameStatistics.h"
#include "RepeatStatistics.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The JSON summary of a run that the engine writes for scripts (--summary)
// and that the front end can read back: the results log's seven header
// lines as named fields, each finished test's figures (FrameStatistics) and
// the run's figures; for a repeated run also each of its runs ("runs") and
// the spread of the tests' average rates and of the run's score over them
// ("spread"); a sustained run also how long it was to last and when each
// of its runs started. The top level's tests are those of the log written beside it.
// decode() accepts exactly what encode() can write of a real run (each test
// once, figures not negative, no more frames than its values stand for, no
// test longer than EngineContract::kMaxTestSeconds), and encoding what it
// decoded gives the same summary back. Stateless.
class RunSummaryCodec {
public:
    // One field for each of the log's header lines.
    static constexpr int kHeaderFieldCount = EngineContract::kLogHeaderLines;

    struct Test {
        // The rated test's number and name.
        int index = 0;
        QString name;
        int glErrors = 0;
        // As the front end figures the test's block; the field
        // "sampleEvery" is figures.stride, and timeScale is not written.
        FrameStatistics::BlockFigures figures;
        bool operator==(const Test&) const = default;
    };

    struct RunFigures {
        double framesPerSecond = 0;
        double geometricMeanRate = 0;
        // All values of the log / their count, as the front end's score.
        double score = 0;
        int leftOut = 0;
        bool operator==(const RunFigures&) const = default;
    };

    // One run through the tests.
    struct Pass {
        QList<Test> tests;
        RunFigures run;
        bool operator==(const Pass&) const = default;
    };

    struct TestSpread {
        int index = 0;
        QString name;
        RepeatStatistics::Spread averageRate;
        bool operator==(const TestSpread&) const = default;
    };

    struct Summary {
        // program, date, memory, operatingSystem, conditions, processor,
        // graphicsCard: the log's header lines in order.
        QStringList header;
        bool complete = false;
        // The SHA-256 (hex) over the scene and browser files the run drew,
        // slot by slot; empty when the summary names none.
        QString scenes;
        // Every OpenGL error of the run, in whichever of its runs.
        int glErrors = 0;
        Pass last;
        // A repeated run's runs that went through every test; empty for a
        // single run.
        QList<Pass> runs;
        QList<TestSpread> testSpread;
        // The spread of the runs' scores; with it come testSpread's.
        std::optional<RepeatStatistics::Spread> scoreSpread;
        // A sustained run's length in whole minutes (--sustain), 0 for any
        // other run; with it, each of runs' start in seconds since the first
        // run's start, in runStartSeconds.
        int sustainMinutes = 0;
        QList<double> runStartSeconds;
        // What --validate found, as it wrote it; empty for a measured run.
        QJsonObject validation;
        // What the sensors measured (EnergyReport), as written; empty when
        // the run sampled none.
        QJsonObject sensors;
        bool operator==(const Summary&) const = default;
    };

    struct Decoded {
        Summary summary;
        // Why the bytes are no summary, or empty.
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    static constexpr int kMinSustainMinutes = 1;
    static constexpr int kMaxSustainMinutes = 120;

    static QByteArray encode(const Summary& summary);
    static Decoded decode(const QByteArray& bytes);
};
