#include "OffscreenTarget.h"

#include "GlTexture.h"

#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <algorithm>

#ifndef GL_DEPTH_COMPONENT24
#define GL_DEPTH_COMPONENT24 0x81A6
#endif
#ifndef GL_DEPTH_COMPONENT32
#define GL_DEPTH_COMPONENT32 0x81A7
#endif

QString OffscreenTarget::checkSize(QOpenGLFunctions& f, QSize size, int colourBits, int depthBits) {
    GLint texture = 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    f.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &texture);
    f.glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    f.glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int maxWidth = std::min({texture, renderbuffer, viewport[0]});
    const int maxHeight = std::min({texture, renderbuffer, viewport[1]});
    if (size.width() > maxWidth || size.height() > maxHeight) {
        return QStringLiteral(
                   "Obraz %1x%2 pro celou obrazovku je větší, než OpenGL umí kreslit (nejvýše %3x%4).")
            .arg(size.width())
            .arg(size.height())
            .arg(maxWidth)
            .arg(maxHeight);
    }
    // Colour and depth are counted at four bytes a pixel at most each, as a
    // driver may store them.
    const qint64 bytes =
        qint64(size.width()) * size.height() * ((colourBits > 16 ? 4 : 2) + (depthBits > 16 ? 4 : 2));
    if (bytes > kMemoryBudget) {
        return QStringLiteral(
                   "Obraz %1x%2 pro celou obrazovku by potřeboval %3 MB paměti, nejvýše lze %4 MB.")
            .arg(size.width())
            .arg(size.height())
            .arg((bytes + (1 << 20) - 1) >> 20)
            .arg(kMemoryBudget >> 20);
    }
    return {};
}

QString OffscreenTarget::create(QOpenGLFunctions& f, QSize size, int colourBits, int depthBits) {
    if (QString error = checkSize(f, size, colourBits, depthBits); !error.isEmpty()) {
        return error;
    }
    const GLint internal = colourBits == 16 ? GL_RGB5 : colourBits == 24 ? GL_RGB8 : GL_RGBA8;
    f.glGenTextures(1, &m_colour);
    f.glBindTexture(GL_TEXTURE_2D, m_colour);
    GlTexture::fill(f, GlTexture::Kind::Picture, internal, size, nullptr);
    f.glGenRenderbuffers(1, &m_depth);
    f.glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
    const GLenum depthFormat = depthBits >= 32   ? GL_DEPTH_COMPONENT32
                               : depthBits >= 24 ? GL_DEPTH_COMPONENT24
                                                 : GL_DEPTH_COMPONENT16;
    f.glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, size.width(), size.height());
    f.glGenFramebuffers(1, &m_framebuffer);
    f.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    f.glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
    f.glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
    const GLenum status = f.glCheckFramebufferStatus(GL_FRAMEBUFFER);
    f.glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        return QStringLiteral("Obraz %1x%2 pro celou obrazovku nelze vytvořit (stav framebufferu 0x%3)")
            .arg(size.width())
            .arg(size.height())
            .arg(status, 0, 16);
    }
    return {};
}

void OffscreenTarget::bind(QOpenGLFunctions& f) const {
    f.glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
}

void OffscreenTarget::present(QOpenGLFunctions& f, QOpenGLFunctions_2_1& gl, unsigned defaultFramebuffer,
                              QSize window) const {
    f.glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebuffer);
    gl.glViewport(0, 0, window.width(), window.height());
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    gl.glDisable(GL_DEPTH_TEST);
    gl.glDisable(GL_BLEND);
    gl.glDisable(GL_LIGHTING);
    gl.glEnable(GL_TEXTURE_2D);
    gl.glBindTexture(GL_TEXTURE_2D, m_colour);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    gl.glBegin(GL_QUADS);
    gl.glTexCoord2f(0, 0);
    gl.glVertex2f(-1, -1);
    gl.glTexCoord2f(1, 0);
    gl.glVertex2f(1, -1);
    gl.glTexCoord2f(1, 1);
    gl.glVertex2f(1, 1);
    gl.glTexCoord2f(0, 1);
    gl.glVertex2f(-1, 1);
    gl.glEnd();
    gl.glDisable(GL_TEXTURE_2D);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void OffscreenTarget::destroy(QOpenGLFunctions& f) {
    if (m_framebuffer != 0) {
        f.glDeleteFramebuffers(1, &m_framebuffer);
        f.glDeleteRenderbuffers(1, &m_depth);
        f.glDeleteTextures(1, &m_colour);
        m_framebuffer = m_depth = m_colour = 0;
    }
}
