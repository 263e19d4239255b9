#pragma once

#include <QSize>
#include <QtGlobal>

// The engine's window sizes are pixels on the screen, at any scale factor;
// Qt sizes a window in device-independent units that a scale factor of 2
// doubles. Converts the one into the other. Stateless.
class WindowPixels {
public:
    // The size in Qt's units that gives a surface of at least these pixels
    // at this device pixel ratio: exactly these at a whole ratio such as 1
    // or 2, at most one pixel more each way at a fractional one.
    static QSize logicalSize(QSize pixels, qreal devicePixelRatio);
};
