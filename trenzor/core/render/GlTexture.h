#pragma once

#include <QOpenGLFunctions_2_1>
#include <QSize>

// Fills the bound 2D texture: its filtering and wrapping, then its level 0
// from RGBA bytes (or from nothing, for a texture to be drawn into). A tiled
// texture repeats and builds its mipmaps; a picture is clamped at its edges
// and filtered linearly. Works with any of Qt's OpenGL function tables.
// Stateless.
class GlTexture {
public:
    enum class Kind { Tiled, Picture };

    template <typename Gl>
    static void fill(Gl& gl, Kind kind, GLint internalFormat, QSize size, const void* rgba) {
        const bool tiled = kind == Kind::Tiled;
        if (tiled) {
            gl.glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        }
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, tiled ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        const GLint wrap = tiled ? GL_REPEAT : GL_CLAMP_TO_EDGE;
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        gl.glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        gl.glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, size.width(), size.height(), 0, GL_RGBA,
                        GL_UNSIGNED_BYTE, rgba);
    }
};
