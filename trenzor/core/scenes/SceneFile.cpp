#include "SceneFile.h"

#include "BinaryReader.h"
#include "BinaryWriter.h"
#include "contract/EngineContract.h"

#include <cmath>

namespace {

constexpr char kSceneMagic[] = "TRZS";
constexpr char kPathMagic[] = "TRZB";
constexpr std::uint32_t kMaxTextures = 64;
constexpr std::uint32_t kMaxMaterials = 256;
constexpr std::uint32_t kMaxMeshes = 1024;
constexpr std::uint32_t kMaxVertices = 4'000'000;
constexpr std::uint32_t kMaxIndices = 12'000'000;
constexpr std::uint32_t kMaxInstances = 100'000;
constexpr std::uint32_t kMaxKeys = 10'000;
constexpr std::uint32_t kTextureRecord = 32;
constexpr std::uint32_t kMaterialRecord = 56;
constexpr std::uint32_t kMeshRecord = 8;
constexpr std::uint32_t kVertexRecord = 32;
constexpr std::uint32_t kInstanceRecord = 48;
constexpr std::uint32_t kKeyRecord = 28;
// Farther than any scene reaches; beyond it the camera path's smoothing
// could overflow to an infinite camera position.
constexpr float kMaxPathCoordinate = 1e6f;

QVector3D vec3(BinaryReader& in) {
    const float x = in.f32();
    const float y = in.f32();
    const float z = in.f32();
    return {x, y, z};
}

bool withinReach(const QVector3D& v) {
    return std::abs(v.x()) <= kMaxPathCoordinate && std::abs(v.y()) <= kMaxPathCoordinate &&
           std::abs(v.z()) <= kMaxPathCoordinate;
}

void vec3(BinaryWriter& out, const QVector3D& v) {
    out.f32(v.x());
    out.f32(v.y());
    out.f32(v.z());
}

// Checks magic, version and payload size; the reader then stands at the
// first byte of the payload.
void header(BinaryReader& in, const char* magic, const char* otherMagic) {
    const QByteArray found = in.raw(4);
    if (in.failed()) {
        in.fail(QStringLiteral("soubor je příliš krátký"));
        return;
    }
    if (found == otherMagic) {
        in.fail(QStringLiteral(
            "je to soubor jiného druhu (soubor průletu a soubor scény se zadávají v tomto pořadí)"));
        return;
    }
    if (found != magic) {
        in.fail(QStringLiteral("není to soubor scény tohoto programu"));
        return;
    }
    const std::uint16_t version = in.u16();
    const std::uint16_t reserved = in.u16();
    const std::uint32_t payload = in.u32();
    if (in.failed()) {
        return;
    }
    if (version != SceneFile::kVersion) {
        in.fail(QStringLiteral("nepodporovaná verze formátu %1").arg(version));
    } else if (reserved != 0) {
        in.fail(QStringLiteral("poškozená hlavička"));
    } else if (payload != in.remaining()) {
        in.fail(QStringLiteral("hlavička udává %1 bajtů dat, soubor jich má %2")
                    .arg(payload)
                    .arg(in.remaining()));
    }
}

qsizetype beginHeader(BinaryWriter& out, const char* magic) {
    for (int i = 0; i < 4; ++i) {
        out.u8(std::uint8_t(magic[i]));
    }
    out.u16(SceneFile::kVersion);
    out.u16(0);
    out.u32(0);
    return out.size();
}

void endHeader(BinaryWriter& out, qsizetype payloadStart) {
    out.patchU32(payloadStart - 4, std::uint32_t(out.size() - payloadStart));
}

void writeCount(BinaryWriter& out, qsizetype count, QVector<qsizetype>* offsets) {
    if (offsets) {
        offsets->append(out.size());
    }
    out.u32(std::uint32_t(count));
}

void finish(BinaryReader& in) {
    if (!in.failed() && in.remaining() != 0) {
        in.fail(QStringLiteral("za posledním záznamem následuje %1 nadbytečných bajtů").arg(in.remaining()));
    }
}

} // namespace

