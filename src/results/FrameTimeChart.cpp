#include "FrameTimeChart.h"

#include "ResultsDetails.h"

#include <QChart>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

// Ticks of the time axis: about this many steps whatever the test's length.
constexpr int kTimeSteps = 6;

} // namespace

FrameTimeChart::FrameTimeChart(bool withLegend, QWidget* parent)
    : QChartView(new QChart, parent) {
    QChart* graph = chart();
    graph->setMargins(QMargins(4, 4, 4, 4));
    graph->legend()->setVisible(withLegend);
    // Beside the plot, which keeps the height for the frame times.
    graph->legend()->setAlignment(Qt::AlignRight);
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Čas testu (s)"));
    x->setLabelFormat(QStringLiteral("%.3g"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Doba snímku (ms)"));
    y->setLabelFormat(QStringLiteral("%g"));
    graph->addAxis(x, Qt::AlignBottom);
    graph->addAxis(y, Qt::AlignLeft);
}

QValueAxis* FrameTimeChart::axis(Qt::Orientation orientation) const {
    return static_cast<QValueAxis*>(chart()->axes(orientation).constFirst());
}

void FrameTimeChart::Clear() {
    chart()->removeAllSeries();
    chart()->setTitle(QString());
}

void FrameTimeChart::Show(const QString& title, const QList<Line>& lines, double seconds) {
    QChart* graph = chart();
    graph->removeAllSeries();
    graph->setTitle(title);
    const double end = std::isfinite(seconds) && seconds > 0 ? seconds : 1;
    double longestMs = 0;
    for (const Line& line : lines) {
        for (const QList<QPointF>& points : line.runs) {
            for (const QPointF& point : points) {
                longestMs = std::max(longestMs, point.y());
            }
        }
    }
    // The time axis ends with the test; its labels stand at round steps from
    // 0 (0, 2, 4 s). Qt lays the ticks out at every change of range or
    // interval: a range set while the previous test's interval still holds
    // could ask for billions of them. So the ticks are a fixed few while the
    // range changes, and at round steps again once range and step agree.
    QValueAxis* time = axis(Qt::Horizontal);
    time->setTickType(QValueAxis::TicksFixed);
    time->setRange(0, end);
    time->setTickAnchor(0);
    time->setTickInterval(ResultsDetails::RoundStep(end / kTimeSteps));
    time->setTickType(QValueAxis::TicksDynamic);
    QValueAxis* frameTime = axis(Qt::Vertical);
    frameTime->setRange(0, longestMs > 0 ? longestMs * 1.05 : 1);
    frameTime->applyNiceNumbers();
    for (const Line& line : lines) {
        // The runs between gaps of one line: one entry in the legend.
        bool named = false;
        for (const QList<QPointF>& points : line.runs) {
            auto* series = new QLineSeries;
            series->setName(line.name);
            // Qt Charts lays out every point it is given; tens of thousands
            // take a tenth of a second or more. More than a few points per
            // pixel column change nothing on the screen.
            series->replace(ResultsDetails::Thinned(points, 0, end, width()));
            // A frame between two gaps has no line to draw; its point shows it.
            series->setPointsVisible(points.size() == 1);
            graph->addSeries(series);
            series->attachAxis(time);
            series->attachAxis(frameTime);
            series->setColor(line.colour);
            graph->legend()->markers(series).constFirst()->setVisible(!named);
            named = true;
        }
    }
}
