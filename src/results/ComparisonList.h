#pragma once

#include "ComparisonModel.h"

#include <QTreeView>

// A comparison list in report view: column headers, one row per computer
// with a small icon. The texts cannot be edited in place: a row shows a
// result as measured, and the save writes what the rows show. Every column
// starts at the list's default width of 1440 twips. Owned by its window.
class ComparisonList : public QTreeView {
    Q_OBJECT

public:
    explicit ComparisonList(QWidget* parent = nullptr);

    ComparisonModel* rows() const { return m_model; }

    // The picture of the windows' image lists: a computer monitor on light
    // grey, the grey drawn transparent.
    static QIcon MonitorPicture();

    // The columns every fill starts from: the first one is kept, the others
    // are added anew (ComparisonModel::resetColumns).
    void resetColumns();

private:
    ComparisonModel* m_model;
};
