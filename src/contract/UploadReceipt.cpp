#include "contract/UploadReceipt.h"

#include "contract/FileDescriptor.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

const QString UploadReceipt::FileName = QStringLiteral("odeslane.txt");

namespace {

// Lines end with LF alone: the file is for a terminal and the shell, where a
// CR would cling to the key copied out of it.
QByteArray Heading() {
    return QStringLiteral("# Nahrané běhy a klíče k jejich smazání; soubor nikomu nedávejte.\n"
                          "# Smazání běhu: curl -X DELETE -H \"Authorization: Bearer KLÍČ\" ADRESA_API\n"
                          "# datum\tstránka běhu\tadresa API\tklíč ke smazání (- = běh tu už byl)\n")
        .toUtf8();
}

int WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        done += written;
    }
    return 0;
}

int Lock(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

} // namespace

std::optional<FileError> UploadReceipt::append(const UploadAnswer& answer, const QDateTime& when) {
    const auto failure = [](int error) {
        return FileError::fromSystem(FileError::Operation::Write, FileName, error);
    };
    // Non-blocking, so a FIFO in the file's place cannot hold the program.
    FileDescriptor fd(::open(QFile::encodeName(FileName).constData(),
                             O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0600));
    if (!fd.valid())
        return failure(errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return failure(errno);
    if (!S_ISREG(st.st_mode))
        return FileError{FileError::Operation::Write, FileName, QStringLiteral("Není to obyčejný soubor.")};
    // The front end and the engine may both append at once.
    if (const int error = Lock(fd.get()))
        return failure(error);
    if (::fstat(fd.get(), &st) != 0)
        return failure(errno);
    const QByteArray line =
        when.toUTC().toString(Qt::ISODate).toUtf8() + '\t' + answer.page().toEncoded() + '\t' +
        answer.api().toEncoded() + '\t' +
        (answer.deleteToken().isEmpty() ? QByteArray("-") : answer.deleteToken().toUtf8()) + '\n';
    const QByteArray bytes = st.st_size == 0 ? Heading() + line : line;
    if (const int error = WriteAll(fd.get(), bytes)) {
        // A part of a line is taken back; the lines before stay as they were.
        FileError written = failure(error);
        if (::ftruncate(fd.get(), st.st_size) != 0)
            written.reason += QStringLiteral(" Na konci souboru zůstal neúplný řádek.");
        return written;
    }
    if (::fsync(fd.get()) != 0)
        return failure(errno);
    if (const int error = fd.close())
        return failure(error);
    return std::nullopt;
}
