#include "MeshScene.h"

#include "GlTexture.h"
#include "Noise.h"
#include "TextureImage.h"

#include <QOpenGLFunctions_2_1>
#include <cmath>
#include <numbers>

namespace {

constexpr int kParticlesPerSystem = 120;
constexpr int kDecalSegments = 12;

const char* const kVertexShader = R"(#version 120
attribute vec3 position;
attribute vec3 normal;
attribute vec2 uv;
uniform mat4 mvp;
uniform mat4 model;
uniform mat3 normalMatrix;
varying vec3 vNormal;
varying vec3 vWorld;
varying vec2 vUv;
void main() {
    vWorld = (model * vec4(position, 1.0)).xyz;
    vNormal = normalMatrix * normal;
    vUv = uv;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

const char* const kFragmentShader = R"(#version 120
uniform vec3 diffuse;
uniform float alpha;
uniform vec3 specular;
uniform float shininess;
uniform vec3 emissive;
uniform bool lit;
uniform bool textured;
uniform sampler2D texture0;
uniform vec3 lightDirection;
uniform vec3 eye;
uniform float fogDensity;
uniform vec3 fogColour;
varying vec3 vNormal;
varying vec3 vWorld;
varying vec2 vUv;
void main() {
    vec4 base = vec4(diffuse, alpha);
    if (textured) {
        base *= texture2D(texture0, vUv);
    }
    vec3 colour = base.rgb + emissive;
    if (lit) {
        vec3 n = normalize(vNormal);
        if (!gl_FrontFacing) {
            n = -n;
        }
        vec3 v = normalize(eye - vWorld);
        float d = max(dot(n, lightDirection), 0.0);
        float s = d > 0.0 ? pow(max(dot(n, normalize(lightDirection + v)), 0.0), shininess) : 0.0;
        colour = base.rgb * (0.25 + 0.75 * d) + specular * s + emissive;
    }
    float f = clamp(exp(-fogDensity * length(eye - vWorld)), 0.0, 1.0);
    gl_FragColor = vec4(mix(fogColour, colour, f), base.a);
}
)";

} // namespace

MeshScene::MeshScene(SceneData data, bool safe, int particleSystems, int decals)
    : m_data(std::move(data))
    , m_safe(safe)
    , m_particleSystems(particleSystems)
    , m_decals(decals) {}

void MeshScene::setup(QOpenGLFunctions_2_1& gl) {
    for (const SceneData::Texture& recipe : m_data.textures) {
        const QImage image = textureImage(recipe);
        unsigned id = 0;
        gl.glGenTextures(1, &id);
        gl.glBindTexture(GL_TEXTURE_2D, id);
        GlTexture::fill(gl, GlTexture::Kind::Tiled, GL_RGBA, image.size(), image.constBits());
        m_textures.append(id);
    }
    if (!m_safe) {
        for (const SceneData::Mesh& mesh : m_data.meshes) {
            Buffers buffers;
            gl.glGenBuffers(1, &buffers.vertices);
            gl.glBindBuffer(GL_ARRAY_BUFFER, buffers.vertices);
            gl.glBufferData(GL_ARRAY_BUFFER, mesh.vertices.size() * qsizetype(sizeof(SceneData::Vertex)),
                            mesh.vertices.constData(), GL_STATIC_DRAW);
            gl.glGenBuffers(1, &buffers.indices);
            gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers.indices);
            gl.glBufferData(GL_ELEMENT_ARRAY_BUFFER, mesh.indices.size() * qsizetype(sizeof(std::uint32_t)),
                            mesh.indices.constData(), GL_STATIC_DRAW);
            m_buffers.append(buffers);
        }
        gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
        gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        m_program = std::make_unique<QOpenGLShaderProgram>();
        m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader);
        m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader);
        m_program->bindAttributeLocation("position", 0);
        m_program->bindAttributeLocation("normal", 1);
        m_program->bindAttributeLocation("uv", 2);
        // A driver that cannot build the program draws nothing with it; the
        // safe path exists for such drivers.
        if (!m_program->link()) {
            qWarning("trenzor: shader program: %s", qPrintable(m_program->log()));
        }
        const auto at = [this](const char* name) { return m_program->uniformLocation(name); };
        m_uniforms = {at("mvp"),   at("model"),      at("normalMatrix"), at("diffuse"),
                      at("alpha"), at("specular"),   at("shininess"),    at("emissive"),
                      at("lit"),   at("textured"),   at("texture0"),     at("lightDirection"),
                      at("eye"),   at("fogDensity"), at("fogColour")};
    }
    m_particleVertices.resize(m_particleSystems * kParticlesPerSystem * 3);
    // Each decal is a flat disc as a triangle fan, laid on the ground plane.
    for (int d = 0; d < m_decals; ++d) {
        const float x = (Noise::lattice(91, d, 0) - 0.5f) * m_data.extent;
        const float z = (Noise::lattice(91, d, 1) - 0.5f) * m_data.extent;
        const float r = m_data.extent * (0.01f + 0.03f * Noise::lattice(91, d, 2));
        m_decalVertices << x << 0 << z;
        for (int s = 0; s <= kDecalSegments; ++s) {
            const float a = 2 * std::numbers::pi_v<float> * float(s) / kDecalSegments;
            m_decalVertices << x + r * std::cos(a) << 0 << z + r * std::sin(a);
        }
    }
}

