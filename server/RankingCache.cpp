#include "RankingCache.h"

RankingCache::RankingCache(RunStore& store)
    : m_store(store) {}

RunStore::Result<QList<RunStore::Key>> RankingCache::keys(Clock::time_point now) {
    quint64 generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (m_haveKeys && now - m_keysRead < kFreshFor) {
            return {m_keys, {}};
        }
        generation = m_generation;
    }
    RunStore::Result<QList<RunStore::Key>> keys = m_store.keys();
    const std::lock_guard lock(m_mutex);
    if (keys.ok() && generation == m_generation) {
        m_keys = keys.value;
        m_keysRead = now;
        m_haveKeys = true;
    }
    return keys;
}

RunStore::Result<std::shared_ptr<const Ranking>>
RankingCache::ranking(const QString& keyId, const QString& renderer, Clock::time_point now) {
    // A key id is hex digits, so a space cannot be part of it.
    const QString name = keyId + QLatin1Char(' ') + renderer;
    quint64 generation = 0;
    {
        const std::lock_guard lock(m_mutex);
        if (const auto kept = m_rankings.constFind(name);
            kept != m_rankings.constEnd() && now - kept->read < kFreshFor) {
            return {kept->ranking, {}};
        }
        generation = m_generation;
    }
    const RunStore::Result<QList<RunStore::Ranked>> runs = m_store.rankable(keyId, renderer);
    if (!runs.ok()) {
        return {{}, runs.error};
    }
    auto ranking = std::make_shared<const Ranking>(Ranking::of(runs.value));
    const std::lock_guard lock(m_mutex);
    if (generation == m_generation) {
        if (m_rankings.size() >= kMaxRankings && !m_rankings.contains(name)) {
            m_rankings.clear();
        }
        m_rankings.insert(name, Rankings{ranking, now});
    }
    return {ranking, {}};
}

void RankingCache::forget() {
    const std::lock_guard lock(m_mutex);
    ++m_generation;
    m_haveKeys = false;
    m_rankings.clear();
}
