#pragma once

#include "Scene.h"

#include <QOpenGLShaderProgram>
#include <QVector>
#include <memory>

// Draws the meshes, materials and textures of a scene file, plus the
// configured number of particle systems and decals, along one of two
// rendering paths: shaded (vertex buffers and per-pixel lighting in GLSL
// 1.20) or safe (fixed-function lighting and client-side vertex arrays, no
// shaders, no buffer objects). One instance per test run.
class MeshScene final : public Scene {
public:
    MeshScene(bool safe, int particleSystems, int decals);
    ~MeshScene() override = default;

    void setup(QOpenGLFunctions_2_1& gl) override;
    void draw(QOpenGLFunctions_2_1& gl, const View& view) override;
    void teardown(QOpenGLFunctions_2_1& gl) override;

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

    QMatrix4x4 modelMatrix(const SceneData::Instance& instance, double time) const;
    void drawInstances(QOpenGLFunctions_2_1& gl, const View& view, bool blended);
    void applyBlend(QOpenGLFunctions_2_1& gl, SceneData::Blend blend) const;
    void setFixedMaterial(QOpenGLFunctions_2_1& gl, const SceneData::Material& material) const;
    void setShadedMaterial(const SceneData::Material& material);
    void drawMesh(QOpenGLFunctions_2_1& gl, std::uint32_t mesh);
    void drawEffects(QOpenGLFunctions_2_1& gl, const View& view);

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
