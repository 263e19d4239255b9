#include "GlErrorCheck.h"

#include <QOpenGLFunctions>

#ifndef GL_INVALID_FRAMEBUFFER_OPERATION
#define GL_INVALID_FRAMEBUFFER_OPERATION 0x0506
#endif
#ifndef GL_CONTEXT_LOST
#define GL_CONTEXT_LOST 0x0507
#endif

QList<GLenum> GlErrorCheck::take(QOpenGLFunctions& f) {
    QList<GLenum> errors;
    for (GLenum error = f.glGetError(); error != GL_NO_ERROR; error = f.glGetError()) {
        errors.append(error);
        if (errors.size() == kMaxErrors) {
            break;
        }
    }
    return errors;
}

QString GlErrorCheck::name(GLenum code) {
    const char* known = nullptr;
    switch (code) {
    case GL_INVALID_ENUM:
        known = "GL_INVALID_ENUM";
        break;
    case GL_INVALID_VALUE:
        known = "GL_INVALID_VALUE";
        break;
    case GL_INVALID_OPERATION:
        known = "GL_INVALID_OPERATION";
        break;
    case GL_STACK_OVERFLOW:
        known = "GL_STACK_OVERFLOW";
        break;
    case GL_STACK_UNDERFLOW:
        known = "GL_STACK_UNDERFLOW";
        break;
    case GL_OUT_OF_MEMORY:
        known = "GL_OUT_OF_MEMORY";
        break;
    case GL_INVALID_FRAMEBUFFER_OPERATION:
        known = "GL_INVALID_FRAMEBUFFER_OPERATION";
        break;
    case GL_CONTEXT_LOST:
        known = "GL_CONTEXT_LOST";
        break;
    default:
        break;
    }
    const QString hex = QStringLiteral("0x%1").arg(code, 4, 16, QLatin1Char('0'));
    return known ? QStringLiteral("%1 (%2)").arg(QLatin1String(known), hex) : hex;
}
