#pragma once

#include "contract/RunSummaryCodec.h"
#include "results/ResultsDetails.h"

#include <QList>
#include <cmath>
#include <random>

// Synthetic tests with a known answer for the run comparison: a camera path
// whose scene costs more in some places than in others, flown for a fixed
// time, with noise that lasts for many frames (a slow stretch) on top of
// frame-to-frame jitter, as real frame times behave.
namespace SyntheticRuns {

struct Shape {
    // The rate where the scene is cheapest, in frames per second.
    double baseRate = 3000;
    // The run's speed relative to the base: 1.05 is 5 % faster.
    double speed = 1;
    // The standard deviation of the slow noise's log, and the correlation of
    // neighbouring frames' slow noise.
    double slowNoise = 0.01;
    double slowCorrelation = 0.999;
    // The frame-to-frame jitter's log standard deviation.
    double jitter = 0.05;
    double seconds = 10;
};

// A test's frames as the log gives them: instantaneous rates.
inline QList<double> Rates(const Shape& shape, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> normal;
    const double pi = std::acos(-1.0);
    QList<double> rates;
    double elapsed = 0;
    const double innovation = std::sqrt(1 - shape.slowCorrelation * shape.slowCorrelation);
    double slow = shape.slowNoise * normal(random);
    while (elapsed < shape.seconds && rates.size() < 32766) {
        const double place = elapsed / shape.seconds;
        const double cost = 1.5 + std::sin(2 * pi * 3 * place);
        slow = shape.slowCorrelation * slow + innovation * shape.slowNoise * normal(random);
        const double rate =
            shape.baseRate * shape.speed / cost * std::exp(slow + shape.jitter * normal(random));
        rates.append(rate);
        elapsed += 1 / rate;
    }
    return rates;
}

// The engine's JSON summary of a run with these tests' figures (no frame
// times) and this header (program, date, …, conditions, processor, card).
inline QByteArray Summary(const ResultsDetails::Details& run, const QStringList& header) {
    RunSummaryCodec::Summary summary;
    summary.header = header;
    summary.complete = true;
    for (const ResultsDetails::TestDetails& test : run.tests) {
        RunSummaryCodec::Test figures;
        figures.index = test.index;
        figures.name = test.name;
        figures.figures = test.figures;
        summary.last.tests.append(figures);
    }
    summary.last.run.score = 1234.5;
    summary.last.run.framesPerSecond = 111.5;
    summary.last.run.geometricMeanRate = 222.5;
    summary.last.run.leftOut = 3;
    return RunSummaryCodec::encode(summary);
}

} // namespace SyntheticRuns
