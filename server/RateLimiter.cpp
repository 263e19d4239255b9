#include "RateLimiter.h"

RateLimiter::RateLimiter(int perMinute)
    : m_perMinute(perMinute) {}

bool RateLimiter::allow(const QString& address, Clock::time_point now) {
    if (m_perMinute == 0) {
        return true;
    }
    constexpr auto kMinute = std::chrono::minutes(1);
    const std::lock_guard lock(m_mutex);
    // The counters of addresses that went quiet are dropped once a minute,
    // so memory does not grow with the addresses ever seen.
    if (now - m_lastSweep >= kMinute) {
        m_windows.removeIf([&](const auto& entry) { return now - entry.value().start >= kMinute; });
        m_lastSweep = now;
    }
    Window& window = m_windows[address];
    if (window.count == 0 || now - window.start >= kMinute) {
        window = Window{now, 0};
    }
    if (window.count >= m_perMinute) {
        return false;
    }
    ++window.count;
    return true;
}
