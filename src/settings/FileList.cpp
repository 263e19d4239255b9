#include "FileList.h"

#include <QDir>
#include <QStyle>

FileList::FileList(const QString& pattern, QWidget* parent)
    : QListWidget(parent)
    , m_pattern(pattern) {
    setIconSize(QSize(16, 16));
}

void FileList::setPath(const QString& path) {
    m_path = path;
    clear();
    const QIcon icon = style()->standardIcon(QStyle::SP_FileIcon);
    const QStringList names = QDir(path).entryList({m_pattern}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        new QListWidgetItem(icon, name, this);
    }
    setCurrentRow(-1);
}

QString FileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::setFileName(const QString& name) {
    clearSelection();
    setCurrentRow(-1);
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly);
    if (!name.isEmpty() && !found.isEmpty()) {
        setCurrentItem(found.first());
    }
}
