#pragma once

#include "contract/BlockSampling.h"
#include "contract/EngineContract.h"

#include <QVector>
#include <QtGlobal>

// Measures one test along its camera path. The warm-up frames are skipped,
// the next shown frame is the time origin, and from then on each frame shows
// the path at the time measured since the origin; the frame that shows the
// path's last moment ends the test, however fast or slow the computer is.
// For measured frames the recorder keeps the instantaneous frame rate,
// 1 / (time since the previous frame was shown). A block holds at most
// frameLimit values: when a fast computer shows more frames, every other kept
// value is dropped and from then on only every second (fourth, ...) frame is
// kept, so the block still covers the whole path evenly with rates of real
// frames. While paused (the window hidden) the path stands still and nothing
// is measured; the first frame after a pause is a new time origin. Timestamps
// come from the caller's monotonic clock in nanoseconds. One recorder per test
// run.
class FrameRecorder {
public:
    // How the shown frames were used: shown = warmup + origins + measured;
    // every stride-th measured frame is kept.
    struct Counts {
        int shown = 0;
        int warmup = 0;
        int origins = 0;
        int measured = 0;
        int stride = 1;
    };

    FrameRecorder(int warmupFrames, double seconds, int frameLimit);

    // Called as a frame begins; returns the moment of the path the frame
    // shows: 0 until measuring begins, never beyond the path's end.
    double frameStarted(qint64 nanoseconds);
    // Called once for every frame just after it was shown.
    void frameShown(qint64 nanoseconds);
    // The window stopped or started being visible.
    void pause(qint64 nanoseconds);
    void resume(qint64 nanoseconds);

    bool paused() const { return m_pausedAt >= 0; }
    bool measuring() const { return m_origins > 0; }
    bool finished() const { return m_finished; }
    // The path time of the latest frame begun.
    double pathTime() const { return m_pathTime; }
    // The sum of the measured frames' intervals, in seconds.
    double measuredSeconds() const { return double(m_measuredNanoseconds) / 1e9; }
    const QVector<double>& rates() const { return m_rates; }
    Counts counts() const;
    // How the kept rates sample the measured frames, for the log.
    BlockSampling sampling() const;

private:
    int m_warmupLeft;
    int m_warmup;
    double m_seconds;
    int m_frameLimit;
    int m_shown = 0;
    int m_origins = 0;
    int m_measured = 0;
    int m_stride = 1;
    bool m_originNext = true;
    bool m_finished = false;
    double m_pathTime = 0;
    qint64 m_start = 0;
    qint64 m_last = 0;
    qint64 m_pausedTotal = 0;
    qint64 m_pausedAt = -1;
    qint64 m_measuredNanoseconds = 0;
    QVector<double> m_rates;
};
