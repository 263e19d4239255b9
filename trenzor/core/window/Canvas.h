#pragma once

#include <QSize>
#include <QString>
#include <cstdio>
#include <exception>

class QOpenGLContext;

// What the engine needs from the window system: a current OpenGL context,
// the surface to draw on, a way to show a finished frame and a way to end.
// Implemented by EngineWindow and OffscreenCanvas; the engine never sees the
// window itself.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual QOpenGLContext* glContext() const = 0;
    virtual unsigned defaultFramebuffer() const = 0;
    // The EGL device drawn on where the canvas chose one itself, as line 5
    // names it; empty otherwise.
    virtual QString deviceLabel() const { return {}; }
    // The drawable's size in device pixels.
    virtual QSize surfacePixels() const = 0;
    virtual void present() = 0;
    // Ends the engine's run with this process exit code.
    virtual void finish(int exitCode) = 0;

protected:
    // Runs a step of the engine from an event handler. An exception must not
    // leave the event loop: it ends the run with its message and status 1.
    template <typename Step>
    void guarded(Step step) {
        try {
            step();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "trenzor: nečekaná chyba: %s\n", error.what());
            finish(1);
        }
    }
};