SceneFile::SceneResult SceneFile::decodeScene(const QByteArray& bytes) {
    SceneResult result;
    SceneData& scene = result.scene;
    BinaryReader in(bytes);
    header(in, kSceneMagic, kPathMagic);
    scene.name = in.text(200);
    scene.description = in.text(4000);
    scene.clearColour = vec3(in);
    scene.lightDirection = vec3(in);
    scene.fogDensity = in.f32();
    scene.extent = in.f32();
    if (!in.failed() && (scene.lightDirection.isNull() || scene.fogDensity < 0 || scene.extent <= 0)) {
        in.fail(QStringLiteral("neplatné parametry scény"));
    }

    const std::uint32_t textureCount = in.count(kTextureRecord, kMaxTextures, "textur");
    for (std::uint32_t i = 0; i < textureCount && !in.failed(); ++i) {
        SceneData::Texture texture;
        const std::uint16_t pattern = in.u16();
        texture.size = in.u16();
        texture.seed = in.u32();
        texture.colourA = vec3(in);
        texture.colourB = vec3(in);
        if (pattern >= std::uint16_t(SceneData::Pattern::Count)) {
            in.fail(QStringLiteral("textura %1 má neznámý vzor %2").arg(i).arg(pattern));
        } else if (texture.size < 4 || texture.size > 1024 || (texture.size & (texture.size - 1)) != 0) {
            in.fail(QStringLiteral("textura %1 má neplatnou velikost %2").arg(i).arg(texture.size));
        }
        texture.pattern = SceneData::Pattern(pattern);
        scene.textures.append(texture);
    }

    const std::uint32_t materialCount = in.count(kMaterialRecord, kMaxMaterials, "materiálů");
    for (std::uint32_t i = 0; i < materialCount && !in.failed(); ++i) {
        SceneData::Material material;
        material.diffuse = vec3(in);
        material.alpha = in.f32();
        material.specular = vec3(in);
        material.shininess = in.f32();
        material.emissive = vec3(in);
        material.texture = std::int32_t(in.u32());
        const std::uint8_t blend = in.u8();
        const std::uint8_t lit = in.u8();
        const std::uint16_t padding = in.u16();
        if (material.texture < -1 || material.texture >= std::int32_t(scene.textures.size())) {
            in.fail(QStringLiteral("materiál %1 odkazuje na neexistující texturu %2")
                        .arg(i)
                        .arg(material.texture));
        } else if (blend >= std::uint8_t(SceneData::Blend::Count) || lit > 1 || padding != 0) {
            in.fail(QStringLiteral("materiál %1 je poškozený").arg(i));
        } else if (material.alpha < 0 || material.alpha > 1 || material.shininess < 0 ||
                   material.shininess > 128) {
            in.fail(QStringLiteral("materiál %1 má hodnoty mimo rozsah").arg(i));
        }
        material.blend = SceneData::Blend(blend);
        material.lit = lit == 1;
        scene.materials.append(material);
    }

    const std::uint32_t meshCount = in.count(kMeshRecord, kMaxMeshes, "těles");
    for (std::uint32_t i = 0; i < meshCount && !in.failed(); ++i) {
        SceneData::Mesh mesh;
        const std::uint32_t vertexCount = in.count(kVertexRecord, kMaxVertices, "vrcholů");
        mesh.vertices.reserve(vertexCount);
        for (std::uint32_t v = 0; v < vertexCount && !in.failed(); ++v) {
            SceneData::Vertex vertex;
            vertex.position = vec3(in);
            vertex.normal = vec3(in);
            vertex.u = in.f32();
            vertex.v = in.f32();
            mesh.vertices.append(vertex);
        }
        const std::uint32_t indexCount = in.count(4, kMaxIndices, "indexů");
        if (!in.failed() && indexCount % 3 != 0) {
            in.fail(QStringLiteral("těleso %1: počet indexů %2 není násobkem tří").arg(i).arg(indexCount));
        }
        mesh.indices.reserve(indexCount);
        for (std::uint32_t k = 0; k < indexCount && !in.failed(); ++k) {
            const std::uint32_t index = in.u32();
            if (index >= vertexCount) {
                in.fail(QStringLiteral("těleso %1: index %2 ukazuje za poslední vrchol").arg(i).arg(index));
            }
            mesh.indices.append(index);
        }
        scene.meshes.append(std::move(mesh));
    }

    const std::uint32_t instanceCount = in.count(kInstanceRecord, kMaxInstances, "objektů");
    for (std::uint32_t i = 0; i < instanceCount && !in.failed(); ++i) {
        SceneData::Instance instance;
        instance.mesh = in.u32();
        instance.material = in.u32();
        instance.position = vec3(in);
        instance.axis = vec3(in);
        instance.angle = in.f32();
        instance.spin = in.f32();
        instance.orbit = in.f32();
        instance.scale = in.f32();
        if (instance.mesh >= meshCount || instance.material >= materialCount) {
            in.fail(QStringLiteral("objekt %1 odkazuje na neexistující těleso nebo materiál").arg(i));
        } else if (instance.axis.isNull() || instance.scale <= 0) {
            in.fail(QStringLiteral("objekt %1 má neplatnou osu nebo měřítko").arg(i));
        }
        scene.instances.append(instance);
    }
    finish(in);
    result.error = in.error();
    return result;
}

