#pragma once

#include "KeyRuns.h"
#include "Ranking.h"
#include "RunStore.h"

#include <QHash>
#include <QList>
#include <QString>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

// The list of keys and the rankable runs of the keys asked for, kept in
// memory, so that the ranking's page, its JSON and the systems database
// never wait for the database to be read and grouped again. What this
// service stores or deletes changes the kept runs at once (added(),
// removed()). What other instances sharing the database store is read again
// on a thread of the cache's own once a kept reading is kFreshFor old;
// meanwhile the kept one is handed out. Only a key never asked for before is
// read while its request waits; warm() reads the keys with most runs ahead,
// and a request for a key being read waits for that reading.
// Safe to call from the server's threads at once; lives as long as the
// service, and its thread ends with it.
class RankingCache {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration kFreshFor = std::chrono::seconds(10);
    // Keys kept at most, and rankings of one renderer kept a key; the key and
    // the renderer come from the query string, so the entries must not grow
    // with whatever a client asks.
    static constexpr int kMaxKeys = 32;
    static constexpr int kMaxRenderers = 32;

    explicit RankingCache(RunStore& store);
    ~RankingCache();
    RankingCache(const RankingCache&) = delete;
    RankingCache& operator=(const RankingCache&) = delete;

    // Reads the keys and then the kMaxKeys keys with most runs, on the
    // cache's thread.
    void warm();

    // Every key with rankable runs, most runs first.
    RunStore::Result<QList<RunStore::Key>> keys(Clock::time_point now);
    // The ranking of the key; of one renderer only unless it is empty.
    RunStore::Result<std::shared_ptr<const Ranking>> ranking(const QString& keyId, const QString& renderer,
                                                             Clock::time_point now);
    // This service has stored, or deleted, a rankable run.
    void added(const RunStore::Run& run);
    void removed(const RunStore::Run& run);

private:
    struct Entry {
        KeyRuns runs;
        Clock::time_point read;
        Clock::time_point used;
        // Already on the cache's thread's list, since the request at dueAt,
        // whose time the reading then counts as its own.
        bool due = false;
        Clock::time_point dueAt;
        QHash<QString, std::shared_ptr<const Ranking>> rankings;
    };
    // A run this service stored or deleted while some key was being read.
    struct Change {
        quint64 number = 0;
        QString keyId;
        bool add = true;
        RunStore::Ranked run;
    };
    // On the cache's thread's list: the keys, or the keys and then those with
    // most runs, or one key's runs.
    static constexpr char kKeys[] = "";
    static constexpr char kWarm[] = "*";

    void scheduleLocked(const QString& job);
    void work();
    void refreshKeys(bool warmKeys);
    void refreshKey(const QString& keyId);
    // Reads the key's runs; kept unless keep is false. What this service
    // changed meanwhile is applied to them, so a reading is never stale by
    // this service's own uploads.
    RunStore::Result<KeyRuns> read(const QString& keyId);
    // Makes sure the key's runs are kept, reading them unless they are; one
    // reading however many ask at once, the others wait for it. Called and
    // returns with the lock held; the reason when they could not be read.
    QString fetchLocked(std::unique_lock<std::mutex>& lock, const QString& keyId, Clock::time_point now);
    void insertLocked(const QString& keyId, KeyRuns runs, Clock::time_point now);
    void change(const RunStore::Run& run, bool add);

    RunStore& m_store;
    std::mutex m_mutex;
    QList<RunStore::Key> m_keys;
    Clock::time_point m_keysRead;
    bool m_haveKeys = false;
    bool m_keysDue = false;
    Clock::time_point m_keysDueAt;
    QHash<QString, Entry> m_entries;
    // Changes since the oldest reading of runs still running began.
    QList<Change> m_changes;
    quint64 m_nextChange = 0;
    // The first change each running reading must apply.
    QList<quint64> m_readings;
    QList<QString> m_jobs;
    // Keys whose runs are being read for fetchLocked().
    QList<QString> m_fetching;
    std::condition_variable m_fetched;
    bool m_stopping = false;
    std::condition_variable m_wake;
    std::thread m_worker;
};
