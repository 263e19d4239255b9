#pragma once

#include "Canvas.h"
#include "Engine.h"
#include "HeadlessContext.h"
#include "OffscreenTarget.h"

#include <QObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QTimer>

// The engine's canvas for a run that is never presented: an OpenGL context
// on an off-screen surface, drawing into a framebuffer object of the run's
// size, so that what the frames cost without presentation can be measured
// apart from it. No window is mapped. A frame counts as shown once the
// driver has finished drawing it (glFinish), so a frame's time is its
// rendering, not only the handing over of its commands. Frames follow each
// other from a timer, as in the window. With no display to reach, or on a
// chosen device, the context is EGL's without any display server
// (HeadlessContext). Created by main and living until finished() is handled.
class OffscreenCanvas : public QObject, public Canvas {
    Q_OBJECT
public:
    OffscreenCanvas(const RunConfig& config, const QString& startupError, const RunOptions& options);
    ~OffscreenCanvas() override;
    OffscreenCanvas(const OffscreenCanvas&) = delete;
    OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

    // Creates the context and the buffer, and starts the run.
    void start();
    const Engine& engine() const { return m_engine; }

    QOpenGLContext* glContext() const override;
    unsigned defaultFramebuffer() const override;
    QString deviceLabel() const override;
    QSize surfacePixels() const override;
    void present() override;
    void finish(int exitCode) override;

signals:
    void finished(int exitCode);

private:
    void tick();
    bool makeCurrent();

    RunConfig m_config;
    bool m_glDebug;
    int m_gpu;
    // Set when the context is EGL's own; Qt's off-screen surface otherwise.
    std::unique_ptr<HeadlessContext> m_headless;
    QOffscreenSurface m_surface;
    // Mutable: the engine asks the canvas for its context through a const
    // accessor, as the window's own is.
    mutable QOpenGLContext m_context;
    OffscreenTarget m_target;
    Engine m_engine;
    QTimer m_timer;
    bool m_finished = false;
};
