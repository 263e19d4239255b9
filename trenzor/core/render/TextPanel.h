#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class QOpenGLFunctions_2_1;

// A block of text (title, body, hint) rendered with QPainter into an image
// and drawn as a textured rectangle in window pixels through the
// fixed-function pipeline, so it shows on both rendering paths. Used for the
// intro screens, error messages and the frame-rate counter; lives as long as
// the engine, its texture released by release().
class TextPanel {
public:
    void setText(const QString& title, const QString& body, const QString& hint, QSize size);
    void draw(QOpenGLFunctions_2_1& gl, QSize viewport, QPoint topLeft);
    void release(QOpenGLFunctions_2_1& gl);

private:
    QImage m_image;
    bool m_dirty = false;
    unsigned m_texture = 0;
};
