#include "EngineWindow.h"

#include "WindowPixels.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QScreen>

EngineWindow::EngineWindow(const RunConfig& config, const QString& startupError,
                           std::optional<RunOptions> options)
    : QOpenGLWindow(QOpenGLWindow::NoPartialUpdate)
    , m_config(config)
    , m_unattended(config.dontShowIntro || options.has_value())
    , m_engine(config, startupError, *this, options) {
    setFormat(formatFor(config, options && options->glDebug));
    setTitle(QStringLiteral("Trenzor"));
    m_timer.setInterval(0);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &EngineWindow::tick);
    m_unseenTimer.setSingleShot(true);
    m_unseenTimer.setInterval(kUnattendedUnseenMs);
    // The engine draws nothing when it gives up, so no context is needed.
    connect(&m_unseenTimer, &QTimer::timeout, this,
            [this] { guarded([this] { m_engine.abandonUnseen(kUnattendedUnseenMs / 1000); }); });
}

EngineWindow::~EngineWindow() {
    // After the window system has closed the window there is no surface to
    // make current; the context then takes its objects with it.
    if (context() && handle()) {
        makeCurrent();
        m_engine.shutdown();
        doneCurrent();
    }
}

QSurfaceFormat EngineWindow::formatFor(const RunConfig& config, bool debugContext) {
    QSurfaceFormat format;
    if (debugContext) {
        format.setOption(QSurfaceFormat::DebugContext);
    }
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(config.noVsync ? 0 : 1);
    format.setDepthBufferSize(config.depthBits);
    const int channel = config.colourBits == 16 ? 5 : 8;
    format.setRedBufferSize(channel);
    format.setGreenBufferSize(config.colourBits == 16 ? 6 : 8);
    format.setBlueBufferSize(channel);
    format.setAlphaBufferSize(config.colourBits == 32 ? 8 : 0);
    return format;
}

QString EngineWindow::openGlProblem(const RunConfig& config) {
    QOpenGLContext context;
    context.setFormat(formatFor(config));
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface)) {
        return QStringLiteral("OpenGL není k dispozici: kontext OpenGL nelze vytvořit.");
    }
    auto* functions = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&context);
    const bool usable = functions && functions->initializeOpenGLFunctions();
    const auto* version = reinterpret_cast<const char*>(context.functions()->glGetString(GL_VERSION));
    context.doneCurrent();
    if (!usable) {
        return QStringLiteral("OpenGL %1 nestačí, testy potřebují OpenGL 2.1 nebo novější.")
            .arg(version ? QString::fromLatin1(version) : QStringLiteral("neznámé verze"));
    }
    return {};
}

void EngineWindow::start() {
    // Until its first expose the window has not been seen.
    watchUnseen(true);
    if (m_config.fullScreen) {
        // No frame: on Wayland the window's first buffers would include
        // Qt's decorations and shrink to the screen's size once the
        // compositor makes it full screen, and zink on lavapipe then copies
        // the larger picture past the end of the smaller buffers.
        setFlag(Qt::FramelessWindowHint);
        // The geometry as well as the state: without a window manager to
        // honour the full-screen state the window would keep its own size.
        setGeometry(screen()->geometry());
        showFullScreen();
    } else {
        fitToPixels();
        // A screen of another scale factor needs another size for the same
        // pixels.
        connect(this, &QWindow::screenChanged, this, [this] { fitToPixels(); });
        show();
    }
}

void EngineWindow::fitToPixels() {
    const qreal ratio = devicePixelRatio();
    if (ratio == m_sizedForRatio) {
        return;
    }
    m_sizedForRatio = ratio;
    resize(WindowPixels::logicalSize({m_config.viewportWidth, m_config.viewportHeight}, ratio));
}

QOpenGLContext* EngineWindow::glContext() const {
    return context();
}

unsigned EngineWindow::defaultFramebuffer() const {
    return defaultFramebufferObject();
}

