#pragma once

#include <cstdint>

// Deterministic value noise: the same seed and coordinates give the same
// numbers on every computer, so generated scenes and textures are identical
// everywhere. Stateless.
class Noise {
public:
    // A hash of the integer lattice point, in [0, 1).
    static float lattice(std::uint32_t seed, int x, int y, int z = 0);
    // Smoothly interpolated noise in [0, 1); period, when positive, makes it
    // wrap around in x and y so that textures tile.
    static float value(std::uint32_t seed, float x, float y, float z = 0, int period = 0);
    // Sum of octaves of value noise, each twice the frequency and half the
    // weight of the one before; result in [0, 1).
    static float fractal(std::uint32_t seed, float x, float y, float z, int octaves, int period = 0);
};
