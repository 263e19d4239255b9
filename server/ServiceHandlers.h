#pragma once

#include "RankingCache.h"
#include "RateLimiter.h"
#include "RunStore.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>
#include <utility>

// The service's routes, one handler each, over a RunStore and apart from
// sockets: a request in, a reply out. JSON errors are {"error": CODE,
// "message": Czech text}. A failing store answers 500 and its message goes to
// standard error. Lives as long as the service; called from its threads at
// once.
class ServiceHandlers {
public:
    struct Request {
        // The request's parameters of the query string, by name.
        QMap<QString, QString> query;
        QByteArray contentType;
        QByteArray authorization;
        QByteArray ifNoneMatch;
        // An upload's parts by name, as the multipart/form-data body held
        // them.
        QMap<QByteArray, QByteArray> parts;
        // Why the upload's body could not be taken apart; empty when it was.
        QString formError;
        bool tooLarge = false;
        // For the upload limit only; never stored.
        QString clientAddress;
    };

    struct Reply {
        int status = 200;
        QByteArray contentType = "application/json";
        QByteArray body;
        QList<std::pair<QByteArray, QByteArray>> headers;
    };

    ServiceHandlers(RunStore& store, RateLimiter& limiter);

    Reply postRun(const Request& request);
    Reply getRun(const QString& id);
    Reply deleteRun(const QString& id, const Request& request);
    Reply ranking(const Request& request);
    Reply systemsDatabase(const Request& request);
    Reply rankingPage(const Request& request);
    Reply runPage(const QString& id);
    // Reads the rankings most asked for before the first request asks.
    void warmRankings() { m_rankings.warm(); }

    static Reply error(int status, const QString& code, const QString& message);

private:
    // The key a ranking shows: the one asked for, else the one with most
    // rankable runs; empty id when none has any.
    RunStore::Result<RunStore::Key> shownKey(const Request& request);
    Reply storeFailed(const QString& error) const;
    // The page asked for in the query string, from 1; nullopt when it is no such number.
    static std::optional<int> pageOf(const Request& request);

    RunStore& m_store;
    RateLimiter& m_limiter;
    RankingCache m_rankings;
};
