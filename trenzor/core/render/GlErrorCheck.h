#pragma once

#include <QList>
#include <QString>
#include <qopengl.h>

class QOpenGLFunctions;

// Collects the errors OpenGL has recorded since it was last asked, and names
// them for a message. Stateless.
class GlErrorCheck {
public:
    // A lost context may report an error on every call; this many are
    // enough to say what happened.
    static constexpr int kMaxErrors = 16;

    // Takes the current context's pending errors, oldest first.
    static QList<GLenum> take(QOpenGLFunctions& f);
    // "GL_INVALID_OPERATION (0x0502)"; a code OpenGL 2.1 does not name is
    // given in hex alone.
    static QString name(GLenum code);
};
