#include "Ranking.h"

#include "contract/FrameStatistics.h"
#include "contract/NumberRules.h"
#include "contract/SystemsDatabaseText.h"

#include <QMap>
#include <algorithm>
#include <tuple>

double Ranking::median(QList<double> values) {
    if (values.isEmpty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

Ranking Ranking::of(const QList<RunStore::Ranked>& runs) {
    Ranking ranking;
    ranking.runCount = runs.size();
    QMap<std::tuple<QString, QString, QString>, QList<const RunStore::Ranked*>> groups;
    QList<double> scores;
    scores.reserve(runs.size());
    for (const RunStore::Ranked& run : runs) {
        groups[{run.processor, run.graphicsCard, run.memory}].append(&run);
        scores.append(run.score);
    }
    std::sort(scores.begin(), scores.end());
    for (size_t i = 0; i < kPercents.size(); ++i) {
        ranking.percentiles[i] = FrameStatistics::Percentile(scores, kPercents[i]);
    }
    for (auto group = groups.begin(); group != groups.end(); ++group) {
        System system;
        std::tie(system.processor, system.graphicsCard, system.memory) = group.key();
        QList<double> systemScores;
        for (const RunStore::Ranked* run : group.value()) {
            systemScores.append(run->score);
            if (system.bestRunId.isEmpty() || run->score > system.bestScore) {
                system.bestRunId = run->id;
                system.bestScore = run->score;
            }
        }
        system.medianScore = median(systemScores);
        system.runs = systemScores.size();
        ranking.systems.append(system);
    }
    // The map's order of texts stays for equal medians.
    std::stable_sort(ranking.systems.begin(), ranking.systems.end(),
                     [](const System& a, const System& b) { return a.medianScore < b.medianScore; });
    return ranking;
}

QByteArray Ranking::systemsDatabase() const {
    QList<SystemsDatabaseText::Record> records;
    records.reserve(systems.size());
    for (const System& system : systems) {
        records.append({system.processor, NumberRules::FormatScore(system.medianScore), system.graphicsCard,
                        system.memory});
    }
    // Every text came from a log in Windows-1250, so every one encodes.
    return SystemsDatabaseText::Encode(records).bytes;
}
