#include "contract/InputFile.h"

#include "contract/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

InputFile::Result InputFile::read(const QString& name, qint64 limit) {
    Result result;
    const RegularFile file = FileDescriptor::openRegular(name);
    result.size = file.size;
    if (file.error != 0) {
        using Operation = FileError::Operation;
        result.error = file.special
                           ? FileError{Operation::Open, name, QStringLiteral("není to obyčejný soubor")}
                           : FileError::fromSystem(Operation::Open, name, file.error);
        return result;
    }
    if (file.size > limit) {
        result.tooLarge = true;
        return result;
    }
    // One byte more than the size, so that a file that grew is noticed; the
    // limit is checked again while reading.
    result.bytes.resize(qsizetype(file.size) + 1);
    qsizetype used = 0;
    for (;;) {
        if (used == result.bytes.size()) {
            if (used > limit) {
                result.bytes.clear();
                result.tooLarge = true;
                return result;
            }
            result.bytes.resize(std::min<qsizetype>(used * 2, qsizetype(limit) + 1));
        }
        const ssize_t got =
            ::read(file.fd.get(), result.bytes.data() + used, std::size_t(result.bytes.size() - used));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const int error = errno;
            result.bytes.clear();
            result.error = FileError::fromSystem(FileError::Operation::Read, name, error);
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
