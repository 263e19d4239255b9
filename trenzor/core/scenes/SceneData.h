#pragma once

#include <QString>
#include <QVector3D>
#include <QVector>
#include <cstdint>

// The content of one scene file in memory: what is drawn, independent of how.
// Filled by SceneFile or by the scene generator, then handed to a Scene that
// uploads it; plain values throughout.
struct SceneData {
    enum class Pattern : std::uint16_t { Checker, Marble, Wood, Brick, Rock, Rings, Count };
    enum class Blend : std::uint8_t { Opaque, Alpha, Additive, Count };

    // A texture is stored as a recipe and computed when the scene loads.
    struct Texture {
        Pattern pattern = Pattern::Checker;
        std::uint16_t size = 64;
        std::uint32_t seed = 0;
        QVector3D colourA;
        QVector3D colourB;
    };
    struct Material {
        QVector3D diffuse{1, 1, 1};
        float alpha = 1;
        QVector3D specular;
        float shininess = 16;
        QVector3D emissive;
        std::int32_t texture = -1;
        Blend blend = Blend::Opaque;
        bool lit = true;
    };
    struct Vertex {
        QVector3D position;
        QVector3D normal;
        float u = 0;
        float v = 0;
    };
    // Each triangle winds counter-clockwise seen from the side it shows:
    // under an opaque material only that side is drawn, so a closed mesh
    // winds outwards and an open one towards where the camera flies.
    struct Mesh {
        QVector<Vertex> vertices;
        QVector<std::uint32_t> indices;
    };
    // One placed copy of a mesh. It spins about its axis, and when orbit is
    // not zero it also circles the scene's vertical axis (degrees a second).
    struct Instance {
        std::uint32_t mesh = 0;
        std::uint32_t material = 0;
        QVector3D position;
        QVector3D axis{0, 1, 0};
        float angle = 0;
        float spin = 0;
        float orbit = 0;
        float scale = 1;
    };

    QString name;
    QString description;
    QVector3D clearColour{0, 0, 0};
    QVector3D lightDirection{0, 1, 0};
    float fogDensity = 0;
    // Radius around the origin in which particle systems and decals are put.
    float extent = 10;
    QVector<Texture> textures;
    QVector<Material> materials;
    QVector<Mesh> meshes;
    QVector<Instance> instances;
};
