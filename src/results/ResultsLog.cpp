#include "ResultsLog.h"

#include "contract/Cp1250Codec.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"

#include <array>
#include <cmath>

namespace {

using ResultsLog::Outcome;
using ResultsLog::ReadResult;

// A frame count line: its leading number rounded halves-to-even. Empty when
// the count cannot be a block's: beyond 16 bits or above the largest count.
std::optional<int> FrameCount(QByteArrayView line) {
    const std::optional<qint16> count =
        NumberRules::RoundToInt16(NumberRules::LeadingNumber(line.begin(), line.end()));
    if (!count || *count > ResultsLog::kMaxFrameCount) {
        return std::nullopt;
    }
    return *count;
}

QString Text(QByteArrayView line) {
    return Cp1250Codec::decode(line.data(), line.size());
}

ReadResult Damaged() {
    return ReadResult{Outcome::Damaged, {}, std::nullopt};
}

} // namespace

namespace ResultsLog {

bool ResultsLogExists() {
    return TextFile::NormalFileExists(kFileName);
}

ReadResult ReadResultsLog() {
    return ReadResultsLog(kFileName);
}

ReadResult ReadResultsLog(const QString& fileName) {
    return ReadResultsLog(fileName, BlockReceiver());
}

ReadResult ReadResultsLog(const QString& fileName, const BlockReceiver& onBlock) {
    // Anything but a normal file could block the read or never end.
    if (!TextFile::NormalFileExists(fileName)) {
        return ReadResult{Outcome::NoLog, {}, std::nullopt};
    }
    LineReader reader(fileName);
    if (reader.error()) {
        return ReadResult{Outcome::ReadFailed, {}, reader.error()};
    }
    if (reader.fileSize() > kMaxLogSize) {
        return ReadResult{Outcome::TooLarge, {}, std::nullopt};
    }

    // The engine writes the header lines before any block, so a log ending
    // among them was cut off while it was being written.
    ResultsLogSummary summary;
    using EngineContract::LogLine;
    std::array<QString*, EngineContract::kLogHeaderLines> header{};
    header[int(LogLine::Memory)] = &summary.memoryText;
    header[int(LogLine::OperatingSystem)] = &summary.operatingSystemText;
    header[int(LogLine::Conditions)] = &summary.extraText;
    header[int(LogLine::Processor)] = &summary.processorText;
    header[int(LogLine::GraphicsCard)] = &summary.graphicsCardText;
    for (QString* text : header) {
        if (reader.atEnd()) {
            return reader.error() ? ReadResult{Outcome::ReadFailed, {}, reader.error()} : Damaged();
        }
        const QByteArrayView line = reader.readLine();
        if (reader.lineTooLong()) {
            return Damaged();
        }
        if (text) {
            *text = Text(line);
        }
    }
    if (reader.atEnd()) {
        return reader.error() ? ReadResult{Outcome::ReadFailed, {}, reader.error()} : Damaged();
    }
    std::optional<int> count = FrameCount(reader.readLine());
    if (!count || reader.lineTooLong()) {
        return Damaged();
    }

    qint64 totalFrames = *count;
    int blockCount = 1;
    double valueSum = 0;
    QList<double> values;
    for (;;) {
        BlockSampling sampling;
        // count + 1 value lines; a negative count has none.
        for (int i = 0; i <= *count; ++i) {
            if (reader.atEnd()) {
                return reader.error() ? ReadResult{Outcome::ReadFailed, {}, reader.error()} : Damaged();
            }
            const QByteArrayView line = reader.readLine();
            if (reader.lineTooLong()) {
                return Damaged();
            }
            const double value = NumberRules::LeadingNumber(line.begin(), line.end());
            valueSum += value;
            if (onBlock) {
                values.append(value);
                // The block's last value line may say how it was thinned.
                if (i == *count) {
                    sampling = BlockSampling::FromClosingLine(Text(line), *count);
                }
            }
        }
        if (onBlock) {
            onBlock(*count, values, sampling);
            values.clear();
        }
        // Every block is followed by a line that either starts the next one
        // or closes the data; a log without it was cut off.
        if (reader.atEnd()) {
            return reader.error() ? ReadResult{Outcome::ReadFailed, {}, reader.error()} : Damaged();
        }
        const QByteArrayView next = reader.readLine();
        if (reader.lineTooLong()) {
            return Damaged();
        }
        if (!NumberRules::IsNumberLine(next.begin(), next.end())) {
            break;
        }
        count = FrameCount(next);
        if (!count) {
            return Damaged();
        }
        totalFrames += *count;
        ++blockCount;
    }

    if (totalFrames == 0) {
        return ReadResult{Outcome::ZeroFrames, {}, std::nullopt};
    }
    const double score = valueSum / static_cast<double>(totalFrames);
    // An overflowing value (1E400) would make the score an infinity or NaN,
    // which can be neither shown nor stored as a number.
    if (!std::isfinite(valueSum) || !std::isfinite(score)) {
        return Damaged();
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
            .arg(kFileName)
            .arg(kMaxLogSize / (1024 * 1024));
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
        .arg(how, kFileName);
}

QString ScoreCaption(const ResultsLogSummary& summary) {
    if (!IsScoreShown(summary)) {
        return QStringLiteral("Neproběhl dostatečný počet testů.");
    }
    return NumberRules::FormatScore(summary.score) + QStringLiteral(" bodů");
}

bool IsScoreShown(const ResultsLogSummary& summary) {
    return summary.blockCount >= RatedBlockCount;
}

bool JoinsComparison(const ResultsLogSummary& summary) {
    return summary.blockCount == RatedBlockCount;
}

} // namespace ResultsLog
