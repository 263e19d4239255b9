#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class QOpenGLFunctions_2_1;
class QPainter;

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

    // Paints a page of title, body and hint filling an area of the given
    // size, as the intro and message screens show it; also the page of the
    // message window that has no OpenGL to draw with.
    static void paintPage(QPainter& painter, QSize size, const QString& title, const QString& body,
                          const QString& hint);

private:
    QImage m_image;
    bool m_dirty = false;
    unsigned m_texture = 0;
};
