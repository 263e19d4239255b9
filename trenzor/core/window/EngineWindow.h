#pragma once

#include "Canvas.h"
#include "Engine.h"

#include <QOpenGLWindow>
#include <QTimer>

// The engine's window: an OpenGL window sized from the configuration (or
// covering the screen), which feeds keys and mouse to the Engine and drives
// its frames from a timer instead of the paint cycle, so that nothing but the
// swap itself (or the frame-rate limit, waited for in the event loop) paces a
// measured frame. The timer stops while the window is hidden or unexposed,
// and the engine is told so; an unattended run that stays unseen for
// kUnattendedUnseenMs at a stretch ends without results. Created by main (or
// a test) and living until the run ends, which it announces with finished().
class EngineWindow : public QOpenGLWindow, public Canvas {
    Q_OBJECT
public:
    // How long an unattended run (no intro screens, or the command line's
    // options) waits for its window to be seen before it gives up; a run
    // with somebody at the screen waits as long as it takes.
    static constexpr int kUnattendedUnseenMs = 30000;

    EngineWindow(const RunConfig& config, const QString& startupError,
                 std::optional<RunOptions> options = std::nullopt);
    ~EngineWindow() override;

    // The surface format the configuration asks for; with debugContext, of
    // a context that reports what the driver finds wrong (--gl-debug).
    static QSurfaceFormat formatFor(const RunConfig& config, bool debugContext = false);

    // Why this configuration cannot get the OpenGL the engine needs (a context
    // of version 2.1 or later), or empty; found with a context of its own
    // before any window is shown.
    static QString openGlProblem(const RunConfig& config);

    // Shows the window as the configuration asks: sized or full screen. The
    // size asked for is in pixels at any scale factor.
    void start();
    Engine& engine() { return m_engine; }
    // Frames shown so far, counted apart from the engine's own bookkeeping.
    int presentedFrames() const { return m_presented; }

    QOpenGLContext* glContext() const override;
    unsigned defaultFramebuffer() const override;
    QSize surfacePixels() const override;
    void present() override;
    void finish(int exitCode) override;

signals:
    void finished(int exitCode);

protected:
    void initializeGL() override;
    void paintGL() override;
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tick();
    // Sizes a window (not a full-screen one) for the configuration's pixels
    // at the ratio of the screen it is on.
    void fitToPixels();
    // Starts counting the unseen time of an unattended run, or stops it.
    void watchUnseen(bool unseen);

    RunConfig m_config;
    bool m_unattended;
    Engine m_engine;
    QTimer m_timer;
    QTimer m_unseenTimer;
    bool m_finished = false;
    bool m_initialized = false;
    int m_presented = 0;
    int m_exitCode = 0;
    // The device pixel ratio the window was last sized for.
    qreal m_sizedForRatio = 0;
};
