#include "FrameRecorder.h"

#include <algorithm>

FrameRecorder::FrameRecorder(int warmupFrames, double seconds, int frameLimit)
    : m_warmupLeft(std::max(warmupFrames, 0))
    , m_warmup(m_warmupLeft)
    , m_seconds(seconds)
    , m_frameLimit(std::clamp(frameLimit, 1, EngineContract::kMaxFrameCount)) {
    m_rates.reserve(m_frameLimit + 1);
}

double FrameRecorder::frameStarted(qint64 nanoseconds) {
    if (measuring()) {
        const qint64 now = paused() ? m_pausedAt : nanoseconds;
        m_pathTime = std::min(double(now - m_start - m_pausedTotal) / 1e9, m_seconds);
    }
    return m_pathTime;
}

void FrameRecorder::frameShown(qint64 nanoseconds) {
    if (m_finished) {
        return;
    }
    ++m_shown;
    if (m_warmupLeft > 0) {
        --m_warmupLeft;
        return;
    }
    // A rate needs the interval since the previous shown frame: the first
    // frame, and the first after a pause, only start the timing.
    if (m_originNext) {
        m_originNext = false;
        if (m_origins++ == 0) {
            m_start = nanoseconds;
        }
        m_last = nanoseconds;
        m_finished = m_pathTime >= m_seconds;
        return;
    }
    const qint64 interval = std::max<qint64>(nanoseconds - m_last, 1);
    m_last = nanoseconds;
    m_measuredNanoseconds += interval;
    if (m_measured++ % m_stride == 0) {
        m_rates.append(1e9 / double(interval));
        if (m_rates.size() > m_frameLimit) {
            // Keeps the values of the measured frames 0, 2k, 4k, ...
            qsizetype kept = 0;
            for (qsizetype i = 0; i < m_rates.size(); i += 2) {
                m_rates[kept++] = m_rates[i];
            }
            m_rates.resize(kept);
            m_stride *= 2;
        }
    }
    m_finished = m_pathTime >= m_seconds;
}

void FrameRecorder::pause(qint64 nanoseconds) {
    if (!paused()) {
        m_pausedAt = nanoseconds;
    }
}

void FrameRecorder::resume(qint64 nanoseconds) {
    if (paused()) {
        // A pause before the time origin delays the origin itself.
        if (measuring()) {
            m_pausedTotal += nanoseconds - m_pausedAt;
        }
        m_pausedAt = -1;
        m_originNext = true;
    }
}

FrameRecorder::Counts FrameRecorder::counts() const {
    return {m_shown, m_warmup - m_warmupLeft, m_origins, m_measured, m_stride};
}

BlockSampling FrameRecorder::sampling() const {
    return BlockSampling{m_stride, m_measured, measuredSeconds()};
}
