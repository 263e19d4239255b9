#pragma once

#include <QList>
#include <QString>
#include <functional>

// Every message of the program goes through here: a modal box with a single OK
// button, style 0 (no icon) or 48 (warning icon), and either its own title or
// the application's. Tests switch on recording, after which nothing is shown:
// each message is only noted, and the call returns at once as if the user had
// pressed OK.
class MessageBox {
public:
    enum Style { Plain = 0, Warning = 48 };

    struct Shown {
        QString text;
        int style = Plain;
        QString title;
    };

    static void show(const QString& text, int style = Plain, const QString& title = {});

    // The title a box without one of its own carries.
    static QString applicationTitle();

    // Test hook: record messages instead of showing them, and read them back.
    static void startRecording();
    static void stopRecording();
    static const QList<Shown>& recorded();
    static void clearRecorded();
    // Test hook: run before a recorded message returns, as if it happened
    // while the box stood open.
    static void setWhileShown(std::function<void(const Shown&)> action);
};
