// The test engine's scene and browser file decoders on arbitrary files. A
// file either is refused with a reason, or decodes to a scene whose every
// reference points at something that exists and that the encoder writes
// back byte for byte (the format has one spelling of each scene); the same
// holds for a camera path, whose key times start at zero and rise.
#include "FuzzSupport.h"
#include "SceneFile.h"

#include <QtEndian>

namespace {

void checkScene(const QByteArray& bytes) {
    const SceneFile::SceneResult result = SceneFile::decodeScene(bytes);
    if (!result.ok()) {
        return;
    }
    const SceneData& scene = result.scene;
    for (const SceneData::Texture& texture : scene.textures) {
        FUZZ_CHECK(texture.size >= 4 && texture.size <= 1024 && (texture.size & (texture.size - 1)) == 0);
        FUZZ_CHECK(texture.pattern < SceneData::Pattern::Count);
    }
    for (const SceneData::Material& material : scene.materials) {
        FUZZ_CHECK(material.texture >= -1 && material.texture < scene.textures.size());
        FUZZ_CHECK(material.blend < SceneData::Blend::Count);
    }
    for (const SceneData::Mesh& mesh : scene.meshes) {
        FUZZ_CHECK(mesh.indices.size() % 3 == 0);
        for (const std::uint32_t index : mesh.indices) {
            FUZZ_CHECK(index < std::uint32_t(mesh.vertices.size()));
        }
    }
    for (const SceneData::Instance& instance : scene.instances) {
        FUZZ_CHECK(instance.mesh < std::uint32_t(scene.meshes.size()));
        FUZZ_CHECK(instance.material < std::uint32_t(scene.materials.size()));
        FUZZ_CHECK(!instance.axis.isNull() && instance.scale > 0);
    }
    FUZZ_CHECK(SceneFile::encodeScene(scene) == bytes);
}

void checkPath(const QByteArray& bytes) {
    const SceneFile::PathResult result = SceneFile::decodePath(bytes);
    if (!result.ok()) {
        return;
    }
    const CameraPath& path = result.path;
    FUZZ_CHECK(!path.keys().isEmpty());
    FUZZ_CHECK(path.keys().first().time == 0);
    for (qsizetype i = 1; i < path.keys().size(); ++i) {
        FUZZ_CHECK(path.keys()[i].time > path.keys()[i - 1].time);
    }
    FUZZ_CHECK(path.frameLimit() >= 1 && path.frameLimit() <= 32766);
    FUZZ_CHECK(path.seconds() > 0);
    // Sampling anywhere, the ends included, gives finite positions.
    for (const double time : {-1.0, 0.0, path.seconds() / 2, path.seconds(), path.seconds() * 2}) {
        const CameraPath::Pose pose = path.sample(time);
        FUZZ_CHECK(std::isfinite(pose.eye.x()) && std::isfinite(pose.eye.y()) && std::isfinite(pose.eye.z()));
        FUZZ_CHECK(std::isfinite(pose.target.x()) && std::isfinite(pose.target.y()) &&
                   std::isfinite(pose.target.z()));
    }
    FUZZ_CHECK(SceneFile::encodePath(path) == bytes);
}

// The header's payload size set to what follows it, so that mutations of
// the records are not all refused at the header.
QByteArray withPayloadSize(QByteArray bytes) {
    constexpr qsizetype kHeader = 12;
    if (bytes.size() >= kHeader) {
        qToLittleEndian(std::uint32_t(bytes.size() - kHeader), bytes.data() + kHeader - 4);
    }
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& file : {bytes, withPayloadSize(bytes)}) {
        checkScene(file);
        checkPath(file);
    }
    return 0;
}
