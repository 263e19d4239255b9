#pragma once

#include "SystemsDatabase.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QStringList>

// The rows and columns of a comparison list: one computer per row, its texts
// in the columns of RecordText ("Počítač", "Počet bodů", "Grafická karta",
// "Operační paměť"), and one small icon shown at the start of every row. Rows
// are kept as the records they show, so a list of a hundred thousand
// computers costs no more than the records themselves. Owned by its list.
class ComparisonModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ComparisonModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void clearRows();
    // Appends the rows in this order, in one step.
    void addRows(const QList<SystemRecord>& records);
    const QList<SystemRecord>& rows() const { return m_rows; }

    // The title of a record text's column.
    static QString ColumnTitle(RecordText column);

    // Keeps the first column, removes every other one, then appends the rest
    // of RecordText's columns anew, at their starting widths.
    void resetColumns();
    const QStringList& columnTitles() const { return m_columns; }

    void setSmallIcon(const QIcon& icon);

private:
    QStringList m_columns;
    QList<SystemRecord> m_rows;
    QIcon m_smallIcon;
};
