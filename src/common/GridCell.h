#pragma once

#include <QString>

class QTableWidgetItem;

// The cells of the read-only grids of the results' windows: selectable, not
// editable, figures aligned to the right. Only a static function.
class GridCell {
public:
    // A new item for the grid to own.
    static QTableWidgetItem* make(const QString& text, bool number);
};
