#pragma once

#include <QString>

// Keeps a second program out of a working folder where one already runs: two
// front ends would each rewrite the folder's files from what they read, and
// two test engines would each replace the other's results log. The lock is
// the system's lock on the file ".vykon3d.lock" in the folder, held while
// this object lives; the system releases it however the process ends, so the
// lock of a killed program never stands in the way. The file itself stays.
//
// A front end and a test engine take the same lock. The front end hands its
// lock down to the engine it starts (an inherited descriptor named in the
// environment variable kHandedVariable), so its own engine runs beside it
// and keeps the folder until it ends; any other engine, or a second one the
// front end starts while the first still runs, finds the folder held.
class FolderLock {
public:
    static inline const QString kFileName = QStringLiteral(".vykon3d.lock");
    static constexpr char kHandedVariable[] = "VYKON3D_LOCK_FD";

    enum class Outcome {
        // This process holds the folder.
        Locked,
        // There is no lock file and this user may not create one: a folder
        // this user cannot write, where nothing can be written and so
        // nothing lost. The program goes on without a lock.
        Unprotected,
        // Another program holds the folder.
        Held,
        // The lock file is not a regular file (a folder, a symbolic link, a
        // FIFO, ...) or cannot be opened or locked at all. Something put it
        // there that is no lock of this program, and a second program could
        // not be kept out: the program does not start. reason() says why.
        Refused,
    };

    FolderLock() = default;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

    // Takes the lock in the current directory. handed: a descriptor the
    // parent handed down (see handedDescriptor()), or -1; it counts only
    // when it is the very lock that holds the folder now, and is then kept,
    // otherwise closed.
    Outcome acquire(int handed = -1);

    // Why the lock was refused, in Czech: the file's kind or the system's
    // reason. Empty unless acquire() gave Refused.
    const QString& reason() const { return m_reason; }

    // A descriptor of the held lock that a program started next inherits
    // (not closed on exec); the caller closes it once the program has
    // started. -1 when no lock is held.
    int handOver() const;

    // The descriptor named by kHandedVariable, taken out of the environment
    // so that it goes no further; -1 when none is named or it is not open.
    static int handedDescriptor();

private:
    Outcome take(int handed);

    int m_fd = -1;
    QString m_reason;
};
