// vykon3d-server: the results service. Reads its command line, opens and
// migrates the database, and serves until SIGTERM or SIGINT.
#include "HttpServer.h"
#include "PostgresRunStore.h"
#include "RateLimiter.h"
#include "ServerOptions.h"
#include "ServiceHandlers.h"
#include "SqliteRunStore.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <memory>
#include <pthread.h>
#include <thread>

int main(int argc, char* argv[]) {
    // The signals that stop the service are taken by one thread of its own,
    // so every other thread, the server's included, starts with them blocked.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    const QCoreApplication application(argc, argv);
    const ParsedServerOptions parsed = ServerOptions::parse(application.arguments().mid(1));
    if (!parsed.options) {
        std::fputs(qPrintable(parsed.text + QLatin1Char('\n')), parsed.help ? stdout : stderr);
        return parsed.help ? 0 : 2;
    }
    const ServerOptions& options = *parsed.options;
    const std::unique_ptr<SqlRunStore> store =
        options.database.backend == ServerOptions::Backend::Sqlite
            ? std::unique_ptr<SqlRunStore>(std::make_unique<SqliteRunStore>(options.database.name))
            : std::unique_ptr<SqlRunStore>(std::make_unique<PostgresRunStore>(options.database));
    if (const QString error = store->migrate(); !error.isEmpty()) {
        std::fprintf(stderr, "vykon3d-server: %s\n", qPrintable(error));
        return 1;
    }
    RateLimiter limiter(options.uploadsPerMinute);
    ServiceHandlers handlers(*store, limiter);
    handlers.warmRankings();
    HttpServer server(handlers);
    if (!server.bind(options.address, options.port)) {
        std::fprintf(stderr, "vykon3d-server: na adrese %s:%d nelze naslouchat\n",
                     qPrintable(options.address), options.port);
        return 1;
    }
    std::printf("vykon3d-server: naslouchá na %s:%d\n", qPrintable(options.address), options.port);
    std::fflush(stdout);
    std::thread stopper([&server, &stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server.stop();
    });
    const bool served = server.serve();
    if (!served) {
        // The stopper still waits for its signal: send it one.
        pthread_kill(stopper.native_handle(), SIGTERM);
    }
    stopper.join();
    return served ? 0 : 1;
}
