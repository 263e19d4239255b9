#pragma once

#include "WorkingFolder.h"

// The working folder of a test of the front end's windows, for as long as
// the object lives: message boxes and desktop launches are recorded instead
// of shown or started, and at the end every window of the program is
// destroyed, so the next test creates its shared windows afresh. A test holds
// one per test function (std::optional, emplaced in init()).
class FrontEndFolder {
public:
    FrontEndFolder();
    ~FrontEndFolder();
    FrontEndFolder(const FrontEndFolder&) = delete;
    FrontEndFolder& operator=(const FrontEndFolder&) = delete;

    bool isValid() const { return m_folder.isValid(); }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

private:
    WorkingFolder m_folder;
};
