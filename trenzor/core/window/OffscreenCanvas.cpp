#include "OffscreenCanvas.h"

#include "EngineWindow.h"

#include <QOpenGLFunctions>
#include <cstdio>

OffscreenCanvas::OffscreenCanvas(const RunConfig& config, const QString& startupError,
                                 const RunOptions& options)
    : m_config(config)
    , m_glDebug(options.glDebug)
    , m_gpu(options.gpu)
    , m_engine(config, startupError, *this, options) {
    m_timer.setInterval(0);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &OffscreenCanvas::tick);
}

OffscreenCanvas::~OffscreenCanvas() {
    QOpenGLContext* context = glContext();
    if (context && context->isValid() && makeCurrent()) {
        m_engine.shutdown();
        m_target.destroy(*context->functions());
        context->doneCurrent();
    }
}

void OffscreenCanvas::start() {
    if (HeadlessContext::wanted(true, m_gpu)) {
        m_headless = std::make_unique<HeadlessContext>();
        if (const QString error = m_headless->create(m_gpu, m_glDebug); !error.isEmpty()) {
            std::fprintf(stderr, "trenzor: %s\n", qUtf8Printable(error));
            finish(1);
            return;
        }
    } else {
        m_context.setFormat(EngineWindow::formatFor(m_config, m_glDebug));
        m_surface.setFormat(m_context.format());
        m_surface.create();
        if (!m_context.create() || !m_surface.isValid() || !m_context.makeCurrent(&m_surface)) {
            std::fprintf(stderr, "trenzor: OpenGL není k dispozici: kontext OpenGL nelze vytvořit.\n");
            finish(1);
            return;
        }
    }
    const QString error =
        m_target.create(*glContext()->functions(), surfacePixels(), m_config.colourBits, m_config.depthBits);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "trenzor: %s\n", qUtf8Printable(error));
        finish(1);
        return;
    }
    guarded([this] { m_engine.initialize(); });
    if (!m_finished) {
        m_timer.start();
    }
}

QOpenGLContext* OffscreenCanvas::glContext() const {
    return m_headless ? m_headless->context() : &m_context;
}

QString OffscreenCanvas::deviceLabel() const {
    return m_headless ? m_headless->deviceLabel() : QString();
}

bool OffscreenCanvas::makeCurrent() {
    return m_headless ? m_headless->makeCurrent() : m_context.makeCurrent(&m_surface);
}

unsigned OffscreenCanvas::defaultFramebuffer() const {
    return m_target.framebuffer();
}

QSize OffscreenCanvas::surfacePixels() const {
    return {m_config.viewportWidth, m_config.viewportHeight};
}

void OffscreenCanvas::present() {
    glContext()->functions()->glFinish();
}

void OffscreenCanvas::finish(int exitCode) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_timer.stop();
    // Announced from the event loop: the engine is still inside the step
    // that ended the run.
    QTimer::singleShot(0, this, [this, exitCode] { emit finished(exitCode); });
}

void OffscreenCanvas::tick() {
    if (m_finished) {
        return;
    }
    makeCurrent();
    guarded([this] { m_engine.frame(); });
    if (!m_finished) {
        m_timer.setInterval(m_engine.msecsToNextFrame());
    }
}
