#include "ResultsLog.h"

#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"

#include <cmath>

namespace {

using ResultsLog::Outcome;
using ResultsLog::ReadResult;

ReadResult Failed(const ResultsLogReader& reader) {
    switch (reader.status()) {
    case ResultsLogReader::Status::NoLog:
        return ReadResult{Outcome::NoLog, {}, std::nullopt};
    case ResultsLogReader::Status::TooLarge:
        return ReadResult{Outcome::TooLarge, {}, std::nullopt};
    case ResultsLogReader::Status::ReadFailed:
        return ReadResult{Outcome::ReadFailed, {}, reader.error()};
    case ResultsLogReader::Status::Damaged:
    case ResultsLogReader::Status::Ok:
        break;
    }
    return ReadResult{Outcome::Damaged, {}, std::nullopt};
}

} // namespace

namespace ResultsLog {

bool ResultsLogExists() {
    return TextFile::NormalFileExists(EngineContract::kResultsLogFileName);
}

ReadResult ReadResultsLog() {
    return ReadResultsLog(EngineContract::kResultsLogFileName);
}

ReadResult ReadResultsLog(const QString& fileName) {
    return ReadResultsLog(fileName, BlockReceiver());
}

ReadResult ReadResultsLog(const QString& fileName, const BlockReceiver& onBlock) {
    ResultsLogReader reader(fileName);
    if (reader.status() != ResultsLogReader::Status::Ok) {
        return Failed(reader);
    }
    ResultsLogSummary summary;
    using EngineContract::LogLine;
    const QStringList& header = reader.header();
    summary.memoryText = header[int(LogLine::Memory)];
    summary.operatingSystemText = header[int(LogLine::OperatingSystem)];
    summary.extraText = header[int(LogLine::Conditions)];
    summary.processorText = header[int(LogLine::Processor)];
    summary.graphicsCardText = header[int(LogLine::GraphicsCard)];

    qint64 totalFrames = 0;
    int blockCount = 0;
    double valueSum = 0;
    while (reader.nextBlock()) {
        const ResultsLogReader::Block& block = reader.block();
        totalFrames += block.frameCount;
        ++blockCount;
        for (const double value : block.values) {
            valueSum += value;
        }
        if (onBlock) {
            onBlock(block.frameCount, block.values, reader.sampling());
        }
    }
    if (reader.status() != ResultsLogReader::Status::Ok) {
        return Failed(reader);
    }

    if (totalFrames == 0) {
        return ReadResult{Outcome::ZeroFrames, {}, std::nullopt};
    }
    const double score = valueSum / static_cast<double>(totalFrames);
    // An overflowing value (1E400) would make the score an infinity or NaN,
    // which can be neither shown nor stored as a number.
    if (!std::isfinite(valueSum) || !std::isfinite(score)) {
        return ReadResult{Outcome::Damaged, {}, std::nullopt};
    }
    summary.blockCount = blockCount;
    summary.totalFrames = totalFrames;
    summary.valueSum = valueSum;
    summary.score = score;
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
    return summary.blockCount >= EngineContract::kTestCount;
}

bool JoinsComparison(const ResultsLogSummary& summary) {
    return summary.blockCount == EngineContract::kTestCount;
}

} // namespace ResultsLog
