#include "ComparisonList.h"

#include "common/Twips.h"

#include <QBitmap>
#include <QHeaderView>
#include <QPixmap>

ComparisonList::ComparisonList(QWidget* parent)
    : QTreeView(parent)
    , m_model(new ComparisonModel(this)) {
    setModel(m_model);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    // Equal row heights let the view lay out any number of rows at once.
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The small icons are the image list's 32 × 32 pictures, shown at full size.
    setIconSize(QSize(32, 32));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultSectionSize(Twips::px(1440));
}

void ComparisonList::resetColumns() {
    m_model->resetColumns();
}

QIcon ComparisonList::MonitorPicture() {
    QPixmap picture(QStringLiteral(":/monitor.xpm"));
    picture.setMask(picture.createMaskFromColor(QColor(192, 192, 192)));
    return QIcon(picture);
}
