#include "ComparisonModel.h"

ComparisonModel::ComparisonModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns{ColumnTitle(kRecordTexts.front())} {}

QString ComparisonModel::ColumnTitle(RecordText column) {
    switch (column) {
    case RecordText::Computer:
        return QStringLiteral("Počítač");
    case RecordText::Score:
        return QStringLiteral("Počet bodů");
    case RecordText::GraphicsCard:
        return QStringLiteral("Grafická karta");
    case RecordText::Memory:
        break;
    }
    return QStringLiteral("Operační paměť");
}

int ComparisonModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ComparisonModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant ComparisonModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size()) {
        return {};
    }
    const SystemRecord& record = m_rows.at(index.row());
    // A text too long for its column shows whole as a tooltip.
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return record.text(kRecordTexts.at(index.column()));
    }
    if (role == Qt::DecorationRole && index.column() == 0 && !m_smallIcon.isNull()) {
        return m_smallIcon;
    }
    return {};
}

QVariant ComparisonModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns.size()) {
        return m_columns.at(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ComparisonModel::clearRows() {
    if (m_rows.isEmpty()) {
        return;
    }
    beginRemoveRows({}, 0, static_cast<int>(m_rows.size()) - 1);
    m_rows.clear();
    endRemoveRows();
}

void ComparisonModel::addRows(const QList<SystemRecord>& records) {
    if (records.isEmpty()) {
        return;
    }
    const int first = static_cast<int>(m_rows.size());
    beginInsertRows({}, first, first + static_cast<int>(records.size()) - 1);
    m_rows.append(records);
    endInsertRows();
}

void ComparisonModel::resetColumns() {
    QStringList following;
    for (auto column = kRecordTexts.begin() + 1; column != kRecordTexts.end(); ++column) {
        following.append(ColumnTitle(*column));
    }
    if (m_columns.size() > 1) {
        beginRemoveColumns({}, 1, static_cast<int>(m_columns.size()) - 1);
        m_columns.resize(1);
        endRemoveColumns();
    }
    if (!following.isEmpty()) {
        beginInsertColumns({}, 1, static_cast<int>(following.size()));
        m_columns.append(following);
        endInsertColumns();
    }
}

void ComparisonModel::setSmallIcon(const QIcon& icon) {
    m_smallIcon = icon;
    if (!m_rows.isEmpty()) {
        emit dataChanged(index(0, 0), index(static_cast<int>(m_rows.size()) - 1, 0), {Qt::DecorationRole});
    }
}
