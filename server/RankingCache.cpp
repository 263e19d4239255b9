#include "RankingCache.h"

#include <algorithm>

RankingCache::RankingCache(RunStore& store)
    : m_store(store)
    , m_worker([this] { work(); }) {}

RankingCache::~RankingCache() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void RankingCache::warm() {
    const std::lock_guard lock(m_mutex);
    scheduleLocked(QString::fromLatin1(kWarm));
}

void RankingCache::scheduleLocked(const QString& job) {
    if (!m_jobs.contains(job)) {
        m_jobs.append(job);
        m_wake.notify_all();
    }
}

void RankingCache::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.isEmpty(); });
        if (m_stopping) {
            return;
        }
        const QString job = m_jobs.takeFirst();
        lock.unlock();
        if (job == QLatin1String(kKeys) || job == QLatin1String(kWarm)) {
            refreshKeys(job == QLatin1String(kWarm));
        } else {
            refreshKey(job);
        }
        lock.lock();
    }
}

void RankingCache::refreshKey(const QString& keyId) {
    RunStore::Result<KeyRuns> runs = read(keyId);
    const std::lock_guard lock(m_mutex);
    if (const auto entry = m_entries.find(keyId); entry != m_entries.end()) {
        entry->due = false;
        if (runs.ok()) {
            entry->runs = std::move(runs.value);
            entry->read = entry->dueAt;
            entry->rankings.clear();
        }
    }
}

void RankingCache::refreshKeys(bool warmKeys) {
    const RunStore::Result<QList<RunStore::Key>> keys = m_store.keys();
    {
        const std::lock_guard lock(m_mutex);
        m_keysDue = false;
        if (!keys.ok()) {
            return;
        }
        m_keys = keys.value;
        m_keysRead = warmKeys ? Clock::now() : m_keysDueAt;
        m_haveKeys = true;
    }
    if (!warmKeys) {
        return;
    }
    for (qsizetype i = 0; i < std::min<qsizetype>(keys.value.size(), kMaxKeys); ++i) {
        std::unique_lock lock(m_mutex);
        if (m_stopping) {
            return;
        }
        // A key that cannot be read now is read when it is asked for.
        fetchLocked(lock, keys.value[i].id, Clock::now());
    }
}

RunStore::Result<KeyRuns> RankingCache::read(const QString& keyId) {
    quint64 first = 0;
    {
        const std::lock_guard lock(m_mutex);
        first = m_nextChange;
        m_readings.append(first);
    }
    const RunStore::Result<QList<RunStore::Ranked>> runs = m_store.rankable(keyId);
    KeyRuns keyRuns(runs.value);
    const std::lock_guard lock(m_mutex);
    // A change may or may not be in what was read: adding a run that is
    // there, or removing one that is not, changes nothing.
    for (const Change& change : std::as_const(m_changes)) {
        if (change.number >= first && change.keyId == keyId) {
            if (change.add) {
                keyRuns.add(change.run);
            } else {
                keyRuns.remove(change.run);
            }
        }
    }
    m_readings.removeOne(first);
    const quint64 oldest =
        m_readings.isEmpty() ? m_nextChange : *std::min_element(m_readings.begin(), m_readings.end());
    m_changes.removeIf([oldest](const Change& change) { return change.number < oldest; });
    if (!runs.ok()) {
        return {{}, runs.error};
    }
    return {std::move(keyRuns), {}};
}

void RankingCache::insertLocked(const QString& keyId, KeyRuns runs, Clock::time_point now) {
    if (m_entries.size() >= kMaxKeys) {
        const auto leastUsed =
            std::min_element(m_entries.begin(), m_entries.end(),
                             [](const Entry& a, const Entry& b) { return a.used < b.used; });
        m_entries.erase(leastUsed);
    }
    m_entries.insert(keyId, Entry{std::move(runs), now, now, false, now, {}});
}

