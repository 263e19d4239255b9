#include "EnergyMeter.h"

#include <algorithm>

namespace EnergyMeter {

quint64 Increment(quint64 before, quint64 after, quint64 range) {
    if (after >= before) {
        return after - before;
    }
    return range > before ? range - before + after : after;
}

namespace {

// The mean of the figure over the samples that have it.
std::optional<double> Mean(const QList<SensorSample>& samples, std::optional<double> SensorSample::*member) {
    double sum = 0;
    int count = 0;
    for (const SensorSample& sample : samples) {
        if (const std::optional<double>& value = sample.*member) {
            sum += *value;
            ++count;
        }
    }
    return count > 0 ? std::optional<double>(sum / count) : std::nullopt;
}

std::optional<double> Highest(const QList<SensorSample>& samples,
                              std::optional<double> SensorSample::*member) {
    std::optional<double> highest;
    for (const SensorSample& sample : samples) {
        if (const std::optional<double>& value = sample.*member) {
            highest = std::max(highest.value_or(*value), *value);
        }
    }
    return highest;
}

// The mean power (W) over the neighbouring pairs of samples that both
// have the readings: the counters' energy and the sensors' trapezoids.
std::optional<double> MeanWatts(const QList<SensorSample>& span, const QList<quint64>& ranges) {
    double counterJoules = 0;
    double counterSeconds = 0;
    double sensorJoules = 0;
    double sensorSeconds = 0;
    for (qsizetype i = 1; i < span.size(); ++i) {
        const SensorSample& a = span[i - 1];
        const SensorSample& b = span[i];
        const double seconds = double(b.ns - a.ns) / 1e9;
        if (seconds <= 0) {
            continue;
        }
        if (!a.counters.isEmpty() && a.counters.size() == b.counters.size() &&
            a.counters.size() == ranges.size()) {
            for (qsizetype c = 0; c < a.counters.size(); ++c) {
                counterJoules += double(Increment(a.counters[c], b.counters[c], ranges[c])) / 1e6;
            }
            counterSeconds += seconds;
        }
        if (a.watts && b.watts) {
            sensorJoules += (*a.watts + *b.watts) / 2 * seconds;
            sensorSeconds += seconds;
        }
    }
    if (counterSeconds <= 0 && sensorSeconds <= 0) {
        return std::nullopt;
    }
    return (counterSeconds > 0 ? counterJoules / counterSeconds : 0) +
           (sensorSeconds > 0 ? sensorJoules / sensorSeconds : 0);
}

} // namespace

EnergyReport::Test Measure(const QList<SensorSample>& samples, const QList<quint64>& ranges, qint64 fromNs,
                           qint64 toNs, int index, double averageRate) {
    EnergyReport::Test test;
    test.index = index;
    qsizetype first = 0;
    while (first + 1 < samples.size() && samples[first + 1].ns <= fromNs) {
        ++first;
    }
    qsizetype last = first;
    while (last + 1 < samples.size() && samples[last].ns < toNs) {
        ++last;
    }
    const QList<SensorSample> span = samples.mid(first, samples.isEmpty() ? 0 : last - first + 1);
    test.cpuCelsius = Highest(span, &SensorSample::cpuCelsius);
    test.gpuCelsius = Highest(span, &SensorSample::gpuCelsius);
    test.cpuMegahertz = Mean(span, &SensorSample::cpuMegahertz);
    test.gpuMegahertz = Mean(span, &SensorSample::gpuMegahertz);
    test.watts = MeanWatts(span, ranges);
    if (test.watts) {
        test.joules = *test.watts * double(toNs - fromNs) / 1e9;
        if (*test.watts > 0) {
            test.pointsPerWatt = averageRate / *test.watts;
        }
    }
    return test;
}

} // namespace EnergyMeter
