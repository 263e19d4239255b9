#pragma once

#include "SystemsDatabase.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The world's systems from the results service brought into the user's
// systems database: the service's "systemy.dtb" decoded strictly and merged
// into the local records so that nothing the user had is lost. Stateless.
namespace WorldSystems {

// The service's records, or the Czech reason they are not a systems database.
struct Decoded {
    QList<SystemRecord> records;
    // Empty when the bytes are a systems database.
    QString problem;
};

// Accepts only what the service writes: whole four-line records, every line
// ended by CR LF, Windows-1250 text without control characters or unassigned
// bytes, every score text starting with a number, scores ascending, and
// nothing the local reader would refuse (SystemsDatabase's limits).
Decoded Decode(const QByteArray& bytes);

struct Merged {
    QList<SystemRecord> records;
    // How many of the world's records were new.
    qsizetype added = 0;
    // Empty unless the merged database would be more than the reader takes.
    QString problem;
};

// Every local record in its own order; each world record not already there
// (all four texts equal) inserted before the first local record with a
// greater score, or at the end, as the results window places the user's
// computer. The world's records are taken in ascending order of score.
Merged Merge(const QList<SystemRecord>& local, const QList<SystemRecord>& world);

} // namespace WorldSystems
