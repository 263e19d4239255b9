#pragma once

#include "engine/EngineConfig.h"

#include <QString>
#include <optional>

// The numbers the settings confirmation takes from the texts of the chosen
// list entries: the width before the "x" of a window size such as
// "1024x768", the height after it, and the bit counts at the start of
// "24 bitů". Each is the text's leading number rounded to 16 bits.
namespace SettingsValues {

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

// The height is read after the first lower-case "x"; an entry without one
// gives the width again. Empty when a number does not fit 16 bits.
std::optional<Screen> FromListTexts(const QString& windowSize, const QString& colour, const QString& depth);

} // namespace SettingsValues