void MeshScene::teardown(QOpenGLFunctions_2_1& gl) {
    if (!m_textures.isEmpty()) {
        gl.glDeleteTextures(GLsizei(m_textures.size()), m_textures.constData());
    }
    for (const Buffers& buffers : m_buffers) {
        gl.glDeleteBuffers(1, &buffers.vertices);
        gl.glDeleteBuffers(1, &buffers.indices);
    }
    m_textures.clear();
    m_buffers.clear();
    m_program.reset();
}

QImage MeshScene::textureImage(const SceneData::Texture& recipe) const {
    return TextureImage::render(recipe);
}

// Opaque meshes show their front faces only. A back face lies in the depth
// buffer as close as the front face it meets at a silhouette, and at 16 bits
// it would win some of those pixels as a dark speck.
void MeshScene::setOpaqueState(QOpenGLFunctions_2_1& gl) const {
    gl.glFrontFace(GL_CCW);
    gl.glCullFace(GL_BACK);
    gl.glEnable(GL_CULL_FACE);
    gl.glDepthMask(GL_TRUE);
}

QMatrix4x4 MeshScene::modelMatrix(const SceneData::Instance& instance, double time) {
    QMatrix4x4 m;
    m.rotate(float(std::fmod(instance.orbit * time, 360.0)), 0, 1, 0);
    m.translate(instance.position);
    m.rotate(float(std::fmod(instance.angle + instance.spin * time, 360.0)), instance.axis);
    m.scale(instance.scale);
    return m;
}

void MeshScene::applyBlend(QOpenGLFunctions_2_1& gl, SceneData::Blend blend) const {
    if (blend == SceneData::Blend::Opaque) {
        gl.glDisable(GL_BLEND);
        return;
    }
    gl.glEnable(GL_BLEND);
    gl.glBlendFunc(GL_SRC_ALPHA, blend == SceneData::Blend::Additive ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
}

void MeshScene::setFixedMaterial(QOpenGLFunctions_2_1& gl, const SceneData::Material& material) const {
    const GLfloat diffuse[] = {material.diffuse.x(), material.diffuse.y(), material.diffuse.z(),
                               material.alpha};
    const GLfloat specular[] = {material.specular.x(), material.specular.y(), material.specular.z(), 1};
    const GLfloat emissive[] = {material.emissive.x(), material.emissive.y(), material.emissive.z(), 1};
    if (material.lit) {
        gl.glEnable(GL_LIGHTING);
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
        gl.glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emissive);
        gl.glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.shininess);
    } else {
        gl.glDisable(GL_LIGHTING);
        gl.glColor4f(diffuse[0] + emissive[0], diffuse[1] + emissive[1], diffuse[2] + emissive[2],
                     diffuse[3]);
    }
    if (material.texture >= 0) {
        gl.glEnable(GL_TEXTURE_2D);
        gl.glBindTexture(GL_TEXTURE_2D, m_textures[material.texture]);
    } else {
        gl.glDisable(GL_TEXTURE_2D);
    }
}

void MeshScene::setShadedMaterial(const SceneData::Material& material) {
    m_program->setUniformValue(m_uniforms.diffuse, material.diffuse);
    m_program->setUniformValue(m_uniforms.alpha, material.alpha);
    m_program->setUniformValue(m_uniforms.specular, material.specular);
    m_program->setUniformValue(m_uniforms.shininess, std::max(material.shininess, 1.f));
    m_program->setUniformValue(m_uniforms.emissive, material.emissive);
    m_program->setUniformValue(m_uniforms.lit, GLint(material.lit));
    m_program->setUniformValue(m_uniforms.textured, GLint(material.texture >= 0));
}

