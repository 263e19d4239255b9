#include "Shell.h"

#include "Recording.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
Recording<Shell::Launch>& recording() {
    static Recording<Shell::Launch> r;
    return r;
}
} // namespace

void Shell::open(const QString& file, const QString& parameters) {
    if (recording().active()) {
        recording().note({file, parameters});
        return;
    }
    const QFileInfo info(QDir::current(), file);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), {parameters}, QDir::currentPath());
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

std::optional<FileError> Shell::start(const QString& file, const QString& parameters) {
    if (recording().active()) {
        recording().note({file, parameters});
        return std::nullopt;
    }
    const auto failed = [&file](int error) {
        return FileError::fromSystem(FileError::Operation::Start, file, error);
    };
    const QByteArray path = QFile::encodeName(QDir::current().absoluteFilePath(file));
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        return failed(errno);
    }
    if (S_ISDIR(st.st_mode)) {
        return failed(EISDIR);
    }
    if (::access(path.constData(), X_OK) != 0) {
        return failed(errno);
    }
    QProcess process;
    process.setProgram(QFile::decodeName(path));
    process.setArguments({parameters});
    process.setWorkingDirectory(QDir::currentPath());
    if (!process.startDetached()) {
        return FileError{FileError::Operation::Start, file, process.errorString()};
    }
    return std::nullopt;
}

void Shell::startRecording() {
    recording().start();
}

void Shell::stopRecording() {
    recording().stop();
}

const QList<Shell::Launch>& Shell::recorded() {
    return recording().entries();
}
