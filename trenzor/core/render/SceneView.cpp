#include "SceneView.h"

#include "Canvas.h"
#include "ScenePicture.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <algorithm>

namespace {

constexpr qint64 kCounterPeriod = 500'000'000;

} // namespace

SceneView::SceneView(const RunConfig& config, Canvas& canvas, const QElapsedTimer& clock)
    : m_config(config)
    , m_canvas(canvas)
    , m_clock(clock) {}

bool SceneView::open(QOpenGLContext* context, bool debug) {
    if (!context || !context->isValid()) {
        return false;
    }
    auto* gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(context);
    if (!gl || !gl->initializeOpenGLFunctions()) {
        return false;
    }
    m_functions = context->functions();
    m_gl = gl;
    if (debug) {
        m_probe.startDebugOutput(*context);
    }
    return true;
}

QString SceneView::renderer() const {
    return QString::fromLatin1(reinterpret_cast<const char*>(m_gl->glGetString(GL_RENDERER)));
}

QString SceneView::create() {
    QOpenGLFunctions& functions = *m_functions;
    QOpenGLFunctions_2_1& gl = *m_gl;
    if (m_config.fullScreen) {
        if (QString error =
                m_offscreen.create(functions, renderSize(), m_config.colourBits, m_config.depthBits);
            !error.isEmpty()) {
            return error;
        }
    }
    // The bits of the buffer the scenes are drawn into: the off-screen
    // picture in full screen, the window's surface otherwise; either may
    // differ from what the configuration asked for.
    if (m_config.fullScreen) {
        m_offscreen.bind(functions);
    } else {
        functions.glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
    }
    m_bitsGranted = GlProbe::boundBufferBits(gl);
    functions.glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
    return {};
}

LogHeader::Granted SceneView::granted(const RunOptions* options, const QString& vsync) const {
    LogHeader::Granted granted;
    granted.screen = m_canvas.surfacePixels();
    granted.render = renderSize();
    granted.offscreen = options && options->offscreen;
    granted.fullScreen = m_config.fullScreen;
    granted.colourBits = m_bitsGranted.colour;
    granted.depthBits = m_bitsGranted.depth;
    granted.vsync = vsync;
    granted.safe = m_config.safe;
    granted.device = m_canvas.deviceLabel();
    granted.tests = options ? options->tests : QList<int>();
    return granted;
}

// The pixels a scene is drawn into: the full-screen picture's, or the
// window's as asked, never more than the window got. Where the scale factor
// cannot give exactly the pixels asked (an odd size at a factor of 2, any
// size at 1.5), the window is a pixel larger; that row or column is left out
// of the picture.
QSize SceneView::renderSize() const {
    return m_config.fullScreen
               ? QSize(m_config.resolutionWidth, m_config.resolutionHeight)
               : QSize(m_config.viewportWidth, m_config.viewportHeight).boundedTo(m_canvas.surfacePixels());
}

void SceneView::load(const SceneData& scene) {
    m_scene =
        std::make_unique<MeshScene>(scene, m_config.safe, m_config.particleSystemCount, m_config.decalCount);
    m_scene->setup(*m_gl);
}

void SceneView::unload() {
    if (m_scene && m_gl) {
        m_scene->teardown(*m_gl);
    }
    m_scene.reset();
}

void SceneView::restartCounter(qint64 now) {
    m_counterUpdated = now;
    m_counterFrames = 0;
}

void SceneView::draw(const CameraPath::Pose& pose, double time) {
    const QSize size = renderSize();
    if (m_config.fullScreen) {
        m_offscreen.bind(*m_functions);
    }
    ScenePicture::draw(*m_gl, *m_scene, m_config, pose, time, size);
    if (!m_config.noTimer) {
        const qint64 now = m_clock.nsecsElapsed();
        ++m_counterFrames;
        if (now - m_counterUpdated >= kCounterPeriod || m_counterFrames == 1) {
            const double rate = m_counterFrames * 1e9 / double(std::max<qint64>(now - m_counterUpdated, 1));
            m_counter.setText(QStringLiteral("%1 snímků/s").arg(rate, 0, 'f', 1), {}, {}, QSize(200, 28));
            m_counterUpdated = now;
            m_counterFrames = 0;
        }
        m_counter.draw(*m_gl, size, QPoint(8, 8));
    }
    if (m_config.fullScreen) {
        m_offscreen.present(*m_functions, *m_gl, m_canvas.defaultFramebuffer(), m_canvas.surfacePixels());
    }
}

void SceneView::setPanel(const QString& title, const QString& body, const QString& hint) {
    m_panel.setText(title, body, hint, m_canvas.surfacePixels());
}

void SceneView::drawPanel() {
    const QSize size = m_canvas.surfacePixels();
    m_functions->glBindFramebuffer(GL_FRAMEBUFFER, m_canvas.defaultFramebuffer());
    m_gl->glViewport(0, 0, size.width(), size.height());
    m_gl->glClearColor(0, 0, 0, 1);
    m_gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_panel.draw(*m_gl, size, QPoint(0, 0));
}

QList<GLenum> SceneView::takeGlErrors() {
    return GlErrorCheck::take(*m_functions);
}

void SceneView::release() {
    if (!m_gl) {
        return;
    }
    unload();
    m_probe.stopDebugOutput();
    m_offscreen.destroy(*m_functions);
    m_panel.release(*m_gl);
    m_counter.release(*m_gl);
}
