#include "SettingsValues.h"

#include "contract/NumberRules.h"

namespace SettingsValues {

std::optional<Screen> FromListTexts(const QString& windowSize, const QString& colour, const QString& depth) {
    const qsizetype x = windowSize.indexOf(QLatin1Char('x'));
    const QStringView heightText = x < 0 ? QStringView(windowSize) : QStringView(windowSize).mid(x + 1);

    const std::optional<qint16> width = NumberRules::RoundToInt16(NumberRules::LeadingNumber(windowSize));
    const std::optional<qint16> height = NumberRules::RoundToInt16(NumberRules::LeadingNumber(heightText));
    const std::optional<qint16> colourBits = NumberRules::RoundToInt16(NumberRules::LeadingNumber(colour));
    const std::optional<qint16> depthBits = NumberRules::RoundToInt16(NumberRules::LeadingNumber(depth));
    if (!width || !height || !colourBits || !depthBits) {
        return std::nullopt;
    }
    return Screen{*width, *height, *colourBits, *depthBits};
}

} // namespace SettingsValues
