#include "RepeatTable.h"

namespace {

constexpr int kNameWidth = 24;

QString row(const QString& name, const RepeatStatistics::Spread& spread) {
    return QStringLiteral("%1 %2 %3 %4 až %5 %6 %")
        .arg(name.leftJustified(kNameWidth, u' ', true))
        .arg(spread.mean, 9, 'f', 2)
        .arg(spread.standardDeviation, 9, 'f', 2)
        .arg(spread.confidenceLow, 9, 'f', 2)
        .arg(spread.confidenceHigh, -9, 'f', 2)
        .arg(spread.coefficientOfVariationPercent, 6, 'f', 2);
}

} // namespace

QStringList RepeatTable::lines(const RunSummaryCodec::Summary& summary) {
    if (!summary.scoreSpread) {
        return {};
    }
    QStringList lines = {
        QStringLiteral("Rozptyl %1 běhů (snímky/s):").arg(summary.scoreSpread->count),
        QStringLiteral("%1    průměr sm. odch.      95% interval průměru     VK")
            .arg(QStringLiteral("test").leftJustified(kNameWidth)),
    };
    for (const RunSummaryCodec::TestSpread& test : summary.testSpread) {
        lines << row(QStringLiteral("%1 %2").arg(test.index).arg(test.name), test.averageRate);
    }
    lines << row(QStringLiteral("skóre"), *summary.scoreSpread);
    return lines;
}
