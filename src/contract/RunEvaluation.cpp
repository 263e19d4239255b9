#include "contract/RunEvaluation.h"

#include "contract/InputFile.h"
#include "contract/ResultsLogReader.h"
#include "contract/TestOrder.h"
#include "contract/TextFile.h"

#include <algorithm>
#include <cmath>

namespace {

// The tests of the log's blocks as its conditions line names them: a
// distinct rated test for each block (an aborted run has the first of
// them); empty otherwise.
QList<int> BlockTests(const QList<int>& named, qsizetype blockCount) {
    if (named.size() < blockCount) {
        return {};
    }
    QList<int> tests = named.first(blockCount);
    for (qsizetype i = 0; i < tests.size(); ++i) {
        if (tests[i] < 0 || tests[i] >= EngineContract::kTestCount || tests.indexOf(tests[i]) != i) {
            return {};
        }
    }
    return tests;
}

} // namespace

RunEvaluation RunEvaluation::Failed(Outcome outcome, std::optional<FileError> error) {
    RunEvaluation evaluation;
    evaluation.m_outcome = outcome;
    evaluation.m_error = std::move(error);
    return evaluation;
}

RunEvaluation RunEvaluation::OfFile(const QString& fileName) {
    // Anything but a normal file could block the read or never end.
    if (!TextFile::NormalFileExists(fileName)) {
        return Failed(Outcome::NoLog);
    }
    const InputFile::Result file = InputFile::read(fileName, ResultsLogReader::kMaxLogSize);
    if (file.error) {
        // Said as a read, whether opening or reading failed.
        FileError error = *file.error;
        error.operation = FileError::Operation::Read;
        return Failed(Outcome::ReadFailed, error);
    }
    if (file.tooLarge) {
        return Failed(Outcome::TooLarge);
    }
    return OfBytes(file.bytes);
}

RunEvaluation RunEvaluation::OfBytes(const QByteArray& bytes) {
    ResultsLogReader reader(bytes);
    const auto failed = [&reader] {
        switch (reader.status()) {
        case ResultsLogReader::Status::NoLog:
            return Failed(Outcome::NoLog);
        case ResultsLogReader::Status::TooLarge:
            return Failed(Outcome::TooLarge);
        case ResultsLogReader::Status::ReadFailed:
            return Failed(Outcome::ReadFailed, reader.error());
        case ResultsLogReader::Status::Damaged:
        case ResultsLogReader::Status::Ok:
            break;
        }
        return Failed(Outcome::Damaged);
    };
    if (reader.status() != ResultsLogReader::Status::Ok) {
        return failed();
    }
    RunEvaluation evaluation;
    evaluation.m_header = reader.header();
    // The score sums every value line in the log's order, the closing values
    // included, over the frame counts as the log states them.
    while (reader.nextBlock()) {
        const ResultsLogReader::Block& block = reader.block();
        evaluation.m_totalFrames += block.frameCount;
        for (const double value : block.values) {
            evaluation.m_valueSum += value;
        }
        Test test;
        test.index = int(evaluation.m_tests.size());
        // A negative count has no value lines, count 0 only the closing one.
        test.rates = block.values.first(std::max(block.frameCount, 0));
        test.sampling = reader.sampling();
        evaluation.m_tests.append(std::move(test));
    }
    if (reader.status() != ResultsLogReader::Status::Ok) {
        return failed();
    }
    // A log of other tests or another order names them: its blocks are
    // those tests, compared with the same tests of another run. Named
    // otherwise than the engine names them, they are no test of the seven.
    const std::optional<QList<int>> named =
        TestOrder::Named(evaluation.headerLine(EngineContract::LogLine::Conditions));
    const QList<int> numbers = named ? BlockTests(*named, evaluation.m_tests.size()) : QList<int>();
    evaluation.m_testsNumbered =
        named ? !numbers.isEmpty() : evaluation.blockCount() == EngineContract::kTestCount;
    QList<FrameStatistics::BlockFigures> figures;
    figures.reserve(evaluation.m_tests.size());
    for (Test& test : evaluation.m_tests) {
        if (!numbers.isEmpty()) {
            test.index = numbers[test.index];
            test.name = EngineContract::kTestNames[size_t(test.index)].toString();
        } else {
            test.name = named ? QStringLiteral("Test %1").arg(test.index + 1)
                              : TestName(test.index, evaluation.blockCount());
        }
        test.figures = FrameStatistics::Block(test.rates, test.sampling);
        figures.append(test.figures);
    }
    evaluation.m_run = FrameStatistics::Run(figures);
    if (evaluation.m_totalFrames == 0) {
        // The figures stay: a run whose tests measured no frame has them.
        evaluation.m_outcome = Outcome::ZeroFrames;
        return evaluation;
    }
    const double score = evaluation.m_valueSum / static_cast<double>(evaluation.m_totalFrames);
    // An overflowing value (1E400) would make the score an infinity or NaN,
    // which can be neither shown nor stored as a number.
    if (!std::isfinite(evaluation.m_valueSum) || !std::isfinite(score)) {
        return Failed(Outcome::Damaged);
    }
    evaluation.m_score = score;
    evaluation.m_outcome = Outcome::Ok;
    return evaluation;
}

RunEvaluation RunEvaluation::OfSummary(const RunSummaryCodec::Summary& summary) {
    RunEvaluation evaluation;
    evaluation.m_outcome = Outcome::Ok;
    evaluation.m_testsNumbered = true;
    evaluation.m_header = summary.header;
    for (const RunSummaryCodec::Test& test : summary.last.tests) {
        evaluation.m_tests.append(Test{test.index, test.name, {}, {}, test.figures});
        evaluation.m_totalFrames += test.figures.frames;
    }
    evaluation.m_score = summary.last.run.score;
    evaluation.m_run = {summary.last.run.framesPerSecond, summary.last.run.geometricMeanRate,
                        summary.last.run.leftOut};
    return evaluation;
}

QString RunEvaluation::TestName(int index, int blockCount) {
    if (blockCount == EngineContract::kTestCount && index >= 0 && index < EngineContract::kTestCount) {
        return EngineContract::kTestNames[size_t(index)].toString();
    }
    return QStringLiteral("Test %1").arg(index + 1);
}

RunEvaluation::Rating RunEvaluation::RatingOf(int blockCount) {
    if (blockCount < EngineContract::kTestCount) {
        return Rating::TooFewTests;
    }
    return blockCount == EngineContract::kTestCount ? Rating::Rated : Rating::TooManyTests;
}
