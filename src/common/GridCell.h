#pragma once

#include <QString>

class QTableWidget;
class QTableWidgetItem;

// The cells of the read-only grids of the results' windows: selectable, not
// editable, figures aligned to the right. Only static functions.
class GridCell {
public:
    // A new item for the grid to own.
    static QTableWidgetItem* make(const QString& text, bool number);
    // Every cell of the grid whose text is wider than its column, and so is
    // cut short, shows the whole text in its tooltip, before any tooltip it
    // has. Called once the grid is filled.
    static void showCutTextsWhole(QTableWidget* table);
};
