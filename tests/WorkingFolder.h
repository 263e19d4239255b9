#pragma once

#include <QString>
#include <QTemporaryDir>
#include <optional>

// A fresh temporary folder made the current directory, as the programs'
// working folder, for as long as the object lives: the previous current
// directory comes back before the folder and everything in it is removed.
// A test holds one per test function (std::optional, emplaced in init()) or
// one for the whole test case.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    // The folder exists and is the current directory.
    bool isValid() const { return m_valid; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
    bool m_valid = false;
};
