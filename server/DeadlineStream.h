#pragma once

#include <httplib.h>

#include <array>
#include <chrono>

// One request's side of a connection for cpp-httplib, with a deadline: each
// read and write waits at most its own timeout and never past the deadline,
// so a client that sends or takes its request byte by byte is cut off when
// the deadline comes, not only when it falls silent. Reads go through a
// buffer, as the library reads the headers a byte at a time. Lives for one
// request; does not own the socket.
class DeadlineStream final : public httplib::Stream {
public:
    using Clock = std::chrono::steady_clock;

    DeadlineStream(socket_t socket, Clock::time_point deadline, std::chrono::milliseconds readTimeout,
                   std::chrono::milliseconds writeTimeout);

    bool is_readable() const override;
    bool is_writable() const override;
    ssize_t read(char* ptr, size_t size) override;
    ssize_t write(const char* ptr, size_t size) override;
    void get_remote_ip_and_port(std::string& ip, int& port) const override;
    void get_local_ip_and_port(std::string& ip, int& port) const override;
    socket_t socket() const override { return m_socket; }

private:
    // Whether the socket is ready for events within timeout and before the
    // deadline.
    bool ready(short events, std::chrono::milliseconds timeout) const;

    socket_t m_socket;
    Clock::time_point m_deadline;
    std::chrono::milliseconds m_readTimeout;
    std::chrono::milliseconds m_writeTimeout;
    std::array<char, 4096> m_buffer{};
    size_t m_begin = 0;
    size_t m_end = 0;
};
