#pragma once

#include "contract/FileResult.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>
#include <utility>

// The texts of a record in the order the file keeps them, which is also the
// order of the comparison lists' columns: a column is added here and in
// kRecordTexts, in the record, in ComparisonModel's titles and in the
// results window's row of the user (Vysledky_Form). The last three are
// switches that do not build without the new column's case.
enum class RecordText { Computer, Score, GraphicsCard, Memory };
inline constexpr std::array<RecordText, 4> kRecordTexts = {RecordText::Computer, RecordText::Score,
                                                           RecordText::GraphicsCard, RecordText::Memory};

// One computer of the systems database: four texts, used exactly as read and
// written back exactly as shown. Only the score text is ever interpreted, by
// its leading number.
struct SystemRecord {
    QString computerText;
    QString scoreText;
    QString graphicsCardText;
    QString memoryText;

    const QString& text(RecordText which) const {
        switch (which) {
        case RecordText::Computer:
            return computerText;
        case RecordText::Score:
            return scoreText;
        case RecordText::GraphicsCard:
            return graphicsCardText;
        case RecordText::Memory:
            break;
        }
        return memoryText;
    }
    QString& text(RecordText which) { return const_cast<QString&>(std::as_const(*this).text(which)); }

    bool operator==(const SystemRecord&) const = default;
};

// The systems database "systemy.dtb": computers with their scores, a plain
// sequence of four-line records in Windows-1250, every line ended by CR LF,
// kept in ascending order of score by its only writer, the results window's
// save. Readers never sort. Every call opens, reads or writes, and closes the
// file before it returns.
namespace SystemsDatabase {

inline const QString kFileName = QStringLiteral("systemy.dtb");

// The most records read: far more than any list of computers a person looks
// through, and a list of them still fills in a fraction of a second.
constexpr qsizetype kMaxRecordCount = 100000;
// The largest file read: its texts, decoded, must fit the program's memory
// many times over. Real records take about a hundred bytes.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// True when a normal file "systemy.dtb" exists in the current directory.
bool SystemsDatabaseExists();

// The records in file order. A last record cut short by the end of the file
// is skipped. An error when the file cannot be read or is refused (larger
// than kMaxFileSize, more than kMaxRecordCount records, a line longer than
// LineReader::kMaxLineLength).
FileResult<QList<SystemRecord>> ReadSystemsDatabase();

// Replaces the file with the records, in this order, atomically: when the
// write fails, a text holds a character Windows-1250 cannot write, or the
// file would be larger than kMaxFileSize, the previous database stays whole.
std::optional<FileError> WriteSystemsDatabase(const QList<SystemRecord>& records);

} // namespace SystemsDatabase
