#pragma once

#include <QHash>
#include <QString>
#include <chrono>
#include <mutex>

// How many uploads each address may make: at most a given number within any
// minute, counted in memory only (nothing about an address is ever stored)
// and forgotten a minute after its last upload. Safe to call from the
// server's threads at once. Lives as long as the service.
class RateLimiter {
public:
    using Clock = std::chrono::steady_clock;

    // perMinute: 0 for no limit.
    explicit RateLimiter(int perMinute);

    // True when the address may upload now; counts the upload.
    bool allow(const QString& address, Clock::time_point now);

private:
    struct Window {
        Clock::time_point start;
        int count = 0;
    };
    int m_perMinute;
    std::mutex m_mutex;
    QHash<QString, Window> m_windows;
    Clock::time_point m_lastSweep;
};