QSize EngineWindow::surfacePixels() const {
    return size() * devicePixelRatio();
}

void EngineWindow::present() {
    context()->swapBuffers(this);
    ++m_presented;
}

void EngineWindow::finish(int exitCode) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_exitCode = exitCode;
    m_timer.stop();
    m_unseenTimer.stop();
    // Announced from the event loop: the engine is still inside the step
    // that ended the run.
    QTimer::singleShot(0, this, [this] {
        hide();
        emit finished(m_exitCode);
    });
}

void EngineWindow::initializeGL() {
    guarded([this] { m_engine.initialize(); });
    m_initialized = true;
    if (!m_finished && isExposed()) {
        m_timer.start();
    }
}

void EngineWindow::paintGL() {
    // Only the first expose paints here, before the engine's first frame: a
    // cleared picture of the surface's present size rather than undefined
    // content.
    QOpenGLFunctions* gl = context()->functions();
    gl->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
}

bool EngineWindow::event(QEvent* event) {
    // Every frame after the first is drawn and shown by tick(). Qt's own
    // repaint of an expose would show a frame without drawing it; after the
    // surface was resized (on Wayland, when the compositor makes the window
    // full screen) Mesa's software renderer then copies the picture of the
    // old size into the buffers of the new one, past their end.
    if (m_initialized && (event->type() == QEvent::Paint || event->type() == QEvent::UpdateRequest)) {
        event->accept();
        return true;
    }
    return QOpenGLWindow::event(event);
}

void EngineWindow::exposeEvent(QExposeEvent* event) {
    QOpenGLWindow::exposeEvent(event);
    if (!m_config.fullScreen && isExposed()) {
        // The ratio may be known only once the window is on a screen (an
        // output's scale on Wayland).
        fitToPixels();
    }
    if (!m_finished) {
        watchUnseen(!isExposed());
    }
    if (!m_initialized || m_finished || isExposed() == m_timer.isActive()) {
        return;
    }
    // Nothing is drawn, and no time passes for a test, until the window can
    // be seen again; an idle timer would only spin.
    if (isExposed()) {
        m_timer.start();
    } else {
        m_timer.stop();
    }
    guarded([this] { m_engine.exposureChanged(isExposed()); });
}

void EngineWindow::watchUnseen(bool unseen) {
    if (!unseen) {
        m_unseenTimer.stop();
    } else if (m_unattended && !m_unseenTimer.isActive()) {
        m_unseenTimer.start();
    }
}

void EngineWindow::tick() {
    // Keys that came while the previous frame was drawn are answered before
    // the next one: the frame timer is due at once, and the event loop
    // would otherwise run it first.
    QCoreApplication::processEvents();
    if (m_finished || !isExposed()) {
        return;
    }
    makeCurrent();
    guarded([this] { m_engine.frame(); });
    if (!m_finished) {
        m_timer.setInterval(m_engine.msecsToNextFrame());
    }
}

void EngineWindow::keyPressEvent(QKeyEvent* event) {
    makeCurrent();
    guarded([&] {
        m_engine.keyChanged(event->key(), event->modifiers().testFlag(Qt::KeypadModifier), true,
                            event->isAutoRepeat());
    });
}

void EngineWindow::keyReleaseEvent(QKeyEvent* event) {
    makeCurrent();
    guarded([&] {
        m_engine.keyChanged(event->key(), event->modifiers().testFlag(Qt::KeypadModifier), false,
                            event->isAutoRepeat());
    });
}

void EngineWindow::mouseMoveEvent(QMouseEvent* event) {
    guarded([&] { m_engine.mouseMoved(event->position().x(), event->position().y()); });
}

void EngineWindow::closeEvent(QCloseEvent* event) {
    if (!m_finished && context()) {
        makeCurrent();
        guarded([this] { m_engine.abort(); });
    }
    event->accept();
}
