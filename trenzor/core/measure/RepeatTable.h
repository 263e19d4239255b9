#pragma once

#include "contract/RunSummaryCodec.h"

#include <QStringList>

// The table that ends a repeated run's standard output: for each test the
// mean of its average rate over the runs, the standard deviation, the 95 %
// confidence interval of the mean, the coefficient of variation and the
// stability (the worst run's / the best run's), then the same of the score.
// A sustained run adds each run's start and score and says whether the
// graphics card held its speed. Only static functions.
class RepeatTable {
public:
    // Empty for a summary without spread (fewer than two complete runs),
    // but for a sustained run, where a line says why there is no stability.
    static QStringList lines(const RunSummaryCodec::Summary& summary);
    // "2:05": seconds as minutes and seconds, cut to whole seconds.
    static QString minutesAndSeconds(double seconds);
};
