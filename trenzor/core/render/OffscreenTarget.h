#pragma once

#include <QSize>
#include <QString>

class QOpenGLFunctions;
class QOpenGLFunctions_2_1;

// The picture of a full-screen run: a framebuffer object of the chosen
// resolution, colour depth and depth bits, drawn scaled over the whole
// screen once a frame. Created after the context, destroyed before it.
class OffscreenTarget {
public:
    // The most memory the colour and depth buffers of the picture may take:
    // an 8K picture fits; beyond it a driver would take minutes to draw a
    // frame, or fail, rather than run a test.
    static constexpr qint64 kMemoryBudget = qint64(256) << 20;

    // Returns an error text, or empty when the target is ready. A size
    // beyond what the implementation can draw, or beyond the memory budget,
    // is refused before anything is allocated.
    QString create(QOpenGLFunctions& f, QSize size, int colourBits, int depthBits);
    void bind(QOpenGLFunctions& f) const;
    // The framebuffer object, for a canvas that draws into it directly.
    unsigned framebuffer() const { return m_framebuffer; }
    // Draws the picture stretched over the window's default framebuffer.
    void present(QOpenGLFunctions& f, QOpenGLFunctions_2_1& gl, unsigned defaultFramebuffer,
                 QSize window) const;
    void destroy(QOpenGLFunctions& f);

private:
    static QString checkSize(QOpenGLFunctions& f, QSize size, int colourBits, int depthBits);

    unsigned m_framebuffer = 0;
    unsigned m_colour = 0;
    unsigned m_depth = 0;
};
