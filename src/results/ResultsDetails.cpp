#include "ResultsDetails.h"

#include "contract/InputFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// A summary has a few kilobytes, a sustained run's up to a few MiB; a file
// far larger is no summary and is not read into memory.
constexpr qint64 kMaxSummaryBytes = 16 * 1024 * 1024;

// The summary is this log's: the engine wrote both of the same run.
bool BelongsTo(const RunSummaryCodec::Summary& summary, const RunEvaluation& evaluation) {
    for (int line = 0; line < RunSummaryCodec::kHeaderFieldCount; ++line) {
        if (summary.header.value(line) != evaluation.headerLine(EngineContract::LogLine(line))) {
            return false;
        }
    }
    return summary.last.tests.size() == evaluation.tests().size() &&
           summary.last.run.score == evaluation.score();
}

} // namespace

namespace ResultsDetails {

namespace {

// The energy file beside the log, when the engine wrote it with this log:
// an earlier run's file stays where a later run measured nothing.
void ReadEnergy(const QString& logName, Details& details) {
    QFile energyFile(QFileInfo(logName).dir().filePath(EnergyReport::kFileName));
    if (!energyFile.exists()) {
        details.energyMissing = QStringLiteral("běh je nezměřil");
        return;
    }
    QFile log(logName);
    if (!energyFile.open(QIODevice::ReadOnly) || !log.open(QIODevice::ReadOnly)) {
        const QFile& failed = energyFile.isOpen() ? log : energyFile;
        details.energyMissing = QStringLiteral("%1: %2").arg(failed.fileName(), failed.errorString());
        return;
    }
    EnergyReport::Decoded decoded = EnergyReport::decode(energyFile.readAll());
    if (!decoded.error.isEmpty()) {
        details.energyMissing = QStringLiteral("%1 %2").arg(EnergyReport::kFileName, decoded.error);
    } else if (decoded.report.logSha256 !=
               QString::fromLatin1(
                   QCryptographicHash::hash(log.readAll(), QCryptographicHash::Sha256).toHex())) {
        details.energyMissing = QStringLiteral("běh je nezměřil");
    } else {
        details.energy = std::move(decoded.report);
    }
}

} // namespace

FileResult<RunSummaryCodec::Summary> ReadSummary(const QString& fileName) {
    InputFile::Result file = InputFile::read(fileName, kMaxSummaryBytes);
    if (file.error) {
        return *file.error;
    }
    if (file.tooLarge) {
        return FileError{FileError::Operation::Read, fileName,
                         QStringLiteral("soubor je větší než 16 MiB, souhrn běhu to není")};
    }
    RunSummaryCodec::Decoded decoded = RunSummaryCodec::decode(file.bytes);
    if (!decoded.ok()) {
        return FileError{FileError::Operation::Read, fileName, decoded.error};
    }
    return std::move(decoded.summary);
}

Details ReadDetails(const QString& fileName) {
    const RunEvaluation evaluation = RunEvaluation::OfFile(fileName);
    Details details = DetailsOf(evaluation);
    if (details.outcome != ResultsLog::Outcome::Ok) {
        return details;
    }
    ReadEnergy(fileName, details);
    if (fileName != EngineContract::kResultsLogFileName || !QFileInfo::exists(kSummaryFileName)) {
        return details;
    }
    FileResult<RunSummaryCodec::Summary> summary = ReadSummary(kSummaryFileName);
    if (!summary.ok()) {
        details.summaryError = summary.error()->oneLine();
    } else if (BelongsTo(*summary, evaluation)) {
        details.runSummary = std::move(summary).value();
    }
    return details;
}

QString EnergyText(const Details& details, int row) {
    if (!details.energy || row >= details.energy->tests.size()) {
        return QStringLiteral("Energie a teploty: nedostupné (%1)")
            .arg(details.energyMissing.isEmpty() ? QStringLiteral("běh je nezměřil") : details.energyMissing);
    }
    const EnergyReport::Report& report = *details.energy;
    // One reason for every reading, as on a computer without sensors, is
    // said once.
    const EnergyReport::Source* const sources[] = {&report.energy, &report.cpuTemperature,
                                                   &report.cpuFrequency, &report.gpuTemperature,
                                                   &report.gpuFrequency};
    if (std::all_of(std::begin(sources), std::end(sources), [&](const EnergyReport::Source* source) {
            return !source->available() && source->unavailable == report.energy.unavailable;
        })) {
        return QStringLiteral("Energie a teploty: nedostupné (%1)").arg(report.energy.unavailable);
    }
    const EnergyReport::Test& test = report.tests[row];
    return QStringLiteral("Energie %1, příkon %2, %3\nCPU %4, %5; GPU %6, %7")
        .arg(EnergyReport::figureText(test.joules, report.energy, 1, QStringLiteral("J")),
             EnergyReport::figureText(test.watts, report.energy, 1, QStringLiteral("W")),
             EnergyReport::figureText(test.pointsPerWatt, report.energy, 2, QStringLiteral("bodů/W")),
             EnergyReport::figureText(test.cpuCelsius, report.cpuTemperature, 0, QStringLiteral("°C")),
             EnergyReport::figureText(test.cpuMegahertz, report.cpuFrequency, 0, QStringLiteral("MHz")),
             EnergyReport::figureText(test.gpuCelsius, report.gpuTemperature, 0, QStringLiteral("°C")),
             EnergyReport::figureText(test.gpuMegahertz, report.gpuFrequency, 0, QStringLiteral("MHz")));
}

QList<QPointF> SustainedScores(const RunSummaryCodec::Summary& summary) {
    QList<QPointF> points;
    if (summary.sustainMinutes <= 0) {
        return points;
    }
    points.reserve(summary.runs.size());
    for (qsizetype i = 0; i < summary.runs.size(); ++i) {
        points.append(QPointF(summary.runStartSeconds.value(i) / 60, summary.runs[i].run.score));
    }
    return points;
}

Details DetailsOf(const RunEvaluation& evaluation) {
    Details details;
    const ResultsLog::ReadResult read = ResultsLog::ResultOf(evaluation);
    details.outcome = read.outcome;
    details.error = read.error;
    if (read.outcome != ResultsLog::Outcome::Ok) {
        return details;
    }
    details.summary = read.summary;
    details.tests = evaluation.tests();
    details.testsNumbered = evaluation.testsNumbered();
    details.run = evaluation.run();
    for (const TestDetails& test : details.tests) {
        // Frames that each could be real but together last longer than any
        // test: the log is no run's.
        if (test.figures.seconds > EngineContract::kMaxTestSeconds) {
            Details damaged;
            damaged.outcome = ResultsLog::Outcome::Damaged;
            return damaged;
        }
    }
    return details;
}

QString SampleMark(const TestDetails& test) {
    return test.figures.stride > 1 ? test.sampling.Mark() : QString();
}

QList<QList<QPointF>> FrameTimeRuns(const QList<double>& rates, double timeScale) {
    QList<QList<QPointF>> runs;
    QList<QPointF> run;
    double seconds = 0;
    for (const double rate : rates) {
        if (!FrameStatistics::IsUsable(rate)) {
            if (!run.isEmpty()) {
                runs.append(std::move(run));
                run = {};
            }
            continue;
        }
        seconds += 1.0 / rate;
        run.append(QPointF(seconds * timeScale, 1000.0 / rate));
    }
    if (!run.isEmpty()) {
        runs.append(std::move(run));
    }
    return runs;
}

double RoundStep(double raw) {
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= raw) {
            return factor * power;
        }
    }
    return 10 * power;
}

