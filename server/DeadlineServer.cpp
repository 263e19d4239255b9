#include "DeadlineServer.h"

#include "DeadlineStream.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::chrono::milliseconds Milliseconds(time_t seconds, time_t microseconds) {
    return std::chrono::seconds(seconds) +
           std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::microseconds(microseconds));
}

// Whether the next request begins within the keep-alive time.
bool NextRequestComes(socket_t socket, time_t seconds) {
    pollfd descriptor{socket, POLLIN, 0};
    int result = 0;
    do {
        result = poll(&descriptor, 1, int(seconds * 1000));
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

} // namespace

DeadlineServer::DeadlineServer(std::chrono::milliseconds requestTime)
    : m_requestTime(requestTime) {}

bool DeadlineServer::process_and_close_socket(socket_t sock) {
    bool served = false;
    for (size_t left = keep_alive_max_count_;
         left > 0 && svr_sock_ != INVALID_SOCKET && NextRequestComes(sock, keep_alive_timeout_sec_); --left) {
        DeadlineStream stream(sock, DeadlineStream::Clock::now() + m_requestTime,
                              Milliseconds(read_timeout_sec_, read_timeout_usec_),
                              Milliseconds(write_timeout_sec_, write_timeout_usec_));
        bool closed = false;
        served = process_request(stream, left == 1, closed, nullptr);
        if (!served || closed) {
            break;
        }
    }
    shutdown(sock, SHUT_RDWR);
    close(sock);
    return served;
}
