#include "Ranking.h"

#include "contract/NumberRules.h"
#include "contract/SystemsDatabaseText.h"

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
