#include "Noise.h"

#include <cmath>

namespace {

float smooth(float t) {
    return t * t * (3 - 2 * t);
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

int wrap(int value, int period) {
    if (period <= 0) {
        return value;
    }
    const int r = value % period;
    return r < 0 ? r + period : r;
}

} // namespace

float Noise::lattice(std::uint32_t seed, int x, int y, int z) {
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= std::uint32_t(x) * 0x85EBCA77u;
    h = (h << 13) | (h >> 19);
    h ^= std::uint32_t(y) * 0xC2B2AE3Du;
    h = (h << 13) | (h >> 19);
    h ^= std::uint32_t(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return float(h >> 8) / float(1u << 24);
}

float Noise::value(std::uint32_t seed, float x, float y, float z, int period) {
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const float fz = std::floor(z);
    const int x0 = int(fx);
    const int y0 = int(fy);
    const int z0 = int(fz);
    const float tx = smooth(x - fx);
    const float ty = smooth(y - fy);
    const float tz = smooth(z - fz);
    const auto at = [&](int dx, int dy, int dz) {
        return lattice(seed, wrap(x0 + dx, period), wrap(y0 + dy, period), z0 + dz);
    };
    const float bottom = mix(mix(at(0, 0, 0), at(1, 0, 0), tx), mix(at(0, 1, 0), at(1, 1, 0), tx), ty);
    const float top = mix(mix(at(0, 0, 1), at(1, 0, 1), tx), mix(at(0, 1, 1), at(1, 1, 1), tx), ty);
    return mix(bottom, top, tz);
}

float Noise::fractal(std::uint32_t seed, float x, float y, float z, int octaves, int period) {
    float sum = 0;
    float weight = 0.5f;
    float total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * value(seed + std::uint32_t(i), x, y, z, period);
        total += weight;
        x *= 2;
        y *= 2;
        z *= 2;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}
