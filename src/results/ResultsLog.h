#pragma once

#include "contract/BlockSampling.h"
#include "contract/EngineContract.h"
#include "contract/TextFile.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// The test engine's results log "vysledek.log" as the front end reads it: the
// seven header lines of EngineContract::LogLine, then test blocks of a frame count
// line followed by count + 1 value lines. The score is the sum of all values
// divided by the sum of all frame counts. The log is streamed from its first
// line on every read, so memory does not grow with it, and closed before the
// read returns. The front end never writes it.
namespace ResultsLog {

inline const QString kFileName = EngineContract::kResultsLogFileName;

// The number of test blocks of a complete rated run: one per test.
constexpr int RatedBlockCount = EngineContract::kTestCount;

// The largest frame count of one block.
constexpr int kMaxFrameCount = EngineContract::kMaxFrameCount;

// The largest log read. A rated run writes a few megabytes; endless
// repetition adds blocks for as long as it runs. Reading a larger file would
// hold the window for seconds.
constexpr qint64 kMaxLogSize = 64 * 1024 * 1024;

enum class Outcome {
    Ok,
    // No normal file of that name: missing, or a directory, FIFO or device,
    // which could not be read to an end.
    NoLog,
    // The log ends before its data is complete, holds a frame count beyond
    // kMaxFrameCount or 16 bits or a line longer than
    // LineReader::kMaxLineLength, or its sum or score is not a finite number.
    Damaged,
    // The frame counts add up to 0.
    ZeroFrames,
    // The file is larger than kMaxLogSize.
    TooLarge,
    // The file exists but the system refused to read it.
    ReadFailed,
};

struct ResultsLogSummary {
    QString processorText;
    QString graphicsCardText;
    QString memoryText;
    QString operatingSystemText;
    QString extraText;
    int blockCount = 0;
    qint64 totalFrames = 0;
    double valueSum = 0;
    double score = 0;
};

struct ReadResult {
    Outcome outcome = Outcome::NoLog;
    // Filled for Ok only.
    ResultsLogSummary summary;
    // Filled for ReadFailed only.
    std::optional<FileError> error;
};

// True when a normal file "vysledek.log" exists in the current directory.
bool ResultsLogExists();

ReadResult ReadResultsLog();
// The same for a log of any name; the benchmarks and tests read large logs
// through it.
ReadResult ReadResultsLog(const QString& fileName);

// Receives each block once its value lines are read: the block's frame count,
// the leading numbers of all its count + 1 value lines, exactly what the
// score sums, and the thinning its last value line states. The list is
// reused for the next block. A read whose outcome is not Ok may have
// delivered blocks before it stopped; they are then no evaluation's.
using BlockReceiver =
    std::function<void(int frameCount, const QList<double>& values, const BlockSampling& sampling)>;

// The same read, handing every block's values to onBlock as well.
ReadResult ReadResultsLog(const QString& fileName, const BlockReceiver& onBlock);

// The message shown for an outcome that cannot be evaluated (NoLog, Damaged,
// ZeroFrames, TooLarge); empty for Ok and ReadFailed, which carries its own.
QString OutcomeMessage(Outcome outcome);

// What a window tells the user about a log it cannot evaluate: for
// ReadFailed the file and the system's reason, as a warning; for the other
// outcomes their own message.
struct Failure {
    QString text;
    bool warning = false;
};
Failure FailureOf(Outcome outcome, const std::optional<FileError>& error);

// What the results window says when the engine ended without replacing the
// log, which is therefore an earlier run's. engineEnd: how the engine ended
// ("skončil se stavem 1"), or empty when not known.
QString FailedRunMessage(const QString& engineEnd);

// The text of the result label: the score and " bodů", or the notice that too
// few tests ran.
QString ScoreCaption(const ResultsLogSummary& summary);

bool IsScoreShown(const ResultsLogSummary& summary);
bool JoinsComparison(const ResultsLogSummary& summary);

} // namespace ResultsLog
