#pragma once

#include <QListWidget>

// A file list: the normal files of one folder that match a name pattern,
// in name order. The selected file's name alone, without its folder, is the
// list's file name; an empty name clears the selection.
class FileList : public QListWidget {
public:
    FileList(const QString& pattern, QWidget* parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString& path);

    QString fileName() const;
    void setFileName(const QString& name);

private:
    QString m_pattern;
    QString m_path;
};
