#include "contract/FileDescriptor.h"

#include <QFile>
#include <fcntl.h>
#include <sys/stat.h>

RegularFile FileDescriptor::openRegular(const QString& name) {
    RegularFile file;
    // Opened without blocking: a FIFO without a writer would otherwise hold
    // the program until one appears.
    FileDescriptor fd(::open(QFile::encodeName(name).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0) {
        file.error = errno;
        return file;
    }
    if (S_ISDIR(st.st_mode)) {
        file.error = EISDIR;
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.error = EINVAL;
        file.special = true;
        return file;
    }
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    file.fd = std::move(fd);
    file.size = st.st_size;
    return file;
}
