#include "DeadlineStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>

namespace {

// The numeric address and port of a socket's end, as cpp-httplib gives them.
void AddressOf(int (*name)(int, sockaddr*, socklen_t*), socket_t socket, std::string& ip, int& port) {
    sockaddr_storage address{};
    socklen_t length = sizeof(address);
    if (name(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return;
    }
    if (address.ss_family == AF_INET) {
        port = ntohs(reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
    } else if (address.ss_family == AF_INET6) {
        port = ntohs(reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port);
    } else {
        return;
    }
    std::array<char, NI_MAXHOST> host{};
    if (getnameinfo(reinterpret_cast<const sockaddr*>(&address), length, host.data(), host.size(), nullptr, 0,
                    NI_NUMERICHOST) == 0) {
        ip = host.data();
    }
}

} // namespace

DeadlineStream::DeadlineStream(socket_t socket, Clock::time_point deadline,
                               std::chrono::milliseconds readTimeout, std::chrono::milliseconds writeTimeout)
    : m_socket(socket)
    , m_deadline(deadline)
    , m_readTimeout(readTimeout)
    , m_writeTimeout(writeTimeout) {}

bool DeadlineStream::ready(short events, std::chrono::milliseconds timeout) const {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        const auto wait = std::min(timeout, left);
        if (wait.count() <= 0) {
            return false;
        }
        pollfd descriptor{m_socket, events, 0};
        const int result = poll(&descriptor, 1, int(wait.count()));
        if (result >= 0 || errno != EINTR) {
            // A hung-up or failed socket is "ready": the read or write says why.
            return result > 0;
        }
    }
}

bool DeadlineStream::is_readable() const {
    return m_begin < m_end || ready(POLLIN, m_readTimeout);
}

bool DeadlineStream::is_writable() const {
    return ready(POLLOUT, m_writeTimeout);
}

ssize_t DeadlineStream::read(char* ptr, size_t size) {
    if (m_begin == m_end) {
        if (!ready(POLLIN, m_readTimeout)) {
            return -1;
        }
        ssize_t received = 0;
        do {
            received = recv(m_socket, m_buffer.data(), m_buffer.size(), 0);
        } while (received < 0 && errno == EINTR);
        if (received <= 0) {
            return received;
        }
        m_begin = 0;
        m_end = size_t(received);
    }
    const size_t taken = std::min(size, m_end - m_begin);
    std::memcpy(ptr, m_buffer.data() + m_begin, taken);
    m_begin += taken;
    return ssize_t(taken);
}

ssize_t DeadlineStream::write(const char* ptr, size_t size) {
    if (!is_writable()) {
        return -1;
    }
    ssize_t sent = 0;
    do {
        // A client gone is an error of this write, not a SIGPIPE.
        sent = send(m_socket, ptr, size, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

void DeadlineStream::get_remote_ip_and_port(std::string& ip, int& port) const {
    AddressOf(getpeername, m_socket, ip, port);
}

void DeadlineStream::get_local_ip_and_port(std::string& ip, int& port) const {
    AddressOf(getsockname, m_socket, ip, port);
}
