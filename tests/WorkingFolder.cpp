#include "WorkingFolder.h"

#include <QDir>

WorkingFolder::WorkingFolder()
    : m_previous(QDir::currentPath()) {
    m_valid = m_dir.isValid() && QDir::setCurrent(m_dir.path());
}

WorkingFolder::~WorkingFolder() {
    // A folder cannot be removed reliably while it is the current directory.
    QDir::setCurrent(m_previous);
}
