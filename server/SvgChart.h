#pragma once

#include <QList>
#include <QString>

// The frame-time chart of a run's page, drawn by the server as inline SVG
// with no script and no font of its own: each test's frame times in
// milliseconds one after another along the run, a line per test in its own
// colour, the axis labelled in Czech. A test of many frames is drawn from the
// slowest frame of each of at most kColumns groups, so a stutter stays
// visible. Stateless.
namespace SvgChart {

constexpr int kWidth = 900;
constexpr int kHeight = 300;
constexpr int kColumns = 600;

// ratesPerTest: each test's instantaneous frame rates as the log holds them;
// rates that are 0, negative or not finite have no frame time and are left
// out.
QString FrameTimes(const QList<QList<double>>& ratesPerTest);

} // namespace SvgChart
