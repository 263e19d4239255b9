#pragma once

#include "contract/FileError.h"

#include <QList>
#include <QString>
#include <optional>

// The desktop shell's "open" action. A file that is an executable program is
// started detached in the current directory with the parameter string as its
// only argument; any other file goes to the desktop's opener for its type.
// open() reports nothing back: a missing opener goes unnoticed. start() is
// for a program that must run: it says why it could not be started. Tests
// switch on recording, after which the launches are only noted (and succeed).
class Shell {
public:
    struct Launch {
        QString file;
        QString parameters;
    };

    static void open(const QString& file, const QString& parameters);
    // Starts the program file detached, as open() does; the error, with the
    // system's reason, when it is missing, not executable or fails to start.
    static std::optional<FileError> start(const QString& file, const QString& parameters);

    static void startRecording();
    static void stopRecording();
    static const QList<Launch>& recorded();
};
