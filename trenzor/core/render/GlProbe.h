#pragma once

#include <QString>
#include <memory>

class QOpenGLContext;
class QOpenGLDebugLogger;
class QOpenGLFunctions_2_1;

// What the engine asks the driver about its context: the swap interval it
// really uses, the bits of the buffer drawn into, and (on request) its own
// debug messages, printed on standard error as they come. Owned by the
// engine; the debug output lasts until stopDebugOutput() or the probe's end,
// which must come while the context is current.
class GlProbe {
public:
    // The bits of a buffer, all colour channels together.
    struct Bits {
        int colour = 0;
        int depth = 0;
    };

    GlProbe();
    ~GlProbe();
    GlProbe(const GlProbe&) = delete;
    GlProbe& operator=(const GlProbe&) = delete;

    // The vertical sync as the driver granted it: a driver may ignore the
    // request to stop waiting for the vertical retrace, and one without swap
    // control cannot say. A run drawn off screen shows nothing to wait for.
    static QString vsyncState(QOpenGLContext& context, bool offscreen, bool vsyncAsked);
    // The bits of the framebuffer bound now.
    static Bits boundBufferBits(QOpenGLFunctions_2_1& gl);

    // The driver's own messages (KHR_debug), each printed as it is made, so
    // that it follows the call that caused it.
    void startDebugOutput(const QOpenGLContext& context);
    void stopDebugOutput();

private:
    std::unique_ptr<QOpenGLDebugLogger> m_debugLogger;
};
