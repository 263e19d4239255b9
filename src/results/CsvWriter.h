#pragma once

#include <QByteArray>
#include <QString>

// The CSV files the front end exports, for spreadsheets and scripts: UTF-8, a
// header row, "," between fields, CR LF line ends. A text holding ",", a
// quote, CR or LF is quoted with its quotes doubled, so that a name from a
// file keeps its row. Lives while one file's bytes are built.
class CsvWriter {
public:
    // The header row: its titles as they stand, "," between them.
    explicit CsvWriter(const QString& titles);

    // A text field, quoted when it must be.
    CsvWriter& text(const QString& field) { return add(Field(field)); }
    // A field written as it is: a number, empty, or a Field() made earlier.
    CsvWriter& add(const QByteArray& field);
    void endRow();

    const QByteArray& bytes() const { return m_bytes; }

    // A text as a field, for a text written in many rows.
    static QByteArray Field(const QString& text);

private:
    QByteArray m_bytes;
    bool m_rowStarted = false;
};
