#include "EngineFile.h"

#include "contract/FileDescriptor.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString cannotOpen(const QString& path, const QString& why) {
    return QStringLiteral("Soubor %1 nelze otevřít: %2").arg(path, why);
}

} // namespace

EngineFile::Result EngineFile::read(const QString& path, qint64 limit) {
    Result result;
    // Opened without blocking: a FIFO without a writer would otherwise hold
    // the engine until one appears. What was opened is then checked, not
    // the name, which could change in between.
    const FileDescriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        result.error = cannotOpen(path, reason(errno));
        return result;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        result.error = cannotOpen(path, reason(errno));
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.error = cannotOpen(path, reason(EISDIR));
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = cannotOpen(path, QStringLiteral("není to obyčejný soubor"));
        return result;
    }
    if (st.st_size > limit) {
        result.error = QStringLiteral("Soubor %1 je příliš velký (%2 bajtů, nejvýše %3)")
                           .arg(path)
                           .arg(qint64(st.st_size))
                           .arg(limit);
        return result;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    // The size is checked again while reading: the file may grow meanwhile.
    result.bytes.resize(qsizetype(st.st_size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == result.bytes.size()) {
            if (used > limit) {
                result.bytes.clear();
                result.error =
                    QStringLiteral("Soubor %1 je příliš velký (nejvýše %2 bajtů)").arg(path).arg(limit);
                return result;
            }
            result.bytes.resize(std::min<qsizetype>(used * 2, qsizetype(limit) + 1));
        }
        const ssize_t got =
            ::read(fd.get(), result.bytes.data() + used, std::size_t(result.bytes.size() - used));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            result.bytes.clear();
            result.error = QStringLiteral("Soubor %1 nelze číst: %2").arg(path, reason(error));
            return result;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    result.bytes.truncate(used);
    return result;
}
