#pragma once

#include "contract/FileError.h"
#include "contract/RunEvaluation.h"

#include <QList>
#include <QString>
#include <optional>

// What the results window makes of the test engine's results log
// "vysledek.log", evaluated by RunEvaluation: the texts describing the tested
// computer, and the score with whether it is a rated run's. The log is read
// whole on every read and closed before the read returns. The front end never
// writes it.
namespace ResultsLog {

using Outcome = RunEvaluation::Outcome;

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
// What the results window shows of an evaluation.
ReadResult ResultOf(const RunEvaluation& evaluation);

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
