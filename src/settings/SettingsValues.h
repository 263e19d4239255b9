#pragma once

#include "contract/EngineConfig.h"

#include <array>
#include <optional>

// The entries of the settings dialog's three lists, each with the numbers it
// stands for, so that what the dialog shows and what it writes into the
// engine configuration come from one row: a window size such as "1024x768"
// with its width and height, and a bit count such as "24 bitů". The state
// file keeps positions in these tables.
namespace SettingsValues {

struct WindowSize {
    const char* text; // UTF-8
    qint16 width;
    qint16 height;
};

struct BitCount {
    const char* text; // UTF-8
    qint16 bits;
};

inline constexpr std::array<WindowSize, 10> kWindowSizes = {{
    {"320x200", 320, 200},
    {"320x240", 320, 240},
    {"400x300", 400, 300},
    {"640x400", 640, 400},
    {"640x480", 640, 480},
    {"800x600", 800, 600},
    {"1024x768", 1024, 768},
    {"1152x864", 1152, 864},
    {"1280x720", 1280, 720},
    {"1600x1200", 1600, 1200},
}};

inline constexpr std::array<BitCount, 3> kColourBits = {{{"16 bitů", 16}, {"24 bitů", 24}, {"32 bitů", 32}}};

inline constexpr std::array<BitCount, 2> kDepthBits = {{{"16 bitů", 16}, {"24 bitů", 24}}};

struct Screen {
    qint16 width = 0;
    qint16 height = 0;
    qint16 colourBits = 0;
    qint16 depthBits = 0;

    // Puts these numbers into the engine configuration's settings.
    void applyTo(EngineConfig::Settings& settings) const {
        settings.width = width;
        settings.height = height;
        settings.colourBits = colourBits;
        settings.depthBits = depthBits;
    }

    friend bool operator==(const Screen&, const Screen&) = default;
};

// The position of the first entry of the table that matches; -1 for none.
template <typename Table, typename Match>
constexpr qint16 PositionOf(const Table& table, Match match) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (match(table[i])) {
            return qint16(i);
        }
    }
    return -1;
}

// The positions of the standard screen's entries in the three lists.
inline constexpr std::array<qint16, 3> kStandardPositions = {
    PositionOf(kWindowSizes,
               [](const WindowSize& size) {
                   return size.width == EngineContract::kStandardWidth &&
                          size.height == EngineContract::kStandardHeight;
               }),
    PositionOf(kColourBits,
               [](const BitCount& count) { return count.bits == EngineContract::kStandardColourBits; }),
    PositionOf(kDepthBits,
               [](const BitCount& count) { return count.bits == EngineContract::kStandardDepthBits; }),
};
static_assert(kStandardPositions[0] >= 0 && kStandardPositions[1] >= 0 && kStandardPositions[2] >= 0,
              "every list has an entry for the standard screen");

// The numbers of the entries at these positions of the three lists. Empty
// when a position lies outside its list (nothing chosen is -1).
std::optional<Screen> FromListPositions(int windowSize, int colour, int depth);

} // namespace SettingsValues
