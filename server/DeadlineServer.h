#pragma once

#include <httplib.h>

#include <chrono>

// cpp-httplib's server with a deadline on every request: from its first
// byte, a request must be read and answered within the request time, on top
// of the library's timeout for each read and write, so no client holds one
// of the few worker threads longer by sending or reading slowly. Keep-alive
// as the library's own server does it. Lives as long as the service.
class DeadlineServer final : public httplib::Server {
public:
    explicit DeadlineServer(std::chrono::milliseconds requestTime);

private:
    bool process_and_close_socket(socket_t sock) override;

    std::chrono::milliseconds m_requestTime;
};
