#pragma once

#include <QString>
#include <optional>

class QOpenGLContext;

// What the driver says about waiting for the vertical retrace, for line 5 of
// the log. Each window system's interface is asked only on its own contexts:
// GLX through the MESA swap-control query, EGL through eglSwapInterval and
// the limits of the context's configuration. Stateless.
class SwapControl {
public:
    // The swap interval the driver uses for the current surface of context,
    // which must be current; none when it cannot say. vsyncAsked: whether
    // the run asked for the retrace to be waited for.
    static std::optional<int> grantedInterval(QOpenGLContext& context, bool vsyncAsked);
    // The words of line 5 for what was asked and what the driver granted.
    static QString describe(bool vsyncAsked, std::optional<int> granted);
};
