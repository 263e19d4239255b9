#include "Smoothness.h"

#include "FrameStatistics.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace Smoothness {

Figures Of(const QList<double>& rates, int frames) {
    Figures figures;
    QList<double> frameMs;
    QList<double> stepsMs;
    frameMs.reserve(rates.size());
    bool previousUsable = false;
    for (const double rate : rates) {
        const bool usable = FrameStatistics::IsUsable(rate);
        if (usable) {
            // A gap has no frame time: the frames on either side of it are
            // no neighbours.
            if (previousUsable) {
                stepsMs.append(std::abs(1000.0 / rate - frameMs.constLast()));
            }
            frameMs.append(1000.0 / rate);
        }
        previousUsable = usable;
    }
    if (frameMs.isEmpty()) {
        return figures;
    }
    std::sort(stepsMs.begin(), stepsMs.end());
    figures.jitter99Ms = FrameStatistics::Percentile(stepsMs, 99);

    // Frame times are never in order in the log; sorted longest first, the
    // arrival order is no longer needed.
    std::sort(frameMs.begin(), frameMs.end(), std::greater<>());
    double totalMs = 0;
    for (const double ms : frameMs) {
        totalMs += ms;
    }
    QList<double> ascending(frameMs.crbegin(), frameMs.crend());
    figures.stutterLimitMs = kStutterFactor * FrameStatistics::Percentile(ascending, 50);
    int stutter = 0;
    double stutterMs = 0;
    for (const double ms : frameMs) {
        if (ms <= figures.stutterLimitMs) {
            break;
        }
        ++stutter;
        stutterMs += ms;
    }
    // Each usable value stands for frames / values of the test's frames.
    figures.stutterFrames = int(std::lround(double(stutter) * double(frames) / double(frameMs.size())));
    figures.stutterPercent = 100.0 * stutterMs / totalMs;

    const double shareMs = kSlowestTimeShare * totalMs;
    double takenMs = 0;
    double taken = 0;
    for (const double ms : frameMs) {
        if (takenMs + ms >= shareMs) {
            taken += (shareMs - takenMs) / ms;
            break;
        }
        takenMs += ms;
        taken += 1;
    }
    figures.slowestTimeRate = 1000.0 * taken / shareMs;
    return figures;
}

} // namespace Smoothness