void MeshScene::drawMesh(QOpenGLFunctions_2_1& gl, std::uint32_t index) {
    const SceneData::Mesh& mesh = m_data.meshes[index];
    const auto stride = GLsizei(sizeof(SceneData::Vertex));
    if (m_safe) {
        const char* base = reinterpret_cast<const char*>(mesh.vertices.constData());
        gl.glVertexPointer(3, GL_FLOAT, stride, base);
        gl.glNormalPointer(GL_FLOAT, stride, base + 12);
        gl.glTexCoordPointer(2, GL_FLOAT, stride, base + 24);
        gl.glDrawElements(GL_TRIANGLES, GLsizei(mesh.indices.size()), GL_UNSIGNED_INT,
                          mesh.indices.constData());
        return;
    }
    gl.glBindBuffer(GL_ARRAY_BUFFER, m_buffers[index].vertices);
    gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_buffers[index].indices);
    gl.glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    gl.glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(12));
    gl.glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(24));
    gl.glDrawElements(GL_TRIANGLES, GLsizei(mesh.indices.size()), GL_UNSIGNED_INT, nullptr);
}

void MeshScene::drawInstances(QOpenGLFunctions_2_1& gl, const View& view, bool blended) {
    const QMatrix4x4 viewProjection = view.projection * view.view;
    std::uint32_t lastMaterial = ~0u;
    for (const SceneData::Instance& instance : m_data.instances) {
        const SceneData::Material& material = m_data.materials[instance.material];
        if ((material.blend != SceneData::Blend::Opaque) != blended) {
            continue;
        }
        const QMatrix4x4 model = modelMatrix(instance, view.time);
        if (instance.material != lastMaterial) {
            applyBlend(gl, material.blend);
            if (m_safe) {
                setFixedMaterial(gl, material);
            } else {
                setShadedMaterial(material);
                if (material.texture >= 0) {
                    gl.glBindTexture(GL_TEXTURE_2D, m_textures[material.texture]);
                }
            }
            lastMaterial = instance.material;
        }
        if (m_safe) {
            gl.glLoadMatrixf((view.view * model).constData());
        } else {
            m_program->setUniformValue(m_uniforms.mvp, viewProjection * model);
            m_program->setUniformValue(m_uniforms.model, model);
            m_program->setUniformValue(m_uniforms.normalMatrix, model.normalMatrix());
        }
        drawMesh(gl, instance.mesh);
    }
}

void MeshScene::draw(QOpenGLFunctions_2_1& gl, const View& view) {
    const QVector3D light = m_data.lightDirection.normalized();
    const QVector3D fog = m_data.clearColour;
    gl.glEnable(GL_DEPTH_TEST);
    gl.glDepthFunc(GL_LEQUAL);
    if (m_safe) {
        gl.glMatrixMode(GL_PROJECTION);
        gl.glLoadMatrixf(view.projection.constData());
        gl.glMatrixMode(GL_MODELVIEW);
        gl.glLoadMatrixf(view.view.constData());
        const GLfloat position[] = {light.x(), light.y(), light.z(), 0};
        const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 1};
        const GLfloat diffuse[] = {0.75f, 0.75f, 0.75f, 1};
        const GLfloat white[] = {1, 1, 1, 1};
        gl.glLightfv(GL_LIGHT0, GL_POSITION, position);
        gl.glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
        gl.glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
        gl.glLightfv(GL_LIGHT0, GL_SPECULAR, white);
        gl.glEnable(GL_LIGHT0);
        gl.glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
        gl.glEnable(GL_NORMALIZE);
        gl.glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        if (m_data.fogDensity > 0) {
            const GLfloat fogColour[] = {fog.x(), fog.y(), fog.z(), 1};
            gl.glEnable(GL_FOG);
            gl.glFogi(GL_FOG_MODE, GL_EXP);
            gl.glFogf(GL_FOG_DENSITY, m_data.fogDensity);
            gl.glFogfv(GL_FOG_COLOR, fogColour);
        }
        gl.glEnableClientState(GL_VERTEX_ARRAY);
        gl.glEnableClientState(GL_NORMAL_ARRAY);
        gl.glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    } else if (m_program->isLinked()) {
        m_program->bind();
        m_program->setUniformValue(m_uniforms.lightDirection, light);
        m_program->setUniformValue(m_uniforms.eye, view.eye);
        m_program->setUniformValue(m_uniforms.fogDensity, m_data.fogDensity);
        m_program->setUniformValue(m_uniforms.fogColour, fog);
        m_program->setUniformValue(m_uniforms.texture, 0);
        for (unsigned attribute = 0; attribute < 3; ++attribute) {
            gl.glEnableVertexAttribArray(attribute);
        }
    }
    if (m_safe || m_program->isLinked()) {
        setOpaqueState(gl);
        drawInstances(gl, view, false);
        // Blended layers are seen from both sides.
        gl.glDisable(GL_CULL_FACE);
        gl.glDepthMask(GL_FALSE);
        drawInstances(gl, view, true);
        gl.glDepthMask(GL_TRUE);
    }
    if (m_safe) {
        gl.glDisableClientState(GL_NORMAL_ARRAY);
        gl.glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        gl.glDisableClientState(GL_VERTEX_ARRAY);
        gl.glDisable(GL_LIGHTING);
        gl.glDisable(GL_FOG);
    } else if (m_program->isLinked()) {
        for (unsigned attribute = 0; attribute < 3; ++attribute) {
            gl.glDisableVertexAttribArray(attribute);
        }
        gl.glBindBuffer(GL_ARRAY_BUFFER, 0);
        gl.glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        m_program->release();
    }
    gl.glDisable(GL_TEXTURE_2D);
    drawEffects(gl, view);
}

