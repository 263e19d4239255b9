#pragma once

#include <QSize>

class QOpenGLContext;

// What the engine needs from the window system: a current OpenGL context,
// the surface to draw on, a way to show a finished frame and a way to end.
// Implemented by EngineWindow; the engine never sees the window itself.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual QOpenGLContext* glContext() const = 0;
    virtual unsigned defaultFramebuffer() const = 0;
    // The drawable's size in device pixels.
    virtual QSize surfacePixels() const = 0;
    virtual void present() = 0;
    // Ends the engine's run with this process exit code.
    virtual void finish(int exitCode) = 0;
};
