#pragma once

#include <QString>

// Keeps a second front end out of a working folder where one already runs:
// two of them would each rewrite the folder's files from what they read, and
// the later save would drop what the earlier one added. The lock is the
// system's lock on the file ".vykon3d.lock" in the folder, held while this
// object lives; the system releases it however the process ends, so the lock
// of a killed program never stands in the way. The file itself stays.
class FolderLock {
public:
    static inline const QString kFileName = QStringLiteral(".vykon3d.lock");

    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Takes the lock in the current directory. False only when another
    // process holds it. A folder where the lock file can be neither created
    // nor opened (a read-only folder) lets the program start: nothing can be
    // written there, so nothing can be lost.
    bool acquire();

private:
    int m_fd = -1;
};
