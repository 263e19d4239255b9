#pragma once

#include "BlockSampling.h"
#include "Smoothness.h"

#include <QList>
#include <optional>

// Figures of a test's measured frames, shared by the front end's details
// window and the engine's run summary so that both say the same. A test's
// frames are given as instantaneous frame rates, 1 / frame time in seconds,
// as the results log holds them; a thinned block's rates are a sample of
// its frames, and its frames and time are those its log states (see
// BlockSampling). A rate that is 0, negative or not finite
// has no frame time, nor has one whose frame time is longer than
// EngineContract::kMaxTestSeconds; it is left out of every figure and
// counted. Pure
// functions, no state.
namespace FrameStatistics {

struct BlockFigures {
    // Rates given, and those left out of the figures below.
    int values = 0;
    int leftOut = 0;
    // Every stride-th frame has a rate: 1 unless the block was thinned.
    int stride = 1;
    // The figures of the usable rates; all 0 when none is usable. A thinned
    // block's frames and seconds are all its frames, whose sample the rates
    // are; the figures from averageRate on are then the sample's.
    int frames = 0;
    // Sum of the frame times.
    double seconds = 0;
    // seconds / the sum of the usable rates' frame times: how long a
    // sampled frame's time stands for, 1 for an unthinned block. A sampled
    // frame's moment in the test is its running sum of frame times times
    // this.
    double timeScale = 1;
    // frames / seconds: what the test drew in the time it took.
    double averageRate = 0;
    // The frame time that 99 % of the frames do not exceed (nearest rank),
    // and the rate it stands for, "1% low".
    double percentile99Ms = 0;
    double low1PercentRate = 0;
    double slowestRate = 0;
    double fastestRate = 0;
    // How evenly the frames came; none for a block without a usable frame
    // and for a summary written before these figures.
    std::optional<Smoothness::Figures> smoothness;
    bool operator==(const BlockFigures&) const = default;
};

struct RunFigures {
    // All usable frames of the run / the sum of their frame times: long tests
    // and slow tests weigh more.
    double framesPerSecond = 0;
    // The geometric mean of the tests' average rates: every test weighs the
    // same, and a test twice as fast moves it by the same factor whichever
    // test it is. Tests without a usable frame are left out.
    double geometricMeanRate = 0;
    int leftOut = 0;
};

bool IsUsable(double rate);

// The nearest-rank percentile (0 < percent <= 100) of ascending values:
// the smallest value that at least percent % of the values do not exceed.
// 0 for no values.
double Percentile(const QList<double>& ascending, double percent);

BlockFigures Block(const QList<double>& rates, const BlockSampling& sampling);
RunFigures Run(const QList<BlockFigures>& blocks);

} // namespace FrameStatistics
