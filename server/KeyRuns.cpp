#include "KeyRuns.h"

#include "contract/FrameStatistics.h"

#include <algorithm>

KeyRuns::KeyRuns(const QList<RunStore::Ranked>& runs) {
    m_scores.reserve(runs.size());
    for (const RunStore::Ranked& run : runs) {
        m_systems[{run.processor, run.graphicsCard, run.memory}].push_back({run.score, run.id});
        m_scores.append(run.score);
    }
    for (auto& [name, scored] : m_systems) {
        std::sort(scored.begin(), scored.end());
    }
    std::sort(m_scores.begin(), m_scores.end());
}

void KeyRuns::add(const RunStore::Ranked& run) {
    std::vector<Scored>& scored = m_systems[{run.processor, run.graphicsCard, run.memory}];
    const Scored added{run.score, run.id};
    const auto at = std::lower_bound(scored.begin(), scored.end(), added);
    if (at != scored.end() && at->id == run.id && at->score == run.score) {
        return;
    }
    scored.insert(at, added);
    m_scores.insert(std::upper_bound(m_scores.begin(), m_scores.end(), run.score), run.score);
}

void KeyRuns::remove(const RunStore::Ranked& run) {
    const auto system = m_systems.find({run.processor, run.graphicsCard, run.memory});
    if (system == m_systems.end()) {
        return;
    }
    std::vector<Scored>& scored = system->second;
    const Scored removed{run.score, run.id};
    const auto at = std::lower_bound(scored.begin(), scored.end(), removed);
    if (at == scored.end() || at->id != run.id || at->score != run.score) {
        return;
    }
    scored.erase(at);
    if (scored.empty()) {
        m_systems.erase(system);
    }
    m_scores.erase(std::lower_bound(m_scores.begin(), m_scores.end(), run.score));
}

Ranking KeyRuns::ranking(const QString& renderer) const {
    Ranking ranking;
    QList<double> chosen;
    for (const auto& [name, scored] : m_systems) {
        if (!renderer.isEmpty() && std::get<1>(name) != renderer) {
            continue;
        }
        Ranking::System system;
        std::tie(system.processor, system.graphicsCard, system.memory) = name;
        const size_t middle = scored.size() / 2;
        system.medianScore = scored.size() % 2 != 0 ? scored[middle].score
                                                    : (scored[middle - 1].score + scored[middle].score) / 2;
        system.runs = qint64(scored.size());
        system.bestRunId = scored.back().id;
        system.bestScore = scored.back().score;
        ranking.systems.append(system);
        ranking.runCount += system.runs;
        if (!renderer.isEmpty()) {
            for (const Scored& run : scored) {
                chosen.append(run.score);
            }
        }
    }
    std::sort(chosen.begin(), chosen.end());
    const QList<double>& scores = renderer.isEmpty() ? m_scores : chosen;
    for (size_t i = 0; i < Ranking::kPercents.size(); ++i) {
        ranking.percentiles[i] = FrameStatistics::Percentile(scores, Ranking::kPercents[i]);
    }
    std::stable_sort(
        ranking.systems.begin(), ranking.systems.end(),
        [](const Ranking::System& a, const Ranking::System& b) { return a.medianScore < b.medianScore; });
    return ranking;
}
