#pragma once

#include <QtGlobal>

// The processor time a test's measured frames took, of the whole process and
// of the main thread (where the frames are drawn): started when measuring
// begins, read when the test ends. One per engine, restarted for each test.
class CpuTime {
public:
    // Milliseconds of processor time per frame.
    struct PerFrame {
        double process = 0;
        double thread = 0;
    };

    void start();
    // Since start(), spread over this many frames; none gives 0.
    PerFrame perFrame(int frames) const;
    // nanoseconds of processor time over frames, in milliseconds per frame.
    static double perFrameMs(qint64 nanoseconds, int frames);

private:
    qint64 m_processStart = 0;
    qint64 m_threadStart = 0;
};
