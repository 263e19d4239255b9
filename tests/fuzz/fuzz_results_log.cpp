// The results log reader on arbitrary files, judged against a plain reading
// of the same bytes split by the line rule: the same outcome, block count,
// frame count and value sum. A log that exists is never "missing", a read
// error never comes without its reason, and a log judged Ok has a finite
// score, at least one block, and header texts that are its lines 3 to 7
// decoded. Lines too long and files too large are refused. A block's
// closing line states a thinning only when it fits the block. The contract's
// reader, which the front end reads through, closes the data at the same line.
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "results/ResultsLog.h"

#include <algorithm>
#include <cmath>

namespace {

using ResultsLog::Outcome;

struct Expected {
    Outcome outcome = Outcome::Damaged;
    int blockCount = 0;
    qint64 totalFrames = 0;
    double valueSum = 0;
    // The line that closes the data, for a log read to its end.
    qsizetype closingAt = -1;
};

std::optional<int> frameCount(const QByteArray& line) {
    const std::optional<qint16> count = NumberRules::RoundToInt16(NumberRules::LeadingNumber(line));
    if (!count || *count > EngineContract::kMaxFrameCount) {
        return std::nullopt;
    }
    return *count;
}

// Seven header lines; blocks of a frame count line and count + 1 value
// lines, each followed by a line that starts the next block when it is a
// number line and closes the data otherwise. A log whose reading comes to a
// line too long is damaged: the lines are read in order, so that is a log
// whose line at or beyond that index is needed.
Expected evaluate(const QList<QByteArray>& all) {
    const QList<QByteArray> lines = all.first(Fuzz::firstLineLongerThan(all, LineReader::kMaxLineLength));
    Expected expected;
    qsizetype at = 7;
    if (at >= lines.size()) {
        return expected;
    }
    std::optional<int> count = frameCount(lines.at(at++));
    while (count) {
        ++expected.blockCount;
        expected.totalFrames += *count;
        for (int i = 0; i <= *count; ++i) {
            if (at >= lines.size()) {
                return Expected{};
            }
            expected.valueSum += NumberRules::LeadingNumber(lines.at(at++));
        }
        if (at >= lines.size()) {
            return Expected{};
        }
        const QByteArray& next = lines.at(at++);
        if (!NumberRules::IsNumberLine(next)) {
            expected.closingAt = at - 1;
            if (expected.totalFrames == 0) {
                return Expected{Outcome::ZeroFrames, 0, 0, 0, expected.closingAt};
            }
            const double score = expected.valueSum / static_cast<double>(expected.totalFrames);
            if (!std::isfinite(expected.valueSum) || !std::isfinite(score)) {
                return Expected{};
            }
            expected.outcome = Outcome::Ok;
            return expected;
        }
        count = frameCount(next);
    }
    return Expected{};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name = Fuzz::privateFolder() + QStringLiteral("/vysledek.log");
    Fuzz::writeInput(name, data, size);
    const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog(name);
    const QList<QByteArray> lines =
        Fuzz::referenceLines(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const Expected expected =
        qint64(size) > ResultsLogReader::kMaxLogSize ? Expected{Outcome::TooLarge} : evaluate(lines);

    FUZZ_CHECK(!result.error);
    FUZZ_CHECK(result.outcome == expected.outcome);
    // A block's stated thinning always fits its values.
    const RunEvaluation evaluation = RunEvaluation::OfFile(name);
    for (const RunEvaluation::Test& test : evaluation.tests()) {
        const BlockSampling& sampling = test.sampling;
        const int frameCount = int(test.rates.size());
        FUZZ_CHECK(sampling.stride >= 1);
        if (sampling.thinned()) {
            FUZZ_CHECK(sampling.frames > qint64(frameCount - 1) * sampling.stride);
            FUZZ_CHECK(sampling.frames <= qint64(frameCount) * sampling.stride);
            FUZZ_CHECK(std::isfinite(sampling.seconds) && sampling.seconds > 0);
        }
    }
    if (expected.closingAt >= 0) {
        ResultsLogReader reader(name);
        while (reader.nextBlock()) {
        }
        FUZZ_CHECK(reader.status() == ResultsLogReader::Status::Ok);
        FUZZ_CHECK(reader.closingLine() == Cp1250Codec::decode(lines.at(expected.closingAt)));
    }
    if (result.outcome != Outcome::Ok) {
        FUZZ_CHECK(result.summary.blockCount == 0);
        FUZZ_CHECK(!ResultsLog::OutcomeMessage(result.outcome).isEmpty());
        return 0;
    }

    const ResultsLog::ResultsLogSummary& summary = result.summary;
    FUZZ_CHECK(summary.blockCount == expected.blockCount);
    FUZZ_CHECK(summary.blockCount >= 1);
    FUZZ_CHECK(summary.totalFrames == expected.totalFrames);
    FUZZ_CHECK(summary.totalFrames != 0);
    FUZZ_CHECK(summary.valueSum == expected.valueSum);
    FUZZ_CHECK(std::isfinite(summary.score));
    FUZZ_CHECK(summary.score == summary.valueSum / static_cast<double>(summary.totalFrames));
    FUZZ_CHECK(summary.memoryText == Cp1250Codec::decode(lines.at(2)));
    FUZZ_CHECK(summary.operatingSystemText == Cp1250Codec::decode(lines.at(3)));
    FUZZ_CHECK(summary.extraText == Cp1250Codec::decode(lines.at(4)));
    FUZZ_CHECK(summary.processorText == Cp1250Codec::decode(lines.at(5)));
    FUZZ_CHECK(summary.graphicsCardText == Cp1250Codec::decode(lines.at(6)));
    // The score label always says something: the score or too few tests.
    FUZZ_CHECK(!ResultsLog::ScoreCaption(summary).isEmpty());
    return 0;
}
