#pragma once

#include <QList>
#include <QString>

// The desktop shell's "open" action. A file that is an executable program is
// started detached in the current directory with the parameter string as its
// only argument; any other file goes to the desktop's opener for its type.
// Nothing is reported back: a missing program or a missing opener goes
// unnoticed, as the callers expect. Tests switch on recording, after which the
// launches are only noted.
class Shell {
public:
    struct Launch {
        QString file;
        QString parameters;
    };

    static void open(const QString& file, const QString& parameters);

    static void startRecording();
    static void stopRecording();
    static const QList<Launch>& recorded();
};
