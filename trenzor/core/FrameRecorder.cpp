#include "FrameRecorder.h"

#include <algorithm>

FrameRecorder::FrameRecorder(int warmupFrames, double seconds, int frameLimit)
    : m_warmupLeft(std::max(warmupFrames, 0) + 1)
    , m_seconds(seconds)
    , m_frameLimit(std::clamp(frameLimit, 1, kMaxFrames)) {
    m_rates.reserve(m_frameLimit);
}

void FrameRecorder::frameShown(qint64 nanoseconds) {
    if (finished()) {
        return;
    }
    // The frame that ends the warm-up is the time origin, not a measured
    // frame: a rate needs the interval since the previous shown frame.
    if (m_warmupLeft > 0) {
        if (--m_warmupLeft == 0) {
            m_start = nanoseconds;
            m_last = nanoseconds;
        }
        return;
    }
    const qint64 interval = std::max<qint64>(nanoseconds - m_last, 1);
    m_rates.append(1e9 / double(interval));
    m_last = nanoseconds;
}

bool FrameRecorder::finished() const {
    return measuring() && (m_rates.size() >= m_frameLimit || double(m_last - m_start) >= m_seconds * 1e9);
}

double FrameRecorder::elapsed(qint64 nanoseconds) const {
    return measuring() ? double(nanoseconds - m_start) / 1e9 : 0.0;
}

double FrameRecorder::measuredSeconds() const {
    return double(m_last - m_start) / 1e9;
}
