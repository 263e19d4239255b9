#include "SwapControl.h"

#include <QOpenGLContext>
#include <algorithm>
#include <qopenglcontext_platform.h>

// The EGL headers would otherwise bring Xlib's macros along.
#define EGL_NO_X11
#include <EGL/egl.h>

namespace {

std::optional<int> glxInterval(QOpenGLContext& context) {
    using GetInterval = int (*)();
    const auto getInterval = reinterpret_cast<GetInterval>(context.getProcAddress("glXGetSwapIntervalMESA"));
    if (!getInterval) {
        return std::nullopt;
    }
    return getInterval();
}

// EGL has no query for a surface's interval, but eglSwapInterval says
// whether it took the request, and clamps it to the configuration's limits.
std::optional<int> eglInterval(const QNativeInterface::QEGLContext& egl, bool vsyncAsked) {
    EGLint minimum = 0;
    EGLint maximum = 0;
    if (!eglGetConfigAttrib(egl.display(), egl.config(), EGL_MIN_SWAP_INTERVAL, &minimum) ||
        !eglGetConfigAttrib(egl.display(), egl.config(), EGL_MAX_SWAP_INTERVAL, &maximum)) {
        return std::nullopt;
    }
    const int asked = vsyncAsked ? 1 : 0;
    if (eglSwapInterval(egl.display(), asked) != EGL_TRUE) {
        return std::nullopt;
    }
    return std::clamp(asked, int(minimum), std::max(int(minimum), int(maximum)));
}

} // namespace

std::optional<int> SwapControl::grantedInterval(QOpenGLContext& context, bool vsyncAsked) {
    if (context.nativeInterface<QNativeInterface::QGLXContext>()) {
        return glxInterval(context);
    }
    if (const auto* egl = context.nativeInterface<QNativeInterface::QEGLContext>()) {
        return eglInterval(*egl, vsyncAsked);
    }
    return std::nullopt;
}

QString SwapControl::describe(bool vsyncAsked, std::optional<int> granted) {
    if (!granted) {
        return QStringLiteral("synchr. neověřitelná");
    }
    if (vsyncAsked) {
        return *granted != 0 ? QStringLiteral("synchr. zapnuta") : QStringLiteral("ovladač nezapnul synchr.");
    }
    return *granted == 0 ? QStringLiteral("synchr. vypnuta") : QStringLiteral("ovladač nevypnul synchr.");
}
