#pragma once

#include "contract/RunSummaryCodec.h"

#include <QStringList>

// The table that ends a repeated run's standard output: for each test the
// mean of its average rate over the runs, the standard deviation, the 95 %
// confidence interval of the mean and the coefficient of variation, then
// the same of the score. Only static functions.
class RepeatTable {
public:
    // Empty for a summary without spread (fewer than two complete runs).
    static QStringList lines(const RunSummaryCodec::Summary& summary);
};
