#include "RepeatStatistics.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace RepeatStatistics {

double StudentT95(int degreesOfFreedom) {
    // The quantile t(0.975) for 1 to 30 degrees of freedom; a repeated run
    // has at most 20 runs.
    static constexpr std::array<double, 30> kTable = {
        12.706205, 4.302653, 3.182446, 2.776445, 2.570582, 2.446912, 2.364624, 2.306004, 2.262157, 2.228139,
        2.200985,  2.178813, 2.160369, 2.144787, 2.131450, 2.119905, 2.109816, 2.100922, 2.093024, 2.085963,
        2.079614,  2.073873, 2.068658, 2.063899, 2.059539, 2.055529, 2.051831, 2.048407, 2.045230, 2.042272,
    };
    if (degreesOfFreedom < 1) {
        return 0;
    }
    if (degreesOfFreedom <= int(kTable.size())) {
        return kTable[std::size_t(degreesOfFreedom - 1)];
    }
    // Beyond the table, the first terms of the Cornish-Fisher expansion
    // around the normal quantile, within 1e-4 of the table at 30.
    const double z = 1.959964;
    const double n = degreesOfFreedom;
    return z + (z * z * z + z) / (4 * n) + (5 * std::pow(z, 5) + 16 * z * z * z + 3 * z) / (96 * n * n);
}

Spread Of(const QList<double>& values) {
    Spread spread;
    spread.count = int(values.size());
    if (values.isEmpty()) {
        return spread;
    }
    double sum = 0;
    for (const double value : values) {
        sum += value;
    }
    spread.mean = sum / spread.count;
    const auto [lowest, highest] = std::minmax_element(values.cbegin(), values.cend());
    spread.stabilityPercent = *highest > 0 ? 100 * std::max(*lowest, 0.0) / *highest : 0.0;
    spread.confidenceLow = spread.confidenceHigh = spread.mean;
    if (spread.count < 2) {
        return spread;
    }
    double squares = 0;
    for (const double value : values) {
        squares += (value - spread.mean) * (value - spread.mean);
    }
    spread.standardDeviation = std::sqrt(squares / (spread.count - 1));
    const double reach = StudentT95(spread.count - 1) * spread.standardDeviation / std::sqrt(spread.count);
    spread.confidenceLow = spread.mean - reach;
    spread.confidenceHigh = spread.mean + reach;
    if (spread.mean > 0) {
        spread.coefficientOfVariationPercent = 100 * spread.standardDeviation / spread.mean;
    }
    return spread;
}

} // namespace RepeatStatistics
