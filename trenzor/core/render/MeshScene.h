#pragma once

#include "SceneData.h"

#include <QImage>
#include <QMatrix4x4>
#include <QOpenGLShaderProgram>
#include <QVector3D>
#include <QVector>
#include <memory>

class QOpenGLFunctions_2_1;

// Draws the meshes, materials and textures of a scene file, plus the
// configured number of particle systems and decals, along one of two
// rendering paths: shaded (vertex buffers and per-pixel lighting in GLSL
// 1.20) or safe (fixed-function lighting and client-side vertex arrays, no
// shaders, no buffer objects). One instance per test run: set up on the GPU
// when its test begins, drawn once a frame (twice with stereo) and torn down
// when the test ends. The OpenGL context must be current for setup, draw and
// teardown; teardown must run before the context goes away.
class MeshScene {
public:
    // What one frame looks at: the camera and the scene's clock.
    struct View {
        QMatrix4x4 projection;
        QMatrix4x4 view;
        QVector3D eye;
        double time = 0;
    };

    MeshScene(SceneData data, bool safe, int particleSystems, int decals);
    virtual ~MeshScene() = default;
    MeshScene(const MeshScene&) = delete;
    MeshScene& operator=(const MeshScene&) = delete;

    void setup(QOpenGLFunctions_2_1& gl);
    void draw(QOpenGLFunctions_2_1& gl, const View& view);
    void teardown(QOpenGLFunctions_2_1& gl);

    const SceneData& data() const { return m_data; }

    // Where an instance is at a moment of its scene's clock.
    static QMatrix4x4 modelMatrix(const SceneData::Instance& instance, double time);

protected:
    // The picture a texture's recipe gives.
    virtual QImage textureImage(const SceneData::Texture& recipe) const;
    // How opaque meshes meet the depth buffer and which faces they show.
    virtual void setOpaqueState(QOpenGLFunctions_2_1& gl) const;

private:
    struct Buffers {
        unsigned vertices = 0;
        unsigned indices = 0;
    };
    // Uniform locations, looked up once: a lookup by name per draw call
    // would cost more than the draw call itself in a scene of many objects.
    struct Uniforms {
        int mvp = -1;
        int model = -1;
        int normalMatrix = -1;
        int diffuse = -1;
        int alpha = -1;
        int specular = -1;
        int shininess = -1;
        int emissive = -1;
        int lit = -1;
        int textured = -1;
        int texture = -1;
        int lightDirection = -1;
        int eye = -1;
        int fogDensity = -1;
        int fogColour = -1;
    };

    void drawInstances(QOpenGLFunctions_2_1& gl, const View& view, bool blended);
    void applyBlend(QOpenGLFunctions_2_1& gl, SceneData::Blend blend) const;
    void setFixedMaterial(QOpenGLFunctions_2_1& gl, const SceneData::Material& material) const;
    void setShadedMaterial(const SceneData::Material& material);
    void drawMesh(QOpenGLFunctions_2_1& gl, std::uint32_t mesh);
    void drawEffects(QOpenGLFunctions_2_1& gl, const View& view);

    SceneData m_data;
    bool m_safe;
    int m_particleSystems;
    int m_decals;
    QVector<unsigned> m_textures;
    QVector<Buffers> m_buffers;
    std::unique_ptr<QOpenGLShaderProgram> m_program;
    Uniforms m_uniforms;
    QVector<float> m_particleVertices;
    QVector<float> m_decalVertices;
};
