#include "SensorSampler.h"

#include <chrono>

SensorSampler::SensorSampler(SysfsSensors sensors)
    : m_sensors(std::move(sensors))
    , m_thread([this](const std::stop_token& stop) { run(stop); }) {}

SensorSampler::~SensorSampler() {
    m_thread.request_stop();
}

qint64 SensorSampler::now() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

QList<SensorSample> SensorSampler::take() {
    const std::lock_guard lock(m_mutex);
    QList<SensorSample> taken = m_samples;
    if (m_samples.size() > 1) {
        m_samples.remove(0, m_samples.size() - 1);
    }
    return taken;
}

void SensorSampler::run(const std::stop_token& stop) {
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested()) {
        lock.unlock();
        SensorSample sample = m_sensors.read(now());
        lock.lock();
        m_samples.append(std::move(sample));
        m_wake.wait_for(lock, stop, std::chrono::milliseconds(kPeriodMs), [] { return false; });
    }
}