RunStore::Result<QList<RunStore::Key>> RankingCache::keys(Clock::time_point now) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_haveKeys) {
            if (now - m_keysRead >= kFreshFor && !m_keysDue) {
                m_keysDue = true;
                m_keysDueAt = now;
                scheduleLocked(QString::fromLatin1(kKeys));
            }
            return {m_keys, {}};
        }
    }
    const RunStore::Result<QList<RunStore::Key>> keys = m_store.keys();
    const std::lock_guard lock(m_mutex);
    if (keys.ok() && !m_haveKeys) {
        m_keys = keys.value;
        m_keysRead = now;
        m_haveKeys = true;
    }
    return keys;
}

RunStore::Result<std::shared_ptr<const Ranking>>
RankingCache::ranking(const QString& keyId, const QString& renderer, Clock::time_point now) {
    std::unique_lock lock(m_mutex);
    if (const QString error = fetchLocked(lock, keyId, now); !error.isEmpty()) {
        return {{}, error};
    }
    Entry& entry = m_entries[keyId];
    entry.used = now;
    if (now - entry.read >= kFreshFor && !entry.due) {
        entry.due = true;
        entry.dueAt = now;
        scheduleLocked(keyId);
    }
    if (const auto kept = entry.rankings.constFind(renderer); kept != entry.rankings.constEnd()) {
        return {*kept, {}};
    }
    if (entry.rankings.size() >= kMaxRenderers) {
        entry.rankings.clear();
    }
    auto ranking = std::make_shared<const Ranking>(entry.runs.ranking(renderer));
    entry.rankings.insert(renderer, ranking);
    return {ranking, {}};
}

QString RankingCache::fetchLocked(std::unique_lock<std::mutex>& lock, const QString& keyId,
                                  Clock::time_point now) {
    while (m_fetching.contains(keyId)) {
        m_fetched.wait(lock);
    }
    if (m_entries.contains(keyId)) {
        return {};
    }
    m_fetching.append(keyId);
    lock.unlock();
    RunStore::Result<KeyRuns> runs = read(keyId);
    lock.lock();
    m_fetching.removeOne(keyId);
    m_fetched.notify_all();
    if (!runs.ok()) {
        return runs.error;
    }
    insertLocked(keyId, std::move(runs.value), now);
    return {};
}

void RankingCache::added(const RunStore::Run& run) {
    change(run, true);
}

void RankingCache::removed(const RunStore::Run& run) {
    change(run, false);
}

void RankingCache::change(const RunStore::Run& run, bool add) {
    const RunStore::Ranked ranked{run.id, run.processor, run.graphicsCard, run.memory, run.score};
    const std::lock_guard lock(m_mutex);
    const quint64 number = m_nextChange++;
    if (!m_readings.isEmpty()) {
        m_changes.append(Change{number, run.keyId, add, ranked});
    }
    if (const auto entry = m_entries.find(run.keyId); entry != m_entries.end()) {
        if (add) {
            entry->runs.add(ranked);
        } else {
            entry->runs.remove(ranked);
        }
        entry->rankings.clear();
    }
    // The counts of the keys: exact for a key whose runs are kept, otherwise
    // right again at the next reading of the keys.
    const auto key = std::find_if(m_keys.begin(), m_keys.end(),
                                  [&run](const RunStore::Key& kept) { return kept.id == run.keyId; });
    if (key != m_keys.end()) {
        key->rankableRuns += add ? 1 : -1;
        if (const auto entry = m_entries.constFind(run.keyId); entry != m_entries.constEnd()) {
            key->rankableRuns = entry->runs.count();
        }
        if (key->rankableRuns <= 0) {
            m_keys.erase(key);
        }
    } else if (add && m_haveKeys) {
        m_keys.append(RunStore::Key{run.keyId, run.keyText, 1});
    }
    std::stable_sort(m_keys.begin(), m_keys.end(), [](const RunStore::Key& a, const RunStore::Key& b) {
        return a.rankableRuns > b.rankableRuns;
    });
}
