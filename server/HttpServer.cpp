#include "HttpServer.h"

#include "DeadlineServer.h"
#include "UploadCheck.h"

#include <httplib.h>

#include <QUrlQuery>
#include <cstdio>
#include <exception>

namespace {

ServiceHandlers::Request RequestOf(const httplib::Request& request) {
    ServiceHandlers::Request converted;
    for (const auto& [name, value] : request.params) {
        converted.query.insert(QString::fromStdString(name), QString::fromStdString(value));
    }
    converted.contentType = QByteArray::fromStdString(request.get_header_value("Content-Type"));
    converted.authorization = QByteArray::fromStdString(request.get_header_value("Authorization"));
    converted.ifNoneMatch = QByteArray::fromStdString(request.get_header_value("If-None-Match"));
    converted.clientAddress = QString::fromStdString(request.remote_addr);
    const std::string forwarded = request.get_header_value("X-Forwarded-For");
    if (!forwarded.empty() && (request.remote_addr == "127.0.0.1" || request.remote_addr == "::1")) {
        const size_t comma = forwarded.rfind(',');
        converted.clientAddress =
            QString::fromStdString(comma == std::string::npos ? forwarded : forwarded.substr(comma + 1))
                .trimmed();
    }
    return converted;
}

void Send(const ServiceHandlers::Reply& reply, httplib::Response& response) {
    response.status = reply.status;
    for (const auto& [name, value] : reply.headers) {
        response.set_header(name.toStdString(), value.toStdString());
    }
    if (!reply.body.isEmpty()) {
        response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    }
}

QString Id(const httplib::Request& request) {
    return QString::fromStdString(request.matches[1]);
}

} // namespace

HttpServer::HttpServer(ServiceHandlers& handlers)
    : m_server(std::make_unique<DeadlineServer>(kRequestTime)) {
    httplib::Server& server = *m_server;
    server.set_payload_max_length(size_t(UploadCheck::kMaxBodySize));
    server.set_read_timeout(10, 0);
    server.set_write_timeout(10, 0);
    server.set_keep_alive_timeout(5);
    server.set_keep_alive_max_count(100);
    // Instead of the library's SO_REUSEPORT, which would let another
    // process bind the same port and take a share of the connections.
    server.set_socket_options([this](int socket) {
        const int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        m_listening = socket;
    });
    server.set_default_headers({{"X-Content-Type-Options", "nosniff"},
                                {"Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'"},
                                {"Referrer-Policy", "no-referrer"}});

    const auto run = [&handlers](auto handler) {
        return [&handlers, handler](const httplib::Request& request, httplib::Response& response) {
            Send(handler(handlers, request), response);
        };
    };
    const char* const id = R"(([0-9a-f]{1,64}))";
    server.Post("/api/v1/runs", [&handlers](const httplib::Request& request, httplib::Response& response,
                                            const httplib::ContentReader& reader) {
        ServiceHandlers::Request converted = RequestOf(request);
        if (!request.is_multipart_form_data()) {
            converted.formError = QStringLiteral("Nahrání musí být multipart/form-data.");
            Send(handlers.postRun(converted), response);
            return;
        }
        // The parts streamed in, within the body's limit and a few parts.
        constexpr int kMaxParts = 8;
        QByteArray current;
        qsizetype total = 0;
        const bool read = reader(
            [&](const httplib::MultipartFormData& part) {
                current = QByteArray::fromStdString(part.name);
                if (converted.parts.contains(current)) {
                    converted.formError =
                        QStringLiteral("Část %1 je v nahrání dvakrát.").arg(QString::fromUtf8(current));
                    return false;
                }
                converted.parts.insert(current, {});
                return converted.parts.size() <= kMaxParts;
            },
            [&](const char* data, size_t length) {
                total += qsizetype(length);
                converted.tooLarge = total > UploadCheck::kMaxBodySize;
                converted.parts[current].append(data, qsizetype(length));
                return !converted.tooLarge;
            });
        // The library refuses a body whose stated length is over the limit.
        converted.tooLarge = converted.tooLarge || response.status == 413;
        if (!read && converted.formError.isEmpty() && !converted.tooLarge) {
            converted.formError =
                QStringLiteral("Tělo nahrání není platné multipart/form-data s nejvýše %1 částmi.")
                    .arg(kMaxParts);
        }
        Send(handlers.postRun(converted), response);
    });
    server.Get(
        std::string("/api/v1/runs/") + id,
        run([](ServiceHandlers& h, const httplib::Request& request) { return h.getRun(Id(request)); }));
    server.Delete(std::string("/api/v1/runs/") + id,
                  run([](ServiceHandlers& h, const httplib::Request& request) {
                      return h.deleteRun(Id(request), RequestOf(request));
                  }));
    server.Get("/api/v1/ranking", run([](ServiceHandlers& h, const httplib::Request& request) {
                   return h.ranking(RequestOf(request));
               }));
    server.Get("/systemy.dtb", run([](ServiceHandlers& h, const httplib::Request& request) {
                   return h.systemsDatabase(RequestOf(request));
               }));
    server.Get("/", run([](ServiceHandlers& h, const httplib::Request& request) {
                   return h.rankingPage(RequestOf(request));
               }));
    server.Get(std::string("/r/") + id, run([](ServiceHandlers& h, const httplib::Request& request) {
                   return h.runPage(Id(request));
               }));

    // What the library answers itself (no route, a body over the limit) and
    // a handler's fault get the same JSON errors as the routes.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (!response.body.empty()) {
            return;
        }
        const ServiceHandlers::Reply reply =
            response.status == 413
                ? ServiceHandlers::error(413, QStringLiteral("too_large"),
                                         QStringLiteral("Nahrání je větší než %1 MiB.")
                                             .arg(UploadCheck::kMaxBodySize / (1024 * 1024)))
            : response.status == 404 ? ServiceHandlers::error(404, QStringLiteral("not_found"),
                                                              QStringLiteral("Tato adresa tu není."))
                                     : ServiceHandlers::error(response.status, QStringLiteral("bad_request"),
                                                              QStringLiteral("Požadavek nelze zpracovat."));
        response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
    });
    server.set_exception_handler(
        [](const httplib::Request&, httplib::Response& response, std::exception_ptr fault) {
            try {
                std::rethrow_exception(fault);
            } catch (const std::exception& exception) {
                std::fprintf(stderr, "vykon3d-server: %s\n", exception.what());
            } catch (...) {
                std::fprintf(stderr, "vykon3d-server: neznámá výjimka\n");
            }
            const ServiceHandlers::Reply reply =
                ServiceHandlers::error(500, QStringLiteral("internal"), QStringLiteral("Služba selhala."));
            response.status = 500;
            response.set_content(reply.body.toStdString(), reply.contentType.toStdString());
        });
}

HttpServer::~HttpServer() = default;

bool HttpServer::bind(const QString& address, int port) {
    if (!m_server->bind_to_port(address.toStdString(), port)) {
        return false;
    }
    // The library listens with a backlog of 5: a burst of uploads beyond
    // that would wait for the clients' SYN retries or be dropped. Listening
    // again on the same socket only sets its backlog.
    return ::listen(m_listening, SOMAXCONN) == 0;
}

bool HttpServer::serve() {
    return m_server->listen_after_bind();
}

void HttpServer::stop() {
    m_server->stop();
}
