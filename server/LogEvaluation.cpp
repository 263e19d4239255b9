#include "LogEvaluation.h"

#include "contract/ResultsLogReader.h"

#include <QTemporaryFile>
#include <cmath>

LogEvaluation LogEvaluation::evaluate(const QByteArray& log) {
    LogEvaluation evaluation;
    const auto refused = [](const QString& why) {
        LogEvaluation failed;
        failed.error = why;
        return failed;
    };
    if (log.size() > ResultsLogReader::kMaxLogSize) {
        return refused(QStringLiteral("Protokol výsledků je příliš velký."));
    }
    // The contract's reader reads files; the log is handed to it as one.
    QTemporaryFile file;
    if (!file.open() || file.write(log) != log.size() || !file.flush()) {
        return refused(QStringLiteral("Protokol výsledků nelze dočasně uložit: %1").arg(file.errorString()));
    }
    ResultsLogReader reader(file.fileName());
    evaluation.header = reader.header();
    while (reader.nextBlock()) {
        const ResultsLogReader::Block& block = reader.block();
        Test test;
        test.frameCount = block.frameCount;
        test.rates = block.values.first(qMax(block.frameCount, 0));
        test.figures = FrameStatistics::Block(test.rates, reader.sampling());
        evaluation.totalFrames += block.frameCount;
        for (const double value : block.values) {
            evaluation.valueSum += value;
        }
        evaluation.tests.append(std::move(test));
    }
    if (reader.status() == ResultsLogReader::Status::ReadFailed) {
        return refused(QStringLiteral("Protokol výsledků nelze přečíst: %1").arg(reader.error()->oneLine()));
    }
    if (reader.status() != ResultsLogReader::Status::Ok) {
        return refused(QStringLiteral("Protokol výsledků je neúplný nebo poškozený."));
    }
    if (evaluation.totalFrames == 0) {
        return refused(QStringLiteral("Protokol výsledků nemá žádné snímky."));
    }
    evaluation.score = evaluation.valueSum / double(evaluation.totalFrames);
    if (!std::isfinite(evaluation.valueSum) || !std::isfinite(evaluation.score)) {
        return refused(QStringLiteral("Protokol výsledků obsahuje číslo mimo rozsah."));
    }
    return evaluation;
}
