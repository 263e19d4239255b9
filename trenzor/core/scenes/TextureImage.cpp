#include "TextureImage.h"

#include "Noise.h"

#include <cmath>
#include <numbers>

namespace {

// Brightness in [0, 1] of one pattern at texture coordinates (s, t) in [0, 1).
float pattern(const SceneData::Texture& recipe, float s, float t) {
    const std::uint32_t seed = recipe.seed;
    const float pi2 = 2 * std::numbers::pi_v<float>;
    switch (recipe.pattern) {
    case SceneData::Pattern::Checker:
        return ((int(s * 8) + int(t * 8)) % 2 == 0) ? 0.15f : 0.95f;
    case SceneData::Pattern::Marble: {
        const float turbulence = Noise::fractal(seed, s * 4, t * 4, 0, 5, 4);
        return 0.5f + 0.5f * std::sin(pi2 * (s * 3 + turbulence * 4));
    }
    case SceneData::Pattern::Wood: {
        const float dx = std::sin(pi2 * s) * 0.5f;
        const float dy = std::sin(pi2 * t) * 0.5f;
        const float rings =
            std::sqrt(dx * dx + dy * dy) * 12 + Noise::fractal(seed, s * 8, t * 8, 0, 3, 8) * 2;
        return rings - std::floor(rings);
    }
    case SceneData::Pattern::Brick: {
        const float row = t * 8;
        const float shift = (int(row) % 2) * 0.5f;
        const float column = s * 4 + shift;
        const bool mortar = (row - std::floor(row)) < 0.08f || (column - std::floor(column)) < 0.04f;
        return mortar ? 0.9f : 0.35f + 0.4f * Noise::fractal(seed, s * 32, t * 32, 0, 3, 32);
    }
    case SceneData::Pattern::Rock:
        return Noise::fractal(seed, s * 8, t * 8, 0, 6, 8);
    case SceneData::Pattern::Rings:
    case SceneData::Pattern::Count:
        break;
    }
    const float ds = s - 0.5f;
    const float dt = t - 0.5f;
    return 0.5f + 0.5f * std::cos(std::sqrt(ds * ds + dt * dt) * pi2 * 10);
}

} // namespace

QImage TextureImage::render(const SceneData::Texture& recipe) {
    const int size = recipe.size;
    QImage image(size, size, QImage::Format_RGBA8888);
    for (int y = 0; y < size; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < size; ++x) {
            const float k = pattern(recipe, float(x) / size, float(y) / size);
            const QVector3D colour = recipe.colourA + (recipe.colourB - recipe.colourA) * k;
            line[4 * x + 0] = uchar(std::clamp(colour.x(), 0.f, 1.f) * 255);
            line[4 * x + 1] = uchar(std::clamp(colour.y(), 0.f, 1.f) * 255);
            line[4 * x + 2] = uchar(std::clamp(colour.z(), 0.f, 1.f) * 255);
            line[4 * x + 3] = uchar(std::clamp(k, 0.f, 1.f) * 255);
        }
    }
    return image;
}
