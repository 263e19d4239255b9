#include "CpuTime.h"

#include <ctime>

namespace {

qint64 cpuNanoseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

void CpuTime::start() {
    m_processStart = cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID);
    m_threadStart = cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID);
}

CpuTime::PerFrame CpuTime::perFrame(int frames) const {
    return {perFrameMs(cpuNanoseconds(CLOCK_PROCESS_CPUTIME_ID) - m_processStart, frames),
            perFrameMs(cpuNanoseconds(CLOCK_THREAD_CPUTIME_ID) - m_threadStart, frames)};
}

double CpuTime::perFrameMs(qint64 nanoseconds, int frames) {
    return frames > 0 ? double(nanoseconds) / 1e6 / frames : 0.0;
}
