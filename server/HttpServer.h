#pragma once

#include "ServiceHandlers.h"

#include <QString>
#include <chrono>
#include <memory>

namespace httplib {
class Server;
}

// The service's HTTP side over cpp-httplib: the routes mapped to their
// handlers, the limits (body, time per read and write and per request,
// keep-alive), headers
// that keep the pages from loading anything from elsewhere, and a JSON error
// for whatever the library refuses itself. Behind a reverse proxy on the
// same computer the client's address for the upload limit is the last one
// the proxy added to X-Forwarded-For. The port is not shared with another
// process (no SO_REUSEPORT), and connections arriving at once wait in a
// backlog of the system's size. Lives as long as the service.
class HttpServer {
public:
    explicit HttpServer(ServiceHandlers& handlers);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds the address and port; false when they cannot be used.
    bool bind(const QString& address, int port);
    // Serves until stop(); false when serving failed.
    bool serve();
    // Safe from another thread.
    void stop();

    // Within which a request must be read and answered: an upload of the
    // largest size at about 1.1 Mbit/s, and behind a reverse proxy, which
    // takes the body before passing it on, far more.
    static constexpr std::chrono::seconds kRequestTime{60};

private:
    std::unique_ptr<httplib::Server> m_server;
    // The listening socket, once bound; the library's own backlog of 5
    // connections is widened on it.
    int m_listening = -1;
};
