#pragma once

#include "contract/BlockSampling.h"
#include "contract/FileError.h"

#include <QList>
#include <QString>
#include <functional>
#include <optional>

// What the front end makes of the test engine's results log "vysledek.log",
// read by ResultsLogReader: the texts describing the tested computer, and
// the score, the sum of all values divided by the sum of all frame counts,
// with whether it is a rated run's. The log is read from its first line on
// every read and closed before the read returns. The front end never writes
// it.
namespace ResultsLog {

// What ResultsLogReader::Status says, and what the front end finds wrong
// with a log read without fault: frame counts that add up to 0 (ZeroFrames),
// or a sum or score that is not a finite number (Damaged).
enum class Outcome {
    Ok,
    NoLog,
    Damaged,
    ZeroFrames,
    TooLarge,
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
