#pragma once

#include <QVector>
#include <QtGlobal>

// Measures one test: skips the warm-up frames, then keeps the instantaneous
// frame rate (1 / time since the previous frame was shown) of every frame
// until the test's time is up or its frame limit is reached. Timestamps come
// from the caller's monotonic clock in nanoseconds. One recorder per test run.
class FrameRecorder {
public:
    static constexpr int kMaxFrames = 32766;

    FrameRecorder(int warmupFrames, double seconds, int frameLimit);

    // Called once for every frame just after it was shown.
    void frameShown(qint64 nanoseconds);

    bool measuring() const { return m_warmupLeft == 0; }
    bool finished() const;
    // Seconds since measuring began; 0 during the warm-up.
    double elapsed(qint64 nanoseconds) const;
    // Seconds from the first to the last measured frame.
    double measuredSeconds() const;
    const QVector<double>& rates() const { return m_rates; }

private:
    int m_warmupLeft;
    double m_seconds;
    int m_frameLimit;
    qint64 m_start = 0;
    qint64 m_last = 0;
    QVector<double> m_rates;
};
