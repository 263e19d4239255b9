#include "SettingsValues.h"

namespace SettingsValues {

namespace {

template <typename Entry, std::size_t size>
const Entry* at(const std::array<Entry, size>& table, int position) {
    return position >= 0 && position < static_cast<int>(size) ? &table[static_cast<std::size_t>(position)]
                                                              : nullptr;
}

} // namespace

std::optional<Screen> FromListPositions(int windowSize, int colour, int depth) {
    const WindowSize* size = at(kWindowSizes, windowSize);
    const BitCount* colourBits = at(kColourBits, colour);
    const BitCount* depthBits = at(kDepthBits, depth);
    if (!size || !colourBits || !depthBits) {
        return std::nullopt;
    }
    return Screen{size->width, size->height, colourBits->bits, depthBits->bits};
}

} // namespace SettingsValues
