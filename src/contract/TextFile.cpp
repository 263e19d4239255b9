#include "contract/TextFile.h"
#include "contract/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Writes every byte; the error number of the write that failed, or 0.
int writeAll(int fd, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        data += written;
        left -= written;
    }
    return 0;
}

// At most this many links are followed, as the system itself does.
constexpr int kMaxLinkHops = 40;
// Temporary files of the safe replace are named after the file they replace
// and say whose they are: ".systemy.dtb.vykon3d-host-1234.tmp".
constexpr char kTemporaryTag[] = ".vykon3d-";
constexpr char kTemporaryEnd[] = ".tmp";

// The folder part of a path, with its final slash; empty for a bare name.
QByteArray folderOf(const QByteArray& path) {
    return path.left(path.lastIndexOf('/') + 1);
}

QByteArray hostName() {
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) != 0) {
        return QByteArrayLiteral("localhost");
    }
    // A slash cannot stand in a file name.
    return QByteArray(host).replace('/', '_');
}

QByteArray temporaryName(const QByteArray& base, const QByteArray& host, pid_t pid) {
    return '.' + base + kTemporaryTag + host + '-' + QByteArray::number(pid) + kTemporaryEnd;
}

// Creates the temporary file, which must not exist yet. One of the same name
// can only be left by an earlier process of the same number that was killed
// while saving: it is taken away.
int createExclusive(const QByteArray& temporary) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW;
    int fd = ::open(temporary.constData(), flags, 0600);
    if (fd < 0 && errno == EEXIST && ::unlink(temporary.constData()) == 0) {
        fd = ::open(temporary.constData(), flags, 0600);
    }
    return fd;
}

// Removes the temporary files of this file that processes of this computer
// left when they were killed while saving. A file of a process that still
// runs, or of another computer sharing the folder, is another save in
// progress and stays.
void removeLeftovers(const QByteArray& folder, const QByteArray& base) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.isEmpty() ? "." : folder.constData()),
                                                  ::closedir);
    if (!dir) {
        return;
    }
    const QByteArray prefix = '.' + base + kTemporaryTag + hostName() + '-';
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArrayView entryName(entry->d_name);
        if (!entryName.startsWith(prefix) || !entryName.endsWith(kTemporaryEnd)) {
            continue;
        }
        const QByteArrayView digits = entryName.sliced(
            prefix.size(), entryName.size() - prefix.size() - qsizetype(sizeof kTemporaryEnd - 1));
        const bool number = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(),
                                                             [](char c) { return c >= '0' && c <= '9'; });
        bool ok = false;
        const pid_t pid = number ? static_cast<pid_t>(digits.toInt(&ok)) : 0;
        if (ok && pid > 0 && pid != ::getpid() && ::kill(pid, 0) != 0 && errno == ESRCH) {
            ::unlink((folder + entryName.toByteArray()).constData());
        }
    }
}

// Follows a chain of symbolic links to the file that finally holds the
// content; a relative link is relative to its own folder. The last name of
// the chain is returned even when it does not exist yet, so that a dangling
// link gets its target created. 0 or the error number.
int resolveLinks(QByteArray& path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0) {
            return errno == ENOENT ? 0 : errno;
        }
        if (!S_ISLNK(st.st_mode)) {
            return 0;
        }
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : PATH_MAX, Qt::Uninitialized);
        const ssize_t length =
            ::readlink(path.constData(), target.data(), static_cast<size_t>(target.size()));
        if (length < 0) {
            return errno;
        }
        if (length >= target.size()) {
            // The link grew meanwhile; read it again.
            continue;
        }
        target.truncate(length);
        path = target.startsWith('/') ? target : folderOf(path) + target;
    }
    return ELOOP;
}

FileError writeError(const QString& name, int error = errno) {
    return FileError::fromSystem(FileError::Operation::Write, name, error);
}

} // namespace

namespace TextFile {

bool NormalFileExists(const QString& name) {
    struct stat st {};
    const QByteArray path = QFile::encodeName(name);
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QByteArray JoinLines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    qsizetype size = 0;
    for (const QByteArray& line : lines) {
        size += line.size() + 2;
    }
    bytes.reserve(size);
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// The writers use the system calls directly: Qt's buffered file classes take
// a short write (a full disk, a file-size limit) for success.
std::optional<FileError> Replace(const QString& name, const QByteArray& bytes) {
    // A link is written through: its final target gets the new content, in
    // the target's own folder, and the link stays.
    QByteArray path = QFile::encodeName(name);
    if (const int error = resolveLinks(path)) {
        return writeError(name, error);
    }
    struct stat previous {};
    const bool exists = ::stat(path.constData(), &previous) == 0;
    // The rename would replace a file the user has protected against
    // writing, since only the folder's permission counts for it.
    if (exists && ::faccessat(AT_FDCWD, path.constData(), W_OK, AT_EACCESS) != 0) {
        return writeError(name);
    }
    // The new content goes to a temporary file beside the old one and then
    // takes its place in one step, so a failure leaves the old file whole.
    const QByteArray folder = folderOf(path);
    const QByteArray base = path.mid(folder.size());
    const QByteArray temporary = folder + temporaryName(base, hostName(), ::getpid());
    FileDescriptor fd(createExclusive(temporary));
    if (!fd.valid()) {
        return writeError(name);
    }
    int failure = 0;
    if (exists) {
        // Owner and group as before where the system lets us give them; the
        // permission bits always.
        if (::fchown(fd.get(), previous.st_uid, previous.st_gid) != 0 &&
            ::fchown(fd.get(), static_cast<uid_t>(-1), previous.st_gid) != 0) {
            // Neither the owner nor a member of the file's group: the new
            // file is ours, as any file we create, and nothing is lost.
        }
        failure = ::fchmod(fd.get(), previous.st_mode & 0777) == 0 ? 0 : errno;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        failure = ::fchmod(fd.get(), 0666 & ~mask) == 0 ? 0 : errno;
    }
    if (failure == 0) {
        failure = writeAll(fd.get(), bytes);
    }
    if (failure == 0 && ::fsync(fd.get()) != 0) {
        failure = errno;
    }
    if (failure == 0) {
        failure = fd.close();
    }
    if (failure == 0 && ::rename(temporary.constData(), path.constData()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        ::unlink(temporary.constData());
        return writeError(name, failure);
    }
    removeLeftovers(folder, base);
    return std::nullopt;
}

} // namespace TextFile
