#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

// The ranking of one comparison key: its rankable runs grouped into systems
// (the same processor, graphics card and memory texts), each with the median
// of its runs' scores, how many runs it has and its best run; and the
// percentiles of all the key's runs. KeyRuns makes it; a value object.
struct Ranking {
    struct System {
        QString processor;
        QString graphicsCard;
        QString memory;
        double medianScore = 0;
        qint64 runs = 0;
        QString bestRunId;
        double bestScore = 0;
    };

    static constexpr std::array<int, 5> kPercents = {10, 25, 50, 75, 90};

    // Ascending by median score; systems of equal median in the order of
    // their texts.
    QList<System> systems;
    // The key's scores at kPercents (nearest rank); all 0 without runs.
    std::array<double, kPercents.size()> percentiles{};
    qint64 runCount = 0;

    // The systems as the front end's systems database: one four-line record
    // a system, ascending, its score the median as the front end writes a
    // score.
    QByteArray systemsDatabase() const;
};
