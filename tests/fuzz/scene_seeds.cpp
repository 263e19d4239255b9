// Writes small scene and browser files into the folder given as the only
// argument: seeds for the scene file fuzz target, made by the engine's own
// encoder so they follow its format exactly.
#include "SceneFile.h"

#include <QFile>
#include <cstdio>

namespace {

SceneData smallScene() {
    SceneData scene;
    scene.name = QStringLiteral("Malá scéna");
    scene.description = QStringLiteral("Dva trojúhelníky, dvě textury, průhlednost.");
    scene.clearColour = {0.1f, 0.2f, 0.3f};
    scene.fogDensity = 0.01f;
    scene.textures.append({SceneData::Pattern::Marble, 16, 7, {1, 0, 0}, {0, 0, 1}});
    scene.textures.append({SceneData::Pattern::Rings, 4, 1, {0, 1, 0}, {1, 1, 1}});
    SceneData::Material opaque;
    opaque.texture = 0;
    SceneData::Material glass;
    glass.alpha = 0.5f;
    glass.blend = SceneData::Blend::Alpha;
    glass.texture = -1;
    glass.lit = false;
    scene.materials = {opaque, glass};
    SceneData::Mesh quad;
    quad.vertices = {{{0, 0, 0}, {0, 0, 1}, 0, 0},
                     {{1, 0, 0}, {0, 0, 1}, 1, 0},
                     {{1, 1, 0}, {0, 0, 1}, 1, 1},
                     {{0, 1, 0}, {0, 0, 1}, 0, 1}};
    quad.indices = {0, 1, 2, 0, 2, 3};
    scene.meshes = {quad};
    SceneData::Instance first;
    SceneData::Instance second;
    second.material = 1;
    second.position = {2, 0, 0};
    second.spin = 30;
    second.orbit = 5;
    second.scale = 0.5f;
    scene.instances = {first, second};
    return scene;
}

CameraPath smallPath() {
    return CameraPath({{0, {0, 1, 5}, {0, 0, 0}}, {1.5f, {3, 1, 3}, {0, 0, 0}}, {4, {5, 2, 0}, {0, 1, 0}}},
                      4.0, 200, 5);
}

bool write(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: scene_seeds <folder>\n");
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]) + u'/';
    const QByteArray scene = SceneFile::encodeScene(smallScene());
    const QByteArray path = SceneFile::encodePath(smallPath());
    const bool written =
        write(folder + QStringLiteral("scene.bin"), scene) &&
        write(folder + QStringLiteral("empty_scene.bin"), SceneFile::encodeScene(SceneData{})) &&
        write(folder + QStringLiteral("path.bin"), path) &&
        write(folder + QStringLiteral("scene_cut.bin"), scene.left(scene.size() - 7)) &&
        write(folder + QStringLiteral("path_cut.bin"), path.left(path.size() - 3));
    if (!written) {
        std::fprintf(stderr, "scene_seeds: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
