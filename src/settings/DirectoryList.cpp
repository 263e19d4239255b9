#include "DirectoryList.h"

#include <QDir>
#include <QStyle>

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kIndent = 2;
} // namespace

DirectoryList::DirectoryList(QWidget* parent)
    : QListWidget(parent) {
    setIconSize(QSize(16, 16));
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
}

void DirectoryList::setPath(const QString& path) {
    const QString cleaned = QDir::cleanPath(QDir(path).absolutePath());
    if (cleaned == m_path) {
        return;
    }
    m_path = cleaned;
    fill();
    emit changed();
}

void DirectoryList::fill() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);

    QStringList chain;
    for (QDir dir(m_path);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) {
            break;
        }
    }
    int depth = 0;
    for (const QString& folder : chain) {
        const QString name = folder == QLatin1String("/") ? folder : QDir(folder).dirName();
        auto* item = new QListWidgetItem(open, QString(depth * kIndent, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, folder);
        ++depth;
    }
    setCurrentRow(count() - 1);

    const QStringList subfolders =
        QDir(m_path).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : subfolders) {
        auto* item = new QListWidgetItem(closed, QString(depth * kIndent, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, QDir(m_path).filePath(name));
    }
}
