#include "RunSummary.h"

#include "RunOptions.h"
#include "contract/EngineContract.h"
#include "contract/FrameStatistics.h"
#include "contract/ResultsLogWriter.h"
#include "contract/TextFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The field names of the log's header lines, in the lines' order.
constexpr std::array<const char*, EngineContract::kLogHeaderLines> kHeaderFields = {
    "program", "date", "memory", "operatingSystem", "conditions", "processor", "graphicsCard",
};

QJsonObject blockObject(int test, int glErrors, const FrameStatistics::BlockFigures& figures) {
    return {
        {"index", test},
        {"glErrors", glErrors},
        {"name", EngineContract::kTestNames[std::size_t(test)].toString()},
        {"values", figures.values},
        {"leftOut", figures.leftOut},
        {"frames", figures.frames},
        {"sampleEvery", figures.stride},
        {"seconds", figures.seconds},
        {"averageRate", figures.averageRate},
        {"percentile99Ms", figures.percentile99Ms},
        {"low1PercentRate", figures.low1PercentRate},
        {"slowestRate", figures.slowestRate},
        {"fastestRate", figures.fastestRate},
    };
}

} // namespace

RunSummary::RunSummary(QStringList header)
    : m_header(std::move(header)) {}

void RunSummary::addBlock(int test, const QVector<double>& rates, const BlockSampling& sampling,
                          int glErrors) {
    // The figures are those of the log's numbers, rounded as it writes them,
    // and of its thinning as the front end reads it back.
    QList<double> logged;
    logged.reserve(rates.size());
    for (const double rate : rates) {
        logged.append(ResultsLogWriter::formatRate(rate).toDouble());
    }
    m_tests.append(test);
    m_glErrors.append(glErrors);
    m_blocks.append(logged);
    m_samplings.append(BlockSampling::FromClosingLine(sampling.ClosingLine(), int(rates.size())));
}

QByteArray RunSummary::encode(bool complete) const {
    QJsonObject root;
    for (std::size_t line = 0; line < kHeaderFields.size(); ++line) {
        root.insert(QLatin1String(kHeaderFields[line]), m_header.value(qsizetype(line)));
    }
    root.insert(QLatin1String("complete"), complete);
    QJsonArray tests;
    QList<FrameStatistics::BlockFigures> figures;
    int glErrors = 0;
    for (qsizetype i = 0; i < m_blocks.size(); ++i) {
        figures.append(FrameStatistics::Block(m_blocks[i], m_samplings[i]));
        tests.append(blockObject(m_tests[i], m_glErrors[i], figures.last()));
        glErrors += m_glErrors[i];
    }
    root.insert(QLatin1String("glErrors"), glErrors);
    root.insert(QLatin1String("tests"), tests);
    const FrameStatistics::RunFigures run = FrameStatistics::Run(figures);
    root.insert(QLatin1String("run"), QJsonObject{
                                          {"framesPerSecond", run.framesPerSecond},
                                          {"geometricMeanRate", run.geometricMeanRate},
                                          {"leftOut", run.leftOut},
                                      });
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString RunSummary::save(const QString& path, bool complete) const {
    const QByteArray bytes = encode(complete);
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
