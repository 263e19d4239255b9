#pragma once

#include "SensorSample.h"
#include "SysfsSensors.h"

#include <QList>
#include <condition_variable>
#include <mutex>
#include <thread>

// Reads the sensors on a thread of its own, at once and then every
// kPeriodMs, so that the frame loop never waits for a sysfs file; the
// engine takes the samples between tests. Starts sampling when made and
// stops (and joins its thread) when destroyed.
class SensorSampler {
public:
    // At most twice a second: some sensors take a millisecond to read, and
    // RAPL's counters are precise enough over half a second.
    static constexpr int kPeriodMs = 500;

    explicit SensorSampler(SysfsSensors sensors);
    SensorSampler(const SensorSampler&) = delete;
    SensorSampler& operator=(const SensorSampler&) = delete;
    ~SensorSampler();

    // The steady clock's time in ns, as the samples are stamped.
    static qint64 now();

    const SysfsSensors& sensors() const { return m_sensors; }
    // The samples taken since the last call; the newest stays for the next
    // call, which needs a sample from before its test's start.
    QList<SensorSample> take();

private:
    void run(const std::stop_token& stop);

    // Read-only once the thread runs: its lists of files do not change.
    const SysfsSensors m_sensors;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    QList<SensorSample> m_samples;
    // Last, so that it stops before the members it uses go.
    std::jthread m_thread;
};
