#pragma once

#include "WorkingFolder.h"

#include <QString>
#include <QStringList>

// The working folder of the tests that run the real engine program as a
// process of its own: a WorkingFolder that fill() gives a copy of trenzor.exe
// and the scene files the generator writes. Current for as long as the object
// lives; a test case holds one for all its tests.
class EngineFolder {
public:
    // Writes the scene files, with the generator's options (for example
    // "--frames", "5"), and copies the engine in. Empty when done, else what
    // failed.
    QString fill(const QStringList& generatorOptions = {});
    // Runs the folder's engine with these arguments and no display server,
    // as on a machine without one; true when it exits with 0, else its
    // output is warned.
    bool runHeadless(const QStringList& arguments) const;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

private:
    WorkingFolder m_folder;
};
