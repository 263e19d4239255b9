#include "TextPanel.h"

#include "GlTexture.h"

#include <QOpenGLFunctions_2_1>
#include <QPainter>

void TextPanel::setText(const QString& title, const QString& body, const QString& hint, QSize size) {
    m_image = QImage(size, QImage::Format_RGBA8888);
    m_image.fill(QColor(10, 14, 30, 230));
    QPainter painter(&m_image);
    if (!body.isEmpty() || !hint.isEmpty()) {
        paintPage(painter, size, title, body, hint);
    } else {
        painter.setRenderHint(QPainter::TextAntialiasing);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(std::max(8, size.height() * 2 / 3));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(m_image.rect(), Qt::AlignCenter, title);
    }
    m_dirty = true;
}

void TextPanel::paintPage(QPainter& painter, QSize size, const QString& title, const QString& body,
                          const QString& hint) {
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int margin = std::max(4, size.width() / 20);
    QRect area = QRect(QPoint(0, 0), size).adjusted(margin, margin / 2, -margin, -margin / 2);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(12, size.height() / 14));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 210, 90));
    QRect used;
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title, &used);
    area.setTop(used.bottom() + margin / 2);
    font.setPixelSize(std::max(10, size.height() / 26));
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, body);
    painter.setPen(QColor(150, 200, 255));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, hint);
}

void TextPanel::draw(QOpenGLFunctions_2_1& gl, QSize viewport, QPoint topLeft) {
    if (m_image.isNull()) {
        return;
    }
    if (m_texture == 0) {
        gl.glGenTextures(1, &m_texture);
    }
    gl.glBindTexture(GL_TEXTURE_2D, m_texture);
    if (m_dirty) {
        GlTexture::fill(gl, GlTexture::Kind::Picture, GL_RGBA, m_image.size(), m_image.constBits());
        m_dirty = false;
    }
    gl.glViewport(0, 0, viewport.width(), viewport.height());
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadIdentity();
    gl.glOrtho(0, viewport.width(), viewport.height(), 0, -1, 1);
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadIdentity();
    gl.glDisable(GL_DEPTH_TEST);
    gl.glDisable(GL_LIGHTING);
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gl.glEnable(GL_TEXTURE_2D);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float x0 = float(topLeft.x());
    const float y0 = float(topLeft.y());
    const float x1 = x0 + float(m_image.width());
    const float y1 = y0 + float(m_image.height());
    gl.glBegin(GL_QUADS);
    gl.glTexCoord2f(0, 0);
    gl.glVertex2f(x0, y0);
    gl.glTexCoord2f(1, 0);
    gl.glVertex2f(x1, y0);
    gl.glTexCoord2f(1, 1);
    gl.glVertex2f(x1, y1);
    gl.glTexCoord2f(0, 1);
    gl.glVertex2f(x0, y1);
    gl.glEnd();
    gl.glDisable(GL_TEXTURE_2D);
    gl.glDisable(GL_BLEND);
    gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void TextPanel::release(QOpenGLFunctions_2_1& gl) {
    if (m_texture != 0) {
        gl.glDeleteTextures(1, &m_texture);
        m_texture = 0;
        m_dirty = !m_image.isNull();
    }
}
