#include "HeadlessContext.h"

#include "EglDevices.h"
#include "GpuChoice.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

namespace {

// A compatibility context of OpenGL 2.1; it draws only into framebuffer
// objects. Qt learns the context's version through its configuration, so
// one is chosen where the display has any. Mesa refuses EGL 1.5's debug
// attribute on displays below EGL 1.5 (softpipe's is one), so it is named
// only when asked for, and there through EGL_KHR_create_context's flags.
EGLContext createContext(EGLDisplay display, bool debug) {
    if (!eglBindAPI(EGL_OPENGL_API)) {
        return EGL_NO_CONTEXT;
    }
    const EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                             EGL_NONE};
    EGLConfig config = EGL_NO_CONFIG_KHR;
    EGLint count = 0;
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count < 1) {
        config = EGL_NO_CONFIG_KHR;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION_KHR,
                                 2,
                                 EGL_CONTEXT_MINOR_VERSION_KHR,
                                 1,
                                 debug ? EGL_CONTEXT_FLAGS_KHR : EGL_NONE,
                                 EGL_CONTEXT_OPENGL_DEBUG_BIT_KHR,
                                 EGL_NONE};
    return eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
}

QString eglError(const QString& what) {
    return QStringLiteral("OpenGL není k dispozici: %1 (chyba EGL 0x%2).")
        .arg(what)
        .arg(eglGetError(), 0, 16);
}

} // namespace

bool HeadlessContext::wanted(bool offscreen, int gpu) {
    return offscreen && (gpu >= 0 || (qEnvironmentVariableIsEmpty("DISPLAY") &&
                                      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")));
}

void HeadlessContext::prepare() {
    // eglfs with Mesa's surfaceless display: no framebuffer device, no
    // screen, no input devices are needed. Its screen is a formality.
    qputenv("QT_QPA_PLATFORM", "eglfs");
    qputenv("QT_QPA_EGLFS_INTEGRATION", "none");
    qputenv("QT_QPA_EGLFS_FB", "/dev/null");
    qputenv("QT_QPA_EGLFS_WIDTH", "640");
    qputenv("QT_QPA_EGLFS_HEIGHT", "480");
    qputenv("QT_QPA_EGLFS_PHYSICAL_WIDTH", "200");
    qputenv("QT_QPA_EGLFS_PHYSICAL_HEIGHT", "150");
    qputenv("QT_QPA_EGLFS_DEPTH", "32");
    qputenv("QT_QPA_EGLFS_DISABLE_INPUT", "1");
    qputenv("EGL_PLATFORM", "surfaceless");
}

HeadlessContext::~HeadlessContext() {
    if (m_context) {
        m_context->doneCurrent();
    }
    m_context.reset();
    if (m_deviceContext) {
        eglMakeCurrent(m_deviceDisplay.get(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(m_deviceDisplay.get(), m_deviceContext);
    }
    if (m_eglContext) {
        eglDestroyContext(m_display, m_eglContext);
    }
}

QString HeadlessContext::create(int gpu, bool debug) {
    const auto platformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    m_display = platformDisplay ? platformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                                : EGL_NO_DISPLAY;
    if (m_display == EGL_NO_DISPLAY || !eglInitialize(m_display, nullptr, nullptr)) {
        return eglError(QStringLiteral("EGL bez grafického serveru (EGL_MESA_platform_surfaceless) chybí"));
    }
    m_eglContext = createContext(m_display, debug);
    if (m_eglContext == EGL_NO_CONTEXT) {
        return eglError(QStringLiteral("kontext OpenGL 2.1 přes EGL nelze vytvořit"));
    }
    m_context.reset(QNativeInterface::QEGLContext::fromNative(m_eglContext, m_display));
    if (!m_context) {
        return QStringLiteral("OpenGL není k dispozici: Qt nepřevzalo kontext EGL (platforma %1).")
            .arg(qEnvironmentVariable("QT_QPA_PLATFORM"));
    }
    m_surface.setFormat(m_context->format());
    m_surface.create();
    const QList<GpuDevice> devices = EglDevices::list();
    int index = EglDevices::indexOf(m_display);
    if (gpu >= 0) {
        QString error;
        m_deviceDisplay = EglDevices::display(gpu, error);
        if (!m_deviceDisplay) {
            return QStringLiteral("OpenGL není k dispozici: %1.").arg(error);
        }
        m_deviceContext = createContext(m_deviceDisplay.get(), debug);
        if (m_deviceContext == EGL_NO_CONTEXT) {
            return eglError(QStringLiteral("kontext OpenGL 2.1 na zařízení %1 nelze vytvořit").arg(gpu));
        }
        index = gpu;
    }
    m_label = index >= 0 && index < devices.size() ? GpuChoice::label(devices[index]) : QStringLiteral("EGL");
    if (!makeCurrent()) {
        return eglError(QStringLiteral("kontext OpenGL přes EGL nelze použít"));
    }
    return {};
}

bool HeadlessContext::makeCurrent() {
    if (!m_context->makeCurrent(&m_surface)) {
        return false;
    }
    return !m_deviceContext ||
           eglMakeCurrent(m_deviceDisplay.get(), EGL_NO_SURFACE, EGL_NO_SURFACE, m_deviceContext) == EGL_TRUE;
}
