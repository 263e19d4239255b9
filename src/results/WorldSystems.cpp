#include "WorldSystems.h"

#include "contract/Cp1250Codec.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"

#include <QSet>
#include <cmath>
#include <utility>

namespace {

// A byte no text of the database holds: a control character other than the
// tab, or one the code page leaves unassigned.
bool IsForeignByte(unsigned char byte) {
    return (byte < 0x20 && byte != '\t') || byte == 0x7f || byte == 0x81 || byte == 0x83 || byte == 0x88 ||
           byte == 0x90 || byte == 0x98;
}

// True when the text starts, after blanks and tabs, with a number in the
// form LeadingNumber reads.
bool StartsWithNumber(QByteArrayView line) {
    qsizetype at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) {
        ++at;
    }
    if (at < line.size() && (line[at] == '-' || line[at] == '+')) {
        ++at;
    }
    if (at < line.size() && line[at] == '.') {
        ++at;
    }
    return at < line.size() && line[at] >= '0' && line[at] <= '9';
}

QString Key(const SystemRecord& record) {
    // Lines hold no line feed, so the joined texts name one record.
    return record.computerText + u'\n' + record.scoreText + u'\n' + record.graphicsCardText + u'\n' +
           record.memoryText;
}

} // namespace

namespace WorldSystems {

Decoded Decode(const QByteArray& bytes) {
    const auto refuse = [](const QString& reason) {
        return Decoded{{}, QStringLiteral("Služba neposlala databázi systémů: %1").arg(reason)};
    };
    if (bytes.size() > SystemsDatabase::kMaxFileSize) {
        return refuse(
            QStringLiteral("je větší než %1 MB.").arg(SystemsDatabase::kMaxFileSize / (1024 * 1024)));
    }
    if (!bytes.isEmpty() && !bytes.endsWith("\r\n")) {
        return refuse(QStringLiteral("poslední řádek nekončí CR LF."));
    }
    Decoded decoded;
    SystemRecord record;
    double previousScore = -INFINITY;
    qsizetype lineNumber = 0;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype end = bytes.indexOf("\r\n", start);
        const QByteArrayView line(bytes.constData() + start, end - start);
        start = end + 2;
        ++lineNumber;
        if (line.size() > LineReader::kMaxLineLength) {
            return refuse(QStringLiteral("řádek %1 je delší než %2 bajtů.")
                              .arg(lineNumber)
                              .arg(LineReader::kMaxLineLength));
        }
        for (const char byte : line) {
            if (IsForeignByte(static_cast<unsigned char>(byte))) {
                return refuse(QStringLiteral("řádek %1 není text v kódování Windows-1250.").arg(lineNumber));
            }
        }
        const RecordText which = kRecordTexts[std::size_t((lineNumber - 1) % 4)];
        record.text(which) = Cp1250Codec::decode(line.data(), line.size());
        if (which == RecordText::Score) {
            const double score = NumberRules::LeadingNumber(line.data(), line.data() + line.size());
            if (!StartsWithNumber(line) || !std::isfinite(score)) {
                return refuse(QStringLiteral("skóre na řádku %1 nezačíná číslem.").arg(lineNumber));
            }
            if (score < previousScore) {
                return refuse(
                    QStringLiteral("skóre na řádku %1 je menší než předchozí, záznamy nejsou seřazeny.")
                        .arg(lineNumber));
            }
            previousScore = score;
        }
        if (which == kRecordTexts.back()) {
            if (decoded.records.size() == SystemsDatabase::kMaxRecordCount) {
                return refuse(
                    QStringLiteral("má více než %1 záznamů.").arg(SystemsDatabase::kMaxRecordCount));
            }
            decoded.records.append(std::exchange(record, SystemRecord{}));
        }
    }
    if (lineNumber % 4 != 0) {
        return refuse(QStringLiteral("poslední záznam nemá čtyři řádky."));
    }
    return decoded;
}

Merged Merge(const QList<SystemRecord>& local, const QList<SystemRecord>& world) {
    QSet<QString> present;
    present.reserve(local.size() + world.size());
    for (const SystemRecord& record : local) {
        present.insert(Key(record));
    }
    QList<const SystemRecord*> fresh;
    for (const SystemRecord& record : world) {
        // A record the service lists twice comes in once.
        const QString key = Key(record);
        if (!present.contains(key)) {
            present.insert(key);
            fresh.append(&record);
        }
    }
    Merged merged;
    merged.added = fresh.size();
    if (local.size() + fresh.size() > SystemsDatabase::kMaxRecordCount) {
        merged.problem = QStringLiteral("Databáze systémů by měla více než %1 záznamů, víc než seznam pojme.")
                             .arg(SystemsDatabase::kMaxRecordCount);
        return merged;
    }
    merged.records.reserve(local.size() + fresh.size());
    // The world's records ascend, so each goes in at the first local record
    // of a greater score in one pass, however the local file is ordered.
    auto next = fresh.cbegin();
    for (const SystemRecord& record : local) {
        const double score = NumberRules::LeadingNumber(record.scoreText);
        while (next != fresh.cend() && NumberRules::LeadingNumber((*next)->scoreText) < score) {
            merged.records.append(**next++);
        }
        merged.records.append(record);
    }
    while (next != fresh.cend()) {
        merged.records.append(**next++);
    }
    return merged;
}

} // namespace WorldSystems
