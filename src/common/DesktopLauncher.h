#pragma once

#include "contract/FileResult.h"

#include <QList>
#include <QString>
#include <optional>
#include <sys/types.h>

// The desktop shell's "open" action. A file that is an executable program is
// started detached in the current directory with the parameter string as its
// only argument; any other file goes to the desktop's opener for its type.
// open() reports nothing back: a missing opener goes unnoticed. start() is
// for a program that must run and whose end the caller wants to learn: it
// says why it could not be started. Tests switch on recording, after which
// the launches are only noted (and succeed).
class DesktopLauncher {
public:
    struct Launch {
        QString file;
        QString parameters;
    };

    static void open(const QString& file, const QString& parameters);
    // Starts the program file as a child process in a session of its own, so
    // that it runs on when the caller ends, in the current directory with the
    // parameter string as its only argument. handed, unless -1, is a
    // descriptor the program inherits under the same number, which its
    // environment names in FolderLock::kHandedVariable. The child's process
    // number, which the caller waits for; 0 while recording. The error, with
    // the system's reason, when the file is missing, not executable or fails
    // to start.
    static FileResult<pid_t> start(const QString& file, const QString& parameters, int handed = -1);

    static void startRecording();
    static void stopRecording();
    static const QList<Launch>& recorded();
};
