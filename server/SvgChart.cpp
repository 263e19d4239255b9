#include "SvgChart.h"

#include "contract/FrameStatistics.h"

#include <algorithm>
#include <array>

namespace SvgChart {

QString FrameTimes(const QList<QList<double>>& ratesPerTest) {
    static constexpr std::array<const char*, 7> kColours = {"#1f77b4", "#ff7f0e", "#2ca02c", "#d62728",
                                                            "#9467bd", "#8c564b", "#e377c2"};
    constexpr int kLeft = 50;
    constexpr int kBottom = 20;
    const int plotWidth = kWidth - kLeft - 10;
    const int plotHeight = kHeight - kBottom - 10;

    // Per test, the slowest frame time of each group of frames.
    QList<QList<double>> columns;
    double slowest = 0;
    qsizetype total = 0;
    for (const QList<double>& rates : ratesPerTest) {
        QList<double> times;
        for (const double rate : rates) {
            if (FrameStatistics::IsUsable(rate)) {
                times.append(1000.0 / rate);
            }
        }
        const qsizetype groups =
            std::min<qsizetype>(times.size(), kColumns / std::max<qsizetype>(1, ratesPerTest.size()));
        QList<double> test;
        for (qsizetype g = 0; g < groups; ++g) {
            const auto begin = times.begin() + g * times.size() / groups;
            const auto end = times.begin() + (g + 1) * times.size() / groups;
            test.append(*std::max_element(begin, end));
            slowest = std::max(slowest, test.last());
        }
        total += test.size();
        columns.append(test);
    }
    QString svg = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%2\" "
                                 "viewBox=\"0 0 %1 %2\" role=\"img\" aria-label=\"Doby snímků\">")
                      .arg(kWidth)
                      .arg(kHeight);
    const double top = slowest > 0 ? slowest * 1.05 : 1;
    svg +=
        QStringLiteral("<rect x=\"%1\" y=\"10\" width=\"%2\" height=\"%3\" fill=\"none\" stroke=\"#888\"/>")
            .arg(kLeft)
            .arg(plotWidth)
            .arg(plotHeight);
    svg += QStringLiteral("<text x=\"4\" y=\"20\" font-size=\"11\">%1 ms</text>").arg(top, 0, 'f', 1);
    svg += QStringLiteral("<text x=\"4\" y=\"%1\" font-size=\"11\">0 ms</text>").arg(kHeight - kBottom);
    svg += QStringLiteral("<text x=\"%1\" y=\"%2\" font-size=\"11\">snímky testů po sobě</text>")
               .arg(kLeft)
               .arg(kHeight - 4);
    qsizetype at = 0;
    for (qsizetype test = 0; test < columns.size(); ++test) {
        QString points;
        for (const double time : columns[test]) {
            const double x = kLeft + (total > 1 ? double(at) * plotWidth / double(total - 1) : 0.0);
            const double y = 10 + plotHeight - time / top * plotHeight;
            points += QStringLiteral("%1,%2 ").arg(x, 0, 'f', 1).arg(y, 0, 'f', 1);
            ++at;
        }
        svg += QStringLiteral(
                   "<polyline fill=\"none\" stroke-width=\"1\" stroke=\"%1\" points=\"%2\"><title>test "
                   "%3</title></polyline>")
                   .arg(QLatin1String(kColours[size_t(test) % kColours.size()]), points.trimmed())
                   .arg(test);
    }
    return svg + QStringLiteral("</svg>");
}

} // namespace SvgChart
