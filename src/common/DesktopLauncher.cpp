#include "DesktopLauncher.h"

#include "Recording.h"
#include "contract/FolderLock.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
Recording<DesktopLauncher::Launch>& recording() {
    static Recording<DesktopLauncher::Launch> r;
    return r;
}
} // namespace

void DesktopLauncher::open(const QString& file, const QString& parameters) {
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

FileResult<pid_t> DesktopLauncher::start(const QString& file, const QString& parameters, int handed) {
    if (recording().active()) {
        recording().note({file, parameters});
        return pid_t(0);
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
    // The environment as it is, but naming the handed descriptor only when
    // there is one.
    const QByteArray prefix = QByteArray(FolderLock::kHandedVariable) + '=';
    std::vector<QByteArray> entries;
    for (char** entry = environ; *entry; ++entry) {
        if (!QByteArrayView(*entry).startsWith(prefix)) {
            entries.emplace_back(*entry);
        }
    }
    if (handed >= 0) {
        entries.push_back(prefix + QByteArray::number(handed));
    }
    std::vector<char*> environment;
    for (QByteArray& entry : entries) {
        environment.push_back(entry.data());
    }
    environment.push_back(nullptr);
    QByteArray argument = QFile::encodeName(parameters);
    QByteArray program = path;
    char* arguments[] = {program.data(), argument.data(), nullptr};

    // A session of its own, as a program started from the desktop: the
    // terminal's Ctrl+C or the caller's end do not reach it. Every signal as
    // a new program expects it, whatever the caller ignores or blocks.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.constData(), nullptr, &attributes, arguments, environment.data());
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return failed(error);
    }
    return child;
}

void DesktopLauncher::startRecording() {
    recording().start();
}

void DesktopLauncher::stopRecording() {
    recording().stop();
}

const QList<DesktopLauncher::Launch>& DesktopLauncher::recorded() {
    return recording().entries();
}
