#include "contract/FolderLock.h"

#include "contract/FileDescriptor.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What stands in the lock file's place when it is not a regular file.
QString kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return QStringLiteral("Je to složka, ne soubor");
    }
    if (S_ISLNK(mode)) {
        return QStringLiteral("Je to symbolický odkaz, ne soubor");
    }
    return QStringLiteral("Není to obyčejný soubor");
}

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

int lockNow(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

} // namespace

FolderLock::~FolderLock() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

FolderLock::Outcome FolderLock::acquire(int handed) {
    const Outcome outcome = m_fd >= 0 ? Outcome::Locked : take(handed);
    if (handed >= 0 && handed != m_fd) {
        ::close(handed);
    }
    return outcome;
}

FolderLock::Outcome FolderLock::take(int handed) {
    m_reason.clear();
    const QByteArray path = QFile::encodeName(kFileName);
    // Whatever is not a regular file is refused before it is opened: opening
    // a device can do things, and a FIFO could block.
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        m_reason = kindOf(st.st_mode);
        return Outcome::Refused;
    }
    // Closed on exec, so that only the program it is handed to keeps the
    // lock after this one ends. Not following a link, and not blocking, in
    // case the name was changed since it was looked at.
    const int flags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    FileDescriptor fd(::open(path.constData(), O_RDWR | O_CREAT | flags, 0666));
    int openError = fd.valid() ? 0 : errno;
    if (!fd.valid() && (openError == EACCES || openError == EPERM || openError == EROFS)) {
        // A lock file this user may read but not write still locks: the
        // system's lock needs no write access.
        fd = FileDescriptor(::open(path.constData(), O_RDONLY | flags));
        if (!fd.valid() && errno == ENOENT) {
            return Outcome::Unprotected;
        }
        if (!fd.valid()) {
            openError = errno;
        }
    }
    if (!fd.valid()) {
        m_reason = openError == ELOOP ? kindOf(S_IFLNK) : systemReason(openError);
        return Outcome::Refused;
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        m_reason = kindOf(st.st_mode);
        return Outcome::Refused;
    }
    const int error = lockNow(fd.get());
    if (error == 0) {
        m_fd = fd.release();
        return Outcome::Locked;
    }
    if (error != EWOULDBLOCK) {
        m_reason = systemReason(error);
        return Outcome::Refused;
    }
    // Held: by the parent that handed its lock down, when the descriptor
    // handed is that lock itself (the same file, and locking through it
    // succeeds, which only the holder's own open file can).
    struct stat handedSt {};
    if (handed >= 0 && ::fstat(handed, &handedSt) == 0 && handedSt.st_dev == st.st_dev &&
        handedSt.st_ino == st.st_ino && lockNow(handed) == 0) {
        m_fd = handed;
        return Outcome::Locked;
    }
    return Outcome::Held;
}

int FolderLock::handOver() const {
    return m_fd >= 0 ? ::fcntl(m_fd, F_DUPFD, 3) : -1;
}

int FolderLock::handedDescriptor() {
    const char* value = std::getenv(kHandedVariable);
    if (!value) {
        return -1;
    }
    char* end = nullptr;
    errno = 0;
    const long fd = std::strtol(value, &end, 10);
    const bool number = errno == 0 && end != value && *end == '\0' && fd >= 0 && fd <= 65535;
    ::unsetenv(kHandedVariable);
    if (!number || ::fcntl(static_cast<int>(fd), F_GETFD) < 0) {
        return -1;
    }
    // Not handed on to whatever this program starts.
    ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
    return static_cast<int>(fd);
}
