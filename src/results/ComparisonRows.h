#pragma once

#include "SystemsDatabase.h"

#include <QList>
#include <optional>

// The rows of the results window's comparison list: the systems database's
// records with the user's computer placed among them by score.
namespace ComparisonRows {

// The records in file order with the user's row (when there is one) before
// the first record of a strictly greater score, or at the end, so equal
// scores keep the older results first. A record's score is the leading
// number of its score text; the records are taken as they come, not sorted.
QList<SystemRecord> PlaceUser(const QList<SystemRecord>& records, const std::optional<SystemRecord>& user,
                              double score);

} // namespace ComparisonRows
