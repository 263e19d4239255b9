#pragma once

#include <QListWidget>

// A directory list: the folders from the root down to the current one, each
// a step further indented, then the current folder's subfolders. Double-click
// (or Enter on) a folder to make it the current one. Hidden folders are not
// shown; a folder that cannot be read shows no subfolders.
class DirectoryList : public QListWidget {
    Q_OBJECT

public:
    explicit DirectoryList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Makes the folder the current one; emits changed() when it differs.
    void setPath(const QString& path);

signals:
    void changed();

private:
    void fill();

    QString m_path;
};
