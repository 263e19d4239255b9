#pragma once

#include <QList>

// How evenly a test's frames came, beside the rate figures of
// FrameStatistics: stutter (frames far longer than the test's usual frame),
// the rate of the slowest frames that take 1 % of the test's time, and the
// jitter between neighbouring frames. Computed from a block's rates as the
// results log holds them; a thinned block's kept frames each stand for the
// frames around them, so counts are scaled to all the test's frames and
// shares and rates come from the sample. Formulas and a worked example:
// docs/smoothness.md. Pure functions, no state.
namespace Smoothness {

// A frame stutters when it takes longer than this times the test's median
// frame time.
constexpr double kStutterFactor = 2.5;
// The share of the test's time that its slowest frames take in the
// time-weighted low rate.
constexpr double kSlowestTimeShare = 0.01;

struct Figures {
    // kStutterFactor × the median frame time (nearest rank).
    double stutterLimitMs = 0;
    // The test's frames longer than stutterLimitMs, and their share of the
    // test's time in percent.
    int stutterFrames = 0;
    double stutterPercent = 0;
    // Frames / time of the slowest frames that together take
    // kSlowestTimeShare of the test's time, the last of them counted by the
    // part of it that falls within.
    double slowestTimeRate = 0;
    // The 99th percentile (nearest rank) of |frame time − the previous frame
    // time| over neighbouring usable values, in ms.
    double jitter99Ms = 0;
    bool operator==(const Figures&) const = default;
};

// The figures of a block's rates that stand for this many frames (the
// block's usable values, or all the frames of a thinned test). All 0 when
// no rate is usable (FrameStatistics::IsUsable).
Figures Of(const QList<double>& rates, int frames);

} // namespace Smoothness
