#pragma once

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPointF>
#include <QString>

class QValueAxis;

// The frame-time graph of the details and the comparison window: the frame
// times (ms) of one or more runs of a test over the test's time (s), each
// run one line in its colour, broken where its frames have gaps. Whatever a
// log holds, the axes are asked to show only a bounded number of ticks, so
// that no file can make Qt Charts lay out more labels than a screen holds.
// Owned by its window like any child widget.
class FrameTimeChart : public QChartView {
    Q_OBJECT

public:
    struct Line {
        // The legend's entry; the legend is shown only when the chart was
        // made with one.
        QString name;
        QColor colour;
        // The runs of frames between gaps (ResultsDetails::FrameTimeRuns).
        QList<QList<QPointF>> runs;
    };

    FrameTimeChart(bool withLegend, QWidget* parent);

    // Replaces what the chart shows: its title and the lines over a time
    // axis from 0 to seconds (1 s when seconds is not positive).
    void Show(const QString& title, const QList<Line>& lines, double seconds);
    // Shows nothing, without a title.
    void Clear();

private:
    QValueAxis* axis(Qt::Orientation orientation) const;
};
