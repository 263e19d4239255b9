#include "RunSummary.h"

#include "RunOptions.h"
#include "contract/EngineContract.h"
#include "contract/ResultsLogWriter.h"
#include "contract/RunEvaluation.h"
#include "contract/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

RunSummary::RunSummary(QStringList header, bool repeated)
    : m_header(std::move(header))
    , m_repeated(repeated)
    , m_pass(m_header) {}

void RunSummary::addBlock(int test, const QVector<double>& rates, const BlockSampling& sampling,
                          int glErrors) {
    m_pass.addBlock(rates, sampling);
    m_glErrors += glErrors;
    RunSummaryCodec::Test entry;
    entry.index = test;
    entry.name = EngineContract::kTestNames[std::size_t(test)].toString();
    entry.glErrors = glErrors;
    m_tests.append(entry);
}

RunSummaryCodec::Pass RunSummary::current() const {
    RunSummaryCodec::Pass pass;
    pass.tests = m_tests;
    if (m_tests.isEmpty()) {
        return pass;
    }
    // The figures are those of the log's bytes as the front end evaluates
    // them: its numbers as written, its thinning as read back.
    const RunEvaluation evaluation = RunEvaluation::OfBytes(m_pass.encode());
    for (qsizetype i = 0; i < pass.tests.size(); ++i) {
        pass.tests[i].figures = evaluation.tests().value(i).figures;
    }
    const FrameStatistics::RunFigures& run = evaluation.run();
    pass.run.framesPerSecond = run.framesPerSecond;
    pass.run.geometricMeanRate = run.geometricMeanRate;
    pass.run.leftOut = run.leftOut;
    pass.run.score = evaluation.score();
    return pass;
}

void RunSummary::closeRun(double startSeconds) {
    m_closed.append(current());
    m_starts.append(startSeconds);
    m_tests.clear();
    m_pass = ResultsLogWriter(m_header);
}

RepeatStatistics::Spread RunSummary::scoreSpread() const {
    QList<double> scores;
    for (const RunSummaryCodec::Pass& pass : m_closed) {
        scores.append(pass.run.score);
    }
    return RepeatStatistics::Of(scores);
}

RunSummaryCodec::Summary RunSummary::summary(bool complete) const {
    RunSummaryCodec::Summary summary;
    summary.header = m_header;
    summary.complete = complete;
    summary.scenes = m_scenes;
    summary.glErrors = m_glErrors;
    summary.validation = m_validation;
    summary.sensors = m_sensors;
    summary.last = m_closed.isEmpty() ? current() : m_closed.last();
    if (!m_repeated) {
        return summary;
    }
    summary.runs = m_closed;
    if (m_sustainMinutes > 0) {
        summary.sustainMinutes = m_sustainMinutes;
        summary.runStartSeconds = m_starts;
    }
    if (m_closed.size() < 2) {
        return summary;
    }
    summary.scoreSpread = scoreSpread();
    // Every closed run went through the same tests in the same order.
    for (qsizetype i = 0; i < m_closed.first().tests.size(); ++i) {
        QList<double> rates;
        for (const RunSummaryCodec::Pass& pass : m_closed) {
            rates.append(pass.tests.value(i).figures.averageRate);
        }
        const RunSummaryCodec::Test& test = m_closed.first().tests[i];
        summary.testSpread.append({test.index, test.name, RepeatStatistics::Of(rates)});
    }
    return summary;
}

QString RunSummary::save(const QString& path, bool complete) const {
    const QByteArray bytes = RunSummaryCodec::encode(summary(complete));
    if (path == QLatin1String(RunOptions::kStandardOutput)) {
        if (std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout) !=
                std::size_t(bytes.size()) ||
            std::fflush(stdout) != 0) {
            return QStringLiteral("Souhrn nelze zapsat na standardní výstup: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno)));
        }
        return {};
    }
    if (const std::optional<FileError> error = TextFile::Replace(path, bytes)) {
        return error->oneLine();
    }
    return {};
}
