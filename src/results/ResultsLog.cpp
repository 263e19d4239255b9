#include "ResultsLog.h"

#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"

namespace ResultsLog {

bool ResultsLogExists() {
    return TextFile::NormalFileExists(EngineContract::kResultsLogFileName);
}

ReadResult ReadResultsLog() {
    return ReadResultsLog(EngineContract::kResultsLogFileName);
}

ReadResult ReadResultsLog(const QString& fileName) {
    return ResultOf(RunEvaluation::OfFile(fileName));
}

ReadResult ResultOf(const RunEvaluation& evaluation) {
    if (evaluation.outcome() != Outcome::Ok) {
        return ReadResult{evaluation.outcome(), {}, evaluation.error()};
    }
    using EngineContract::LogLine;
    ResultsLogSummary summary;
    summary.memoryText = evaluation.headerLine(LogLine::Memory);
    summary.operatingSystemText = evaluation.headerLine(LogLine::OperatingSystem);
    summary.extraText = evaluation.headerLine(LogLine::Conditions);
    summary.processorText = evaluation.headerLine(LogLine::Processor);
    summary.graphicsCardText = evaluation.headerLine(LogLine::GraphicsCard);
    summary.blockCount = evaluation.blockCount();
    summary.totalFrames = evaluation.totalFrames();
    summary.valueSum = evaluation.valueSum();
    summary.score = evaluation.score();
    return ReadResult{Outcome::Ok, summary, std::nullopt};
}

QString OutcomeMessage(Outcome outcome) {
    switch (outcome) {
    case Outcome::NoLog:
        return QStringLiteral("Nejsou k dispozici výsledky testů");
    case Outcome::Damaged:
        return QStringLiteral(
            "Testy nebyly ukončeny správně, nebo je soubor požkozen. Výsledky nemohou být zobrazeny.");
    case Outcome::ZeroFrames:
        return QStringLiteral("Celkovy pocet framu je 0");
    case Outcome::TooLarge:
        return QStringLiteral("Soubor %1 je větší než %2 MB. Výsledky nemohou být zobrazeny.")
            .arg(EngineContract::kResultsLogFileName)
            .arg(ResultsLogReader::kMaxLogSize / (1024 * 1024));
    case Outcome::Ok:
    case Outcome::ReadFailed:
        break;
    }
    return {};
}

Failure FailureOf(Outcome outcome, const std::optional<FileError>& error) {
    if (outcome == Outcome::ReadFailed && error) {
        return Failure{error->message(), true};
    }
    return Failure{OutcomeMessage(outcome), false};
}

QString FailedRunMessage(const QString& engineEnd) {
    const QString how =
        engineEnd.isEmpty() ? QString() : QStringLiteral(" (testovací program %1)").arg(engineEnd);
    return QStringLiteral("Test se nepodařilo dokončit%1. Soubor %2 je z dřívějšího testu, a proto se jeho "
                          "výsledky nezobrazují.")
        .arg(how, EngineContract::kResultsLogFileName);
}

QString ScoreCaption(const ResultsLogSummary& summary) {
    if (!IsScoreShown(summary)) {
        return QStringLiteral("Neproběhl dostatečný počet testů.");
    }
    return NumberRules::FormatScore(summary.score) + QStringLiteral(" bodů");
}

bool IsScoreShown(const ResultsLogSummary& summary) {
    return RunEvaluation::RatingOf(summary.blockCount) != RunEvaluation::Rating::TooFewTests;
}

bool JoinsComparison(const ResultsLogSummary& summary) {
    return RunEvaluation::RatingOf(summary.blockCount) == RunEvaluation::Rating::Rated;
}

} // namespace ResultsLog
