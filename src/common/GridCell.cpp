#include "common/GridCell.h"

#include <QFontMetrics>
#include <QStyle>
#include <QTableWidget>
#include <QTableWidgetItem>

QTableWidgetItem* GridCell::make(const QString& text, bool number) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (number) {
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    return item;
}

void GridCell::showCutTextsWhole(QTableWidget* table) {
    const QFontMetrics metrics(table->font());
    // The space the style leaves on either side of a cell's text.
    const int margin = 2 * (table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1);
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            QTableWidgetItem* item = table->item(row, column);
            if (item && metrics.horizontalAdvance(item->text()) + margin > table->columnWidth(column)) {
                item->setToolTip(item->toolTip().isEmpty()
                                     ? item->text()
                                     : item->text() + QLatin1Char('\n') + item->toolTip());
            }
        }
    }
}
