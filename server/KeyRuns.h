#pragma once

#include "Ranking.h"
#include "RunStore.h"

#include <QList>
#include <QString>
#include <map>
#include <tuple>
#include <vector>

// The rankable runs of one comparison key as its ranking needs them: grouped
// into systems (the same processor, graphics card and memory texts), each
// system's runs ascending by score, and all the key's scores ascending. The
// service changes it one run at a time as it stores or deletes one, so a
// ranking is made again without reading the key's runs. A value; guarded by
// its owner.
class KeyRuns {
public:
    KeyRuns() = default;
    explicit KeyRuns(const QList<RunStore::Ranked>& runs);

    // Adding a run that is there, or removing one that is not, changes
    // nothing.
    void add(const RunStore::Ranked& run);
    void remove(const RunStore::Ranked& run);
    qint64 count() const { return m_scores.size(); }

    // The ranking of every system, or only of those with this graphics card
    // when renderer is not empty.
    Ranking ranking(const QString& renderer) const;

private:
    struct Scored {
        double score = 0;
        QString id;
        bool operator<(const Scored& other) const {
            return score < other.score || (score == other.score && id < other.id);
        }
    };
    using SystemName = std::tuple<QString, QString, QString>;

    // By the systems' texts, so that systems of equal median keep that order.
    std::map<SystemName, std::vector<Scored>> m_systems;
    QList<double> m_scores;
};
