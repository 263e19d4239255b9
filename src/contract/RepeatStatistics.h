#pragma once

#include <QList>
#include <optional>

// The spread of one figure over the runs of a repeated run: their mean, the
// sample standard deviation, the 95 % confidence interval of the mean
// (Student's t with count - 1 degrees of freedom, the runs taken as
// independent samples of one distribution), the coefficient of variation
// and the stability (the worst run's figure over the best run's). Shared by the engine, which writes it into
// the run's summary, and the front end, which reads it back. Pure functions, no state.
namespace RepeatStatistics {

struct Spread {
    int count = 0;
    double mean = 0;
    // 0 for fewer than two values, and the interval is then the mean alone.
    double standardDeviation = 0;
    double confidenceLow = 0;
    double confidenceHigh = 0;
    // standardDeviation / mean in percent; 0 when the mean is not positive.
    double coefficientOfVariationPercent = 0;
    // The lowest value / the highest in percent, from 0 to 100: 100 for one
    // value or equal ones; 0 when the highest is not positive; none in a
    // summary written before engines gave it.
    std::optional<double> stabilityPercent;

    bool operator==(const Spread&) const = default;
};

// A stability above this says the figure holds up under lasting load.
constexpr double kSteadyStabilityPercent = 97;

// The two-sided 95 % quantile of Student's t distribution: the factor of
// the standard error that the interval reaches either side of the mean.
double StudentT95(int degreesOfFreedom);

Spread Of(const QList<double>& values);

} // namespace RepeatStatistics
