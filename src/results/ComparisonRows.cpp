#include "ComparisonRows.h"

#include "contract/NumberRules.h"

namespace ComparisonRows {

QList<SystemRecord> PlaceUser(const QList<SystemRecord>& records, const std::optional<SystemRecord>& user,
                              double score) {
    QList<SystemRecord> rows;
    rows.reserve(records.size() + 1);
    bool placed = !user;
    for (const SystemRecord& record : records) {
        if (!placed && score < NumberRules::LeadingNumber(record.scoreText)) {
            placed = true;
            rows.append(*user);
        }
        rows.append(record);
    }
    if (!placed) {
        rows.append(*user);
    }
    return rows;
}

} // namespace ComparisonRows