SceneFile::PathResult SceneFile::decodePath(const QByteArray& bytes) {
    PathResult result;
    BinaryReader in(bytes);
    header(in, kPathMagic, kSceneMagic);
    const std::uint32_t milliseconds = in.u32();
    const std::uint32_t frameLimit = in.u32();
    const std::uint32_t warmupFrames = in.u32();
    if (!in.failed() && (milliseconds < 1 || milliseconds > 3'600'000)) {
        in.fail(QStringLiteral("délka testu %1 ms je mimo rozsah").arg(milliseconds));
    } else if (!in.failed() && (frameLimit < 1 || frameLimit > EngineContract::kMaxFrameCount)) {
        in.fail(QStringLiteral("počet snímků %1 musí ležet mezi 1 a %2")
                    .arg(frameLimit)
                    .arg(EngineContract::kMaxFrameCount));
    } else if (!in.failed() && warmupFrames > 1000) {
        in.fail(QStringLiteral("počet zahřívacích snímků %1 je příliš velký").arg(warmupFrames));
    }
    const std::uint32_t keyCount = in.count(kKeyRecord, kMaxKeys, "bodů dráhy");
    if (!in.failed() && keyCount == 0) {
        in.fail(QStringLiteral("dráha kamery nemá žádný bod"));
    }
    QVector<CameraPath::Key> keys;
    for (std::uint32_t i = 0; i < keyCount && !in.failed(); ++i) {
        CameraPath::Key key;
        key.time = in.f32();
        key.eye = vec3(in);
        key.target = vec3(in);
        if (!in.failed() && (i == 0 ? key.time != 0 : key.time <= keys.last().time)) {
            in.fail(QStringLiteral("časy bodů dráhy musí začínat nulou a stoupat (bod %1)").arg(i));
        } else if ((key.eye - key.target).isNull()) {
            in.fail(QStringLiteral("bod dráhy %1 se dívá sám na sebe").arg(i));
        } else if (!withinReach(key.eye) || !withinReach(key.target)) {
            in.fail(QStringLiteral("bod dráhy %1 leží dál než %2 od středu scény")
                        .arg(i)
                        .arg(double(kMaxPathCoordinate), 0, 'f', 0));
        }
        keys.append(key);
    }
    finish(in);
    result.error = in.error();
    if (result.ok()) {
        result.path = CameraPath(std::move(keys), milliseconds / 1000.0, int(frameLimit), int(warmupFrames));
    }
    return result;
}

QByteArray SceneFile::encodeScene(const SceneData& scene, QVector<qsizetype>* countOffsets) {
    BinaryWriter out;
    const qsizetype payload = beginHeader(out, kSceneMagic);
    out.text(scene.name);
    out.text(scene.description);
    vec3(out, scene.clearColour);
    vec3(out, scene.lightDirection);
    out.f32(scene.fogDensity);
    out.f32(scene.extent);
    writeCount(out, scene.textures.size(), countOffsets);
    for (const SceneData::Texture& texture : scene.textures) {
        out.u16(std::uint16_t(texture.pattern));
        out.u16(texture.size);
        out.u32(texture.seed);
        vec3(out, texture.colourA);
        vec3(out, texture.colourB);
    }
    writeCount(out, scene.materials.size(), countOffsets);
    for (const SceneData::Material& material : scene.materials) {
        vec3(out, material.diffuse);
        out.f32(material.alpha);
        vec3(out, material.specular);
        out.f32(material.shininess);
        vec3(out, material.emissive);
        out.u32(std::uint32_t(material.texture));
        out.u8(std::uint8_t(material.blend));
        out.u8(material.lit ? 1 : 0);
        out.u16(0);
    }
    writeCount(out, scene.meshes.size(), countOffsets);
    for (const SceneData::Mesh& mesh : scene.meshes) {
        writeCount(out, mesh.vertices.size(), countOffsets);
        for (const SceneData::Vertex& vertex : mesh.vertices) {
            vec3(out, vertex.position);
            vec3(out, vertex.normal);
            out.f32(vertex.u);
            out.f32(vertex.v);
        }
        writeCount(out, mesh.indices.size(), countOffsets);
        for (std::uint32_t index : mesh.indices) {
            out.u32(index);
        }
    }
    writeCount(out, scene.instances.size(), countOffsets);
    for (const SceneData::Instance& instance : scene.instances) {
        out.u32(instance.mesh);
        out.u32(instance.material);
        vec3(out, instance.position);
        vec3(out, instance.axis);
        out.f32(instance.angle);
        out.f32(instance.spin);
        out.f32(instance.orbit);
        out.f32(instance.scale);
    }
    endHeader(out, payload);
    return out.bytes();
}

QByteArray SceneFile::encodePath(const CameraPath& path, QVector<qsizetype>* countOffsets) {
    BinaryWriter out;
    const qsizetype payload = beginHeader(out, kPathMagic);
    out.u32(std::uint32_t(path.seconds() * 1000.0 + 0.5));
    out.u32(std::uint32_t(path.frameLimit()));
    out.u32(std::uint32_t(path.warmupFrames()));
    writeCount(out, path.keys().size(), countOffsets);
    for (const CameraPath::Key& key : path.keys()) {
        out.f32(key.time);
        vec3(out, key.eye);
        vec3(out, key.target);
    }
    endHeader(out, payload);
    return out.bytes();
}
