#include "TestScenes.h"

#include "Noise.h"

#include <QHash>
#include <QMatrix4x4>
#include <cmath>
#include <iterator>
#include <numbers>

namespace {

using Mesh = SceneData::Mesh;
using Vertex = SceneData::Vertex;
constexpr float kPi = std::numbers::pi_v<float>;
// The landscape and its path at this fraction of the units they were designed
// in: the same views, but with the near plane fixed at 0.5 a 16-bit depth
// buffer then separates every ridge from the slope behind it.
constexpr float kLandscapeScale = 0.04f;
// The least distance between the camera and an asteroid's surface: the near
// clipping plane's corners lie within 0.35 of the eye.
constexpr float kAsteroidClearance = 1.5f;

void recomputeNormals(Mesh& mesh) {
    for (Vertex& v : mesh.vertices) {
        v.normal = {};
    }
    for (qsizetype i = 0; i + 2 < mesh.indices.size(); i += 3) {
        Vertex& a = mesh.vertices[mesh.indices[i]];
        Vertex& b = mesh.vertices[mesh.indices[i + 1]];
        Vertex& c = mesh.vertices[mesh.indices[i + 2]];
        const QVector3D n = QVector3D::crossProduct(b.position - a.position, c.position - a.position);
        a.normal += n;
        b.normal += n;
        c.normal += n;
    }
    for (Vertex& v : mesh.vertices) {
        v.normal = v.normal.isNull() ? QVector3D(0, 1, 0) : v.normal.normalized();
    }
}

// A unit sphere made by splitting the faces of an icosahedron `levels` times.
Mesh icosphere(int levels) {
    const float t = (1 + std::sqrt(5.f)) / 2;
    QVector<QVector3D> points = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                                 {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    QVector<std::uint32_t> faces = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                                    4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                                    6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    for (QVector3D& p : points) {
        p.normalize();
    }
    for (int level = 0; level < levels; ++level) {
        QHash<quint64, std::uint32_t> midpoints;
        const auto middle = [&](std::uint32_t a, std::uint32_t b) {
            const quint64 key = (quint64(std::min(a, b)) << 32) | std::max(a, b);
            const auto found = midpoints.constFind(key);
            if (found != midpoints.constEnd()) {
                return *found;
            }
            points.append(((points[a] + points[b]) * 0.5f).normalized());
            const auto index = std::uint32_t(points.size() - 1);
            midpoints.insert(key, index);
            return index;
        };
        QVector<std::uint32_t> finer;
        finer.reserve(faces.size() * 4);
        for (qsizetype i = 0; i < faces.size(); i += 3) {
            const std::uint32_t a = faces[i], b = faces[i + 1], c = faces[i + 2];
            const std::uint32_t ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer << a << ab << ca << b << bc << ab << c << ca << bc << ab << bc << ca;
        }
        faces = std::move(finer);
    }
    Mesh mesh;
    for (const QVector3D& p : points) {
        const float u = 0.5f + std::atan2(p.z(), p.x()) / (2 * kPi);
        const float v = 0.5f - std::asin(std::clamp(p.y(), -1.f, 1.f)) / kPi;
        mesh.vertices.append({p, p, u * 4, v * 2});
    }
    mesh.indices = faces;
    return mesh;
}

// A sphere whose radius is scaled by f(direction).
template <typename F>
Mesh deformedSphere(int levels, F radius) {
    Mesh mesh = icosphere(levels);
    for (Vertex& v : mesh.vertices) {
        v.position *= radius(v.position);
    }
    recomputeNormals(mesh);
    return mesh;
}

Mesh asteroid(int levels, std::uint32_t seed) {
    return deformedSphere(levels, [seed](const QVector3D& p) {
        return 0.7f + 0.6f * Noise::fractal(seed, p.x() * 1.5f + 10, p.y() * 1.5f + 10, p.z() * 1.5f + 10, 5);
    });
}

Mesh box() {
    Mesh mesh;
    const QVector3D axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int a = 0; a < 3; ++a) {
        for (float sign : {-1.f, 1.f}) {
            const QVector3D n = axes[a] * sign;
            const QVector3D u = axes[(a + 1) % 3];
            const QVector3D v = QVector3D::crossProduct(n, u);
            const auto base = std::uint32_t(mesh.vertices.size());
            mesh.vertices.append({n - u - v, n, 0, 0});
            mesh.vertices.append({n + u - v, n, 1, 0});
            mesh.vertices.append({n + u + v, n, 1, 1});
            mesh.vertices.append({n - u + v, n, 0, 1});
            mesh.indices << base << base + 1 << base + 2 << base << base + 2 << base + 3;
        }
    }
    return mesh;
}

// A square of side 2 in the x-z plane facing up, its texture repeated.
Mesh quad(float repeat) {
    Mesh mesh;
    mesh.vertices = {{{-1, 0, -1}, {0, 1, 0}, 0, 0},
                     {{1, 0, -1}, {0, 1, 0}, repeat, 0},
                     {{1, 0, 1}, {0, 1, 0}, repeat, repeat},
                     {{-1, 0, 1}, {0, 1, 0}, 0, repeat}};
    mesh.indices = {0, 2, 1, 0, 3, 2};
    return mesh;
}

Mesh terrain(int cells, float size, float height, std::uint32_t seed) {
    Mesh mesh;
    const int n = cells + 1;
    mesh.vertices.reserve(n * n);
    for (int z = 0; z < n; ++z) {
        for (int x = 0; x < n; ++x) {
            const float s = float(x) / cells;
            const float t = float(z) / cells;
            const float ridge = Noise::fractal(seed, s * 6, t * 6, 0, 6);
            const float h = height * (ridge * ridge * 1.6f - 0.2f);
            mesh.vertices.append({{(s - 0.5f) * size, h, (t - 0.5f) * size}, {}, s * 48, t * 48});
        }
    }
    for (int z = 0; z < cells; ++z) {
        for (int x = 0; x < cells; ++x) {
            const auto i = std::uint32_t(z * n + x);
            mesh.indices << i << i + std::uint32_t(n) << i + 1 << i + 1 << i + std::uint32_t(n)
                         << i + std::uint32_t(n) + 1;
        }
    }
    recomputeNormals(mesh);
    return mesh;
}

SceneData::Material material(QVector3D diffuse, QVector3D specular, float shininess, int texture = -1) {
    SceneData::Material m;
    m.diffuse = diffuse;
    m.specular = specular;
    m.shininess = shininess;
    m.texture = texture;
    return m;
}

SceneData::Instance instance(int mesh, int material, QVector3D position, float scale) {
    SceneData::Instance i;
    i.mesh = std::uint32_t(mesh);
    i.material = std::uint32_t(material);
    i.position = position;
    i.scale = scale;
    return i;
}

// A random unit vector from the noise hash; r is the running draw number.
QVector3D randomDirection(std::uint32_t seed, int r) {
    const float z = Noise::lattice(seed, r, 1) * 2 - 1;
    const float a = Noise::lattice(seed, r, 2) * 2 * kPi;
    const float s = std::sqrt(1 - z * z);
    return {s * std::cos(a), s * std::sin(a), z};
}

QVector<CameraPath::Key> orbit(float radius, float height, float wobble, QVector3D target, float turns) {
    QVector<CameraPath::Key> keys;
    for (int i = 0; i <= 20; ++i) {
        const float time = i * 0.5f;
        const float a = 2 * kPi * turns * time / 10;
        const float r = radius * (1 + wobble * std::sin(a * 1.7f));
        keys.append(
            {time,
             target + QVector3D(r * std::cos(a), height + height * 0.3f * std::sin(a * 2), r * std::sin(a)),
             target});
    }
    return keys;
}

SceneData landscape() {
    SceneData s;
    s.description =
        QStringLiteral("Let nad rozlehlou krajinou s mlhou na obzoru. Zatěžuje zpracování velkého "
                       "počtu trojúhelníků v jednom tělese a texturování velkých ploch.");
    s.clearColour = {0.55f, 0.7f, 0.9f};
    s.lightDirection = {0.4f, 1, 0.3f};
    s.fogDensity = 0.0011f / kLandscapeScale;
    s.extent = 300 * kLandscapeScale;
    s.textures.append({SceneData::Pattern::Rock, 512, 11, {0.22f, 0.35f, 0.12f}, {0.6f, 0.55f, 0.42f}});
    s.materials.append(material({1, 1, 1}, {0.1f, 0.1f, 0.1f}, 8, 0));
    s.meshes.append(terrain(255, 2400 * kLandscapeScale, 260 * kLandscapeScale, 5));
    s.instances.append(instance(0, 0, {}, 1));
    return s;
}

QVector<CameraPath::Key> landscapePath() {
    QVector<CameraPath::Key> keys;
    for (int i = 0; i <= 10; ++i) {
        const float t = float(i);
        const QVector3D eye(-900 + 170 * t, 330 + 40 * std::sin(t), -500 + 500 * std::sin(t * 0.35f));
        const QVector3D ahead(-900 + 170 * (t + 1), 250, -500 + 500 * std::sin((t + 1) * 0.35f));
        keys.append({t, eye * kLandscapeScale, ahead * kLandscapeScale});
    }
    return keys;
}

SceneData rotatingStar() {
    SceneData s;
    s.description = QStringLiteral("Zářící hvězda s ostny se otáčí a obíhají ji menší hvězdy. Zatěžuje "
                                   "transformace a osvětlení pohybujících se těles.");
    s.clearColour = {0.02f, 0.02f, 0.06f};
    s.lightDirection = {0.2f, 0.8f, 0.6f};
    s.extent = 40;
    s.textures.append({SceneData::Pattern::Rings, 256, 3, {0.9f, 0.5f, 0.05f}, {1, 0.95f, 0.6f}});
    s.materials.append(material({1, 0.85f, 0.3f}, {1, 1, 0.8f}, 40, 0));
    s.materials.last().emissive = {0.35f, 0.22f, 0.02f};
    s.materials.append(material({0.5f, 0.7f, 1}, {1, 1, 1}, 60));
    s.materials.last().emissive = {0.05f, 0.1f, 0.25f};
    s.meshes.append(deformedSphere(4, [](const QVector3D& p) {
        const float spikes =
            std::abs(std::sin(5 * std::atan2(p.z(), p.x())) * std::cos(4 * std::asin(p.y())));
        return 0.7f + 0.8f * std::pow(spikes, 3.f);
    }));
    SceneData::Instance star = instance(0, 0, {}, 12);
    star.axis = {0.2f, 1, 0.1f};
    star.spin = 45;
    s.instances.append(star);
    for (int i = 0; i < 48; ++i) {
        const float a = 2 * kPi * i / 48;
        const float r = 22 + 8 * Noise::lattice(7, i, 0);
        SceneData::Instance small =
            instance(0, 1, {r * std::cos(a), 6 * std::sin(a * 3), r * std::sin(a)}, 1.6f);
        small.axis = randomDirection(8, i);
        small.spin = 120 + 90 * Noise::lattice(9, i, 0);
        small.orbit = 20 + 25 * Noise::lattice(10, i, 0);
        s.instances.append(small);
    }
    return s;
}

QVector<CameraPath::Key> asteroidFieldPath() {
    QVector<CameraPath::Key> keys;
    for (int i = 0; i <= 10; ++i) {
        const float t = float(i);
        keys.append({t, {-230 + 46 * t, 8 * std::sin(t), 20 * std::cos(t * 0.8f)}, {-200 + 46 * t, 0, 0}});
    }
    return keys;
}

SceneData asteroidField() {
    SceneData s;
    s.description = QStringLiteral("Průlet polem dvou tisíc otáčejících se asteroidů. Zatěžuje zpracování "
                                   "velkého počtu samostatně kreslených objektů.");
    s.clearColour = {0.01f, 0.01f, 0.03f};
    s.lightDirection = {-0.5f, 0.6f, 0.4f};
    s.fogDensity = 0.002f;
    s.extent = 120;
    s.textures.append({SceneData::Pattern::Rock, 256, 21, {0.25f, 0.22f, 0.2f}, {0.65f, 0.6f, 0.55f}});
    s.materials.append(material({1, 1, 1}, {0.2f, 0.2f, 0.2f}, 12, 0));
    s.materials.append(material({0.8f, 0.6f, 0.45f}, {0.3f, 0.3f, 0.3f}, 20, 0));
    float meshRadius[4] = {};
    for (int m = 0; m < 4; ++m) {
        s.meshes.append(asteroid(2, 30 + std::uint32_t(m)));
        for (const Vertex& v : s.meshes.last().vertices) {
            meshRadius[m] = std::max(meshRadius[m], v.position.length());
        }
    }
    const CameraPath path(asteroidFieldPath(), 10, EngineContract::kMaxFrameCount, 0);
    QVector<QVector3D> eyes;
    for (int step = 0; step <= 1000; ++step) {
        eyes.append(path.sample(step / 100.0).eye);
    }
    for (int i = 0; i < 2000; ++i) {
        QVector3D p((Noise::lattice(31, i, 0) - 0.5f) * 500, (Noise::lattice(31, i, 1) - 0.5f) * 90,
                    (Noise::lattice(31, i, 2) - 0.5f) * 500);
        const float scale = 1.5f + 5 * std::pow(Noise::lattice(31, i, 3), 2.f);
        // An asteroid in the camera's way is moved aside: flying through one
        // would show its inside, which is not drawn.
        const float clearance = meshRadius[i % 4] * scale + kAsteroidClearance;
        for (const QVector3D& eye : eyes) {
            const QVector3D away = p - eye;
            if (away.length() < clearance) {
                p = eye + (away.isNull() ? QVector3D(0, 1, 0) : away.normalized()) * clearance;
            }
        }
        SceneData::Instance a = instance(i % 4, (i / 4) % 2, p, scale);
        a.axis = randomDirection(32, i);
        a.angle = 360 * Noise::lattice(31, i, 4);
        a.spin = 10 + 80 * Noise::lattice(31, i, 5);
        s.instances.append(a);
    }
    return s;
}

SceneData singleAsteroid() {
    SceneData s;
    s.description = QStringLiteral("Jediný velmi podrobný asteroid z více než osmdesáti tisíc trojúhelníků. "
                                   "Zatěžuje zpracování vrcholů a osvětlení jednoho hustého tělesa.");
    s.clearColour = {0, 0, 0.02f};
    s.lightDirection = {1, 0.5f, 0.3f};
    s.extent = 25;
    s.textures.append({SceneData::Pattern::Rock, 512, 41, {0.2f, 0.18f, 0.16f}, {0.75f, 0.7f, 0.62f}});
    s.materials.append(material({1, 1, 1}, {0.35f, 0.35f, 0.35f}, 24, 0));
    s.meshes.append(asteroid(6, 42));
    SceneData::Instance a = instance(0, 0, {}, 14);
    a.axis = {0.3f, 1, 0.2f};
    a.spin = 18;
    s.instances.append(a);
    return s;
}

SceneData proceduralTextures() {
    SceneData s;
    s.description = QStringLiteral("Otáčející se krychle s mramorem, dřevem, cihlami, kamenem a dalšími "
                                   "texturami, které program vypočítá při načtení scény. Zatěžuje "
                                   "texturování a filtrování textur.");
    s.clearColour = {0.15f, 0.15f, 0.18f};
    s.lightDirection = {0.3f, 1, 0.5f};
    s.extent = 30;
    s.textures.append({SceneData::Pattern::Marble, 512, 51, {0.25f, 0.25f, 0.3f}, {0.95f, 0.95f, 0.92f}});
    s.textures.append({SceneData::Pattern::Wood, 512, 52, {0.35f, 0.18f, 0.06f}, {0.75f, 0.5f, 0.25f}});
    s.textures.append({SceneData::Pattern::Brick, 512, 53, {0.55f, 0.15f, 0.08f}, {0.85f, 0.82f, 0.75f}});
    s.textures.append({SceneData::Pattern::Rock, 512, 54, {0.2f, 0.25f, 0.2f}, {0.7f, 0.75f, 0.65f}});
    s.textures.append({SceneData::Pattern::Rings, 512, 55, {0.1f, 0.2f, 0.6f}, {0.9f, 0.8f, 0.2f}});
    s.textures.append({SceneData::Pattern::Checker, 1024, 56, {0.1f, 0.1f, 0.1f}, {0.9f, 0.9f, 0.9f}});
    for (int t = 0; t < 6; ++t) {
        s.materials.append(material({1, 1, 1}, {0.3f, 0.3f, 0.3f}, 20, t));
    }
    s.meshes.append(box());
    s.meshes.append(quad(12));
    s.instances.append(instance(1, 5, {0, -6, 0}, 60));
    for (int i = 0; i < 10; ++i) {
        const float a = 2 * kPi * i / 10;
        SceneData::Instance cube = instance(0, i % 5, {18 * std::cos(a), 0, 18 * std::sin(a)}, 4);
        cube.axis = randomDirection(57, i);
        cube.spin = 30 + 10 * i;
        cube.orbit = 6;
        s.instances.append(cube);
    }
    return s;
}

SceneData transparency() {
    SceneData s;
    s.description =
        QStringLiteral("Šestnáct průhledných vrstev kouře a světla přes celou obrazovku. Zatěžuje "
                       "rychlost vyplňování a míchání barev.");
    s.clearColour = {0.05f, 0.02f, 0.08f};
    s.lightDirection = {0, 0, 1};
    s.extent = 20;
    s.textures.append({SceneData::Pattern::Marble, 256, 61, {0.2f, 0.3f, 0.9f}, {1, 0.9f, 0.8f}});
    s.textures.append({SceneData::Pattern::Rock, 256, 62, {0.9f, 0.3f, 0.1f}, {1, 1, 0.4f}});
    SceneData::Material smoke = material({0.9f, 0.9f, 1}, {}, 1, 0);
    smoke.alpha = 0.35f;
    smoke.blend = SceneData::Blend::Alpha;
    smoke.lit = false;
    SceneData::Material glow = material({0.6f, 0.4f, 0.3f}, {}, 1, 1);
    glow.alpha = 0.2f;
    glow.blend = SceneData::Blend::Additive;
    glow.lit = false;
    s.materials << smoke << glow;
    Mesh layerMesh = quad(2);
    for (Vertex& v : layerMesh.vertices) {
        v.position = {v.position.x(), v.position.z(), 0};
        v.normal = {0, 0, 1};
    }
    layerMesh.indices = {0, 1, 2, 0, 2, 3};
    s.meshes.append(layerMesh);
    // Back to front as seen from the camera path, which stays on the +z side.
    for (int i = 0; i < 16; ++i) {
        SceneData::Instance layer = instance(0, i % 3 == 2 ? 1 : 0, {0, 0, -60.f + 3.6f * i}, 40);
        layer.axis = {0, 0, 1};
        layer.angle = 17.f * i;
        layer.spin = (i % 2 ? 1.f : -1.f) * (4 + i * 0.3f);
        s.instances.append(layer);
    }
    return s;
}

QVector<CameraPath::Key> transparencyPath() {
    QVector<CameraPath::Key> keys;
    for (int i = 0; i <= 10; ++i) {
        const float t = float(i);
        keys.append({t, {6 * std::sin(t * 0.7f), 4 * std::cos(t * 0.5f), 14 - 0.6f * t}, {0, 0, -60}});
    }
    return keys;
}

SceneData materials() {
    SceneData s;
    s.description = QStringLiteral("Koule z šestnácti různých materiálů - matných, lesklých, kovových i "
                                   "texturovaných - pod bodovým světlem. Zatěžuje výpočet osvětlení.");
    s.clearColour = {0.1f, 0.1f, 0.12f};
    s.lightDirection = {-0.4f, 1, 0.7f};
    s.extent = 20;
    s.textures.append({SceneData::Pattern::Marble, 256, 71, {0.4f, 0.1f, 0.1f}, {0.95f, 0.9f, 0.9f}});
    s.textures.append({SceneData::Pattern::Checker, 256, 72, {0.2f, 0.2f, 0.25f}, {0.6f, 0.6f, 0.65f}});
    for (int i = 0; i < 16; ++i) {
        const float hue = i / 16.f;
        const QVector3D colour(0.5f + 0.5f * std::cos(2 * kPi * hue),
                               0.5f + 0.5f * std::cos(2 * kPi * (hue - 0.33f)),
                               0.5f + 0.5f * std::cos(2 * kPi * (hue - 0.66f)));
        const float shine = float(1 << (i % 8));
        const QVector3D specular = (i % 4 == 3) ? colour : QVector3D(1, 1, 1) * (0.1f * (i % 4) + 0.1f);
        s.materials.append(material(colour * ((i % 4 == 3) ? 0.4f : 1.f), specular,
                                    std::min(shine * 4, 128.f), i % 5 == 4 ? 0 : -1));
    }
    s.materials.append(material({1, 1, 1}, {0.1f, 0.1f, 0.1f}, 4, 1));
    s.meshes.append(icosphere(4));
    s.meshes.append(quad(8));
    for (int i = 0; i < 16; ++i) {
        s.instances.append(instance(0, i, {-15.f + 10 * (i % 4), 0, -15.f + 10 * (i / 4)}, 3.5f));
    }
    s.instances.append(instance(1, 16, {0, -3.6f, 0}, 30));
    return s;
}

// One entry per rated test, in the order of test<i>.bin and browser<i>.bin:
// what the scene holds and where its camera flies.
struct Recipe {
    SceneData (*scene)();
    QVector<CameraPath::Key> (*path)();
};

const Recipe kRecipes[] = {
    {landscape, landscapePath},
    {rotatingStar, [] { return orbit(60, 12, 0.2f, {}, 1); }},
    {asteroidField, asteroidFieldPath},
    {singleAsteroid, [] { return orbit(50, 10, 0.2f, {}, 0.75f); }},
    {proceduralTextures,
     [] {
         return orbit(40, 14, 0.1f, {0, -2, 0}, 0.8f);
     }},
    {transparency, transparencyPath},
    {materials,
     [] {
         return orbit(34, 14, 0.3f, {0, -1, 0}, 0.6f);
     }},
};
static_assert(std::size(kRecipes) == EngineContract::kTestCount, "one recipe per rated test");

// An index outside the table gives the last test.
int testOf(int index) {
    return index >= 0 && index < EngineContract::kTestCount ? index : EngineContract::kTestCount - 1;
}

} // namespace

SceneData TestScenes::scene(int index) {
    const int test = testOf(index);
    SceneData s = kRecipes[test].scene();
    // The name the front end's check box shows.
    s.name = EngineContract::kTestNames[test].toString();
    return s;
}

CameraPath TestScenes::path(int index) {
    return CameraPath(kRecipes[testOf(index)].path(), EngineContract::kRatedSeconds,
                      EngineContract::kMaxFrameCount, 10);
}

SceneData TestScenes::emptyScene() {
    SceneData s;
    s.name = QStringLiteral("Prázdná scéna");
    s.description = QStringLiteral("Scéna bez jediného objektu: měří jen režii programu.");
    return s;
}