QList<QPointF> Thinned(const QList<QPointF>& points, double xFrom, double xTo, int columns) {
    if (columns < 1 || xTo <= xFrom || points.size() <= qsizetype(columns) * 4) {
        return points;
    }
    const double perColumn = double(columns) / (xTo - xFrom);
    const auto column = [&](const QPointF& point) {
        return std::clamp(int((point.x() - xFrom) * perColumn), 0, columns - 1);
    };
    QList<QPointF> kept;
    kept.reserve(qsizetype(columns) * 4);
    qsizetype first = 0;
    while (first < points.size()) {
        const int current = column(points[first]);
        qsizetype last = first;
        qsizetype lowest = first;
        qsizetype highest = first;
        while (last + 1 < points.size() && column(points[last + 1]) == current) {
            ++last;
            if (points[last].y() < points[lowest].y()) {
                lowest = last;
            }
            if (points[last].y() > points[highest].y()) {
                highest = last;
            }
        }
        // The kept points in their order, each once.
        qsizetype picks[] = {first, lowest, highest, last};
        std::sort(std::begin(picks), std::end(picks));
        for (qsizetype i = 0; i < 4; ++i) {
            if (i == 0 || picks[i] != picks[i - 1]) {
                kept.append(points[picks[i]]);
            }
        }
        first = last + 1;
    }
    return kept;
}

Histogram FrameTimeHistogram(const QList<double>& rates, int bins, int stride) {
    Histogram histogram;
    double shortest = 0;
    double longest = 0;
    bool any = false;
    for (const double rate : rates) {
        if (FrameStatistics::IsUsable(rate)) {
            const double ms = 1000.0 / rate;
            shortest = any ? std::min(shortest, ms) : ms;
            longest = any ? std::max(longest, ms) : ms;
            any = true;
        }
    }
    if (!any || bins < 1) {
        return histogram;
    }
    // Equal frame times still make a bar of some width around them.
    if (longest <= shortest) {
        shortest *= 0.95;
        longest *= 1.05;
    }
    histogram.firstMs = shortest;
    histogram.binMs = (longest - shortest) / bins;
    histogram.counts.fill(0, bins);
    for (const double rate : rates) {
        if (FrameStatistics::IsUsable(rate)) {
            const int bin = int((1000.0 / rate - shortest) / histogram.binMs);
            histogram.counts[std::clamp(bin, 0, bins - 1)] += stride;
        }
    }
    return histogram;
}

} // namespace ResultsDetails