// Particle systems and decals take the same fixed-function route on both
// paths: they are few vertices rebuilt every frame.
void MeshScene::drawEffects(QOpenGLFunctions_2_1& gl, const View& view) {
    if (m_particleSystems == 0 && m_decals == 0) {
        return;
    }
    gl.glMatrixMode(GL_PROJECTION);
    gl.glLoadMatrixf(view.projection.constData());
    gl.glMatrixMode(GL_MODELVIEW);
    gl.glLoadMatrixf(view.view.constData());
    gl.glEnable(GL_BLEND);
    gl.glDepthMask(GL_FALSE);
    gl.glEnableClientState(GL_VERTEX_ARRAY);
    if (m_decals > 0) {
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.glEnable(GL_POLYGON_OFFSET_FILL);
        gl.glPolygonOffset(-1, -1);
        gl.glColor4f(0.05f, 0.04f, 0.03f, 0.7f);
        gl.glVertexPointer(3, GL_FLOAT, 0, m_decalVertices.constData());
        for (int d = 0; d < m_decals; ++d) {
            gl.glDrawArrays(GL_TRIANGLE_FAN, d * (kDecalSegments + 2), kDecalSegments + 2);
        }
        gl.glDisable(GL_POLYGON_OFFSET_FILL);
    }
    if (m_particleSystems > 0) {
        // Fountains: each particle rises and falls on its own phase of a
        // two-second cycle, a pure function of the scene time.
        const float extent = m_data.extent;
        float* out = m_particleVertices.data();
        for (int s = 0; s < m_particleSystems; ++s) {
            const QVector3D base((Noise::lattice(81, s, 0) - 0.5f) * extent,
                                 Noise::lattice(81, s, 1) * extent * 0.2f,
                                 (Noise::lattice(81, s, 2) - 0.5f) * extent);
            for (int p = 0; p < kParticlesPerSystem; ++p) {
                const float age = float(std::fmod(view.time + 2.0 * p / kParticlesPerSystem, 2.0));
                const float a = 2 * std::numbers::pi_v<float> * Noise::lattice(82, s, p);
                const float spread = 0.05f * extent * Noise::lattice(83, s, p);
                const float rise = 0.15f * extent;
                *out++ = base.x() + spread * std::cos(a) * age;
                *out++ = base.y() + rise * age - 0.075f * extent * age * age;
                *out++ = base.z() + spread * std::sin(a) * age;
            }
        }
        gl.glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        gl.glPointSize(3);
        gl.glColor4f(1, 0.6f, 0.2f, 0.8f);
        gl.glVertexPointer(3, GL_FLOAT, 0, m_particleVertices.constData());
        gl.glDrawArrays(GL_POINTS, 0, m_particleSystems * kParticlesPerSystem);
    }
    gl.glDisableClientState(GL_VERTEX_ARRAY);
    gl.glDepthMask(GL_TRUE);
    gl.glDisable(GL_BLEND);
}
