#pragma once

#include <QList>
#include <QSize>
#include <QStringList>

// The header of the results log (and of the summary): the program, the date,
// this computer's description and the conditions the run got, in the lines
// the log's readers expect. Only static functions.
class LogHeader {
public:
    // What the run got, which may differ from what it asked for.
    struct Granted {
        // The drawable's pixels and those the scenes are drawn into.
        QSize screen;
        QSize render;
        bool offscreen = false;
        bool fullScreen = false;
        int colourBits = 0;
        int depthBits = 0;
        QString vsync;
        bool safe = false;
        // The EGL device an off-screen run chose itself, empty otherwise.
        QString device;
        // The rated tests in the order of the slots; empty for a run of a
        // configuration, which the front end writes for the seven in order.
        QList<int> tests;
    };

    // What the run got, short enough for one row of the results window's
    // list: the size on screen (and the picture scaled into it), the drawn
    // buffer's bits, the vertical sync, and the tests when they are not the
    // seven in their standard order (TestOrder).
    static QString conditions(const Granted& granted);
    // The header lines, this computer described now; what could not be
    // found out about it is said on standard error.
    static QStringList compose(const Granted& granted, const QString& glRenderer);
};
