#pragma once

#include "Ranking.h"
#include "RunStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <chrono>
#include <memory>
#include <mutex>

// The rankings and the list of keys as last read from the store, so that
// the ranking's page, its JSON and the systems database do not read and
// group every rankable run of a key on each request. What this service
// stores or deletes is seen at once (forget()); what other instances sharing
// the database store is seen within kFreshFor. A ranking computed while the
// runs changed is handed out but not kept. Safe to call from the server's
// threads at once; lives as long as the service.
class RankingCache {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kFreshFor = std::chrono::seconds(10);
    // Rankings kept at most; the renderer comes from the query string, so
    // the entries must not grow with whatever a client asks.
    static constexpr int kMaxRankings = 32;

    explicit RankingCache(RunStore& store);

    // Every key with rankable runs, most runs first.
    RunStore::Result<QList<RunStore::Key>> keys(Clock::time_point now);
    // The ranking of the key; of one renderer only unless it is empty.
    RunStore::Result<std::shared_ptr<const Ranking>> ranking(const QString& keyId, const QString& renderer,
                                                             Clock::time_point now);
    // The runs have changed: everything is read again.
    void forget();

private:
    struct Rankings {
        std::shared_ptr<const Ranking> ranking;
        Clock::time_point read;
    };

    RunStore& m_store;
    std::mutex m_mutex;
    // Counts forget(); a reading begun before one is not kept.
    quint64 m_generation = 0;
    QList<RunStore::Key> m_keys;
    Clock::time_point m_keysRead;
    bool m_haveKeys = false;
    QHash<QString, Rankings> m_rankings;
};
