#include "RepeatTable.h"

#include <cmath>

namespace {

constexpr int kNameWidth = 24;

QString row(const QString& name, const RepeatStatistics::Spread& spread) {
    return QStringLiteral("%1 %2 %3 %4 až %5 %6 % %7 %")
        .arg(name.leftJustified(kNameWidth, u' ', true))
        .arg(spread.mean, 9, 'f', 2)
        .arg(spread.standardDeviation, 9, 'f', 2)
        .arg(spread.confidenceLow, 9, 'f', 2)
        .arg(spread.confidenceHigh, -9, 'f', 2)
        .arg(spread.coefficientOfVariationPercent, 6, 'f', 2)
        .arg(spread.stabilityPercent.value_or(0), 7, 'f', 2);
}

// A sustained run: each run's start and score, and what its stability says.
QStringList sustainedLines(const RunSummaryCodec::Summary& summary) {
    if (!summary.scoreSpread) {
        return {QStringLiteral("Za %1 min neproběhly dva celé běhy, stabilitu nelze posoudit.")
                    .arg(summary.sustainMinutes)};
    }
    QStringList lines = {QStringLiteral("Skóre v čase (%1 min):").arg(summary.sustainMinutes),
                         QStringLiteral("běh  začátek      skóre")};
    for (qsizetype i = 0; i < summary.runs.size(); ++i) {
        lines << QStringLiteral("%1 %2 %3")
                     .arg(i + 1, 4)
                     .arg(RepeatTable::minutesAndSeconds(summary.runStartSeconds.value(i)), 8)
                     .arg(summary.runs[i].run.score, 10, 'f', 2);
    }
    const double stability = summary.scoreSpread->stabilityPercent.value_or(0);
    lines << (stability > RepeatStatistics::kSteadyStabilityPercent
                  ? QStringLiteral("Stabilita %1 %: grafická karta pod zátěží drží výkon.")
                  : QStringLiteral("Stabilita %1 %: grafická karta pod zátěží zpomaluje."))
                 .arg(stability, 0, 'f', 2);
    return lines;
}

} // namespace

QString RepeatTable::minutesAndSeconds(double seconds) {
    const qint64 whole = qint64(std::floor(seconds));
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QStringList RepeatTable::lines(const RunSummaryCodec::Summary& summary) {
    QStringList lines;
    if (summary.scoreSpread) {
        lines << QStringLiteral("Rozptyl %1 běhů (snímky/s):").arg(summary.scoreSpread->count)
              << QStringLiteral("%1    průměr sm. odch.      95% interval průměru     VK  stabilita")
                     .arg(QStringLiteral("test").leftJustified(kNameWidth));
        for (const RunSummaryCodec::TestSpread& test : summary.testSpread) {
            lines << row(QStringLiteral("%1 %2").arg(test.index).arg(test.name), test.averageRate);
        }
        lines << row(QStringLiteral("skóre"), *summary.scoreSpread);
    }
    if (summary.sustainMinutes > 0) {
        lines << sustainedLines(summary);
    }
    return lines;
}
