#include "EngineFile.h"

#include "contract/FileDescriptor.h"
#include "contract/FileError.h"

#include <cerrno>
#include <unistd.h>

EngineFile::Result EngineFile::read(const QString& path, qint64 limit) {
    Result result;
    const RegularFile file = FileDescriptor::openRegular(path);
    const FileDescriptor& fd = file.fd;
    if (file.error != 0) {
        using Operation = FileError::Operation;
        result.error =
            (file.special ? FileError{Operation::Open, path, QStringLiteral("není to obyčejný soubor")}
                          : FileError::fromSystem(Operation::Open, path, file.error))
                .oneLine();
        return result;
    }
    if (file.size > limit) {
        result.error = QStringLiteral("Soubor %1 je příliš velký (%2 bajtů, nejvýše %3)")
                           .arg(path)
                           .arg(file.size)
                           .arg(limit);
        return result;
    }
    // The size is checked again while reading: the file may grow meanwhile.
    result.bytes.resize(qsizetype(file.size) + 1);
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
            result.error = FileError::fromSystem(FileError::Operation::Read, path, error).oneLine();
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
