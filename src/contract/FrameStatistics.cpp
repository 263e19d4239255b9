#include "FrameStatistics.h"

#include "EngineContract.h"

#include <algorithm>
#include <cmath>

namespace FrameStatistics {

bool IsUsable(double rate) {
    // A frame longer than a whole test is no frame of a run; it would also
    // stretch the time axis of a graph beyond any real test.
    return std::isfinite(rate) && rate >= 1.0 / EngineContract::kMaxTestSeconds;
}

double Percentile(const QList<double>& ascending, double percent) {
    if (ascending.isEmpty()) {
        return 0;
    }
    // The rank is rounded up, so 99 % of 100 values is the 99th, of 101 the
    // 100th, and of a single value that value.
    const double rank = std::ceil(percent / 100.0 * double(ascending.size()));
    const double last = double(ascending.size());
    return ascending[qsizetype(std::clamp(rank, 1.0, last)) - 1];
}

BlockFigures Block(const QList<double>& rates, const BlockSampling& sampling) {
    BlockFigures figures;
    figures.values = int(rates.size());
    QList<double> frameMs;
    frameMs.reserve(rates.size());
    for (const double rate : rates) {
        if (!IsUsable(rate)) {
            ++figures.leftOut;
            continue;
        }
        frameMs.append(1000.0 / rate);
        figures.seconds += 1.0 / rate;
    }
    if (frameMs.isEmpty()) {
        figures.seconds = 0;
        return figures;
    }
    std::sort(frameMs.begin(), frameMs.end());
    figures.frames = int(frameMs.size());
    // A sample of frames too short to add up cannot be spread over the time.
    if (sampling.thinned() && std::isfinite(sampling.seconds / figures.seconds)) {
        figures.stride = sampling.stride;
        figures.timeScale = sampling.seconds / figures.seconds;
        figures.frames = sampling.frames;
        figures.seconds = sampling.seconds;
    }
    figures.averageRate = double(figures.frames) / figures.seconds;
    figures.percentile99Ms = Percentile(frameMs, 99);
    figures.low1PercentRate = 1000.0 / figures.percentile99Ms;
    figures.slowestRate = 1000.0 / frameMs.back();
    figures.fastestRate = 1000.0 / frameMs.front();
    figures.smoothness = Smoothness::Of(rates, figures.frames);
    return figures;
}

RunFigures Run(const QList<BlockFigures>& blocks) {
    RunFigures run;
    double frames = 0;
    double seconds = 0;
    double logSum = 0;
    int rated = 0;
    for (const BlockFigures& block : blocks) {
        run.leftOut += block.leftOut;
        if (block.frames == 0) {
            continue;
        }
        frames += block.frames;
        seconds += block.seconds;
        logSum += std::log(block.averageRate);
        ++rated;
    }
    if (rated > 0) {
        run.framesPerSecond = frames / seconds;
        run.geometricMeanRate = std::exp(logSum / rated);
    }
    return run;
}

} // namespace FrameStatistics
