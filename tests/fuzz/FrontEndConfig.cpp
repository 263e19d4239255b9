#include "FrontEndConfig.h"

#include "common/Cp1250Codec.h"
#include "engine/EngineConfig.h"
#include "settings/SettingsValues.h"

#include <QStringList>

namespace {

// The entries of the settings dialog's three lists.
const QStringList kWindowSizes = {QStringLiteral("320x200"),  QStringLiteral("320x240"),
                                  QStringLiteral("400x300"),  QStringLiteral("640x400"),
                                  QStringLiteral("640x480"),  QStringLiteral("800x600"),
                                  QStringLiteral("1024x768"), QStringLiteral("1152x864"),
                                  QStringLiteral("1280x720"), QStringLiteral("1600x1200")};
const QStringList kColourBits = {QStringLiteral("16 bitů"), QStringLiteral("24 bitů"),
                                 QStringLiteral("32 bitů")};
const QStringList kDepthBits = {QStringLiteral("16 bitů"), QStringLiteral("24 bitů")};

constexpr int kTestCount = 7;

// A name the scene picker can hand over: a file's bare name that the
// front end agrees to write.
bool pickable(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) && name != u"." &&
           name != u".." && EngineConfig::IsSafeSceneName(name);
}

} // namespace

namespace Fuzz {

std::optional<FrontEndChoice> frontEndChoice(const uint8_t* data, size_t size) {
    if (size < 3) {
        return std::nullopt;
    }
    const uint8_t boxes = data[0];
    const uint8_t tests = data[1] & 0x7F;
    const uint8_t lists = data[2];
    const std::optional<SettingsValues::Screen> screen = SettingsValues::FromListTexts(
        kWindowSizes.at(lists % 10), kColourBits.at(lists / 10 % 3), kDepthBits.at(lists / 30 % 2));
    if (!screen) {
        return std::nullopt;
    }

    EngineConfig::Settings settings;
    settings.width = screen->width;
    settings.height = screen->height;
    settings.colourBits = screen->colourBits;
    settings.depthBits = screen->depthBits;
    settings.fullScreen = boxes & 0x01;
    settings.stereo = boxes & 0x02;
    settings.noIntro = boxes & 0x04;
    settings.endless = boxes & 0x08;
    settings.safeMode = boxes & 0x10;
    settings.freeFlight = boxes & 0x20;

    FrontEndChoice choice;
    choice.width = settings.width;
    choice.height = settings.height;
    choice.colourBits = settings.colourBits;
    choice.depthBits = settings.depthBits;
    choice.fullScreen = settings.fullScreen;
    choice.stereo = settings.stereo;
    choice.noIntro = settings.noIntro;
    choice.endless = settings.endless;
    choice.safeMode = settings.safeMode;
    choice.freeFlight = settings.freeFlight;
    choice.bytes = EngineConfig::SettingsBlock(settings);

    if (!settings.freeFlight) {
        if (tests == 0) {
            return std::nullopt;
        }
        qint16 slot = 0;
        for (int index = 0; index < kTestCount; ++index) {
            if (tests & (1 << index)) {
                choice.bytes += EngineConfig::RatedSceneLines(slot++, static_cast<qint16>(index));
                choice.scenes.append(
                    {QStringLiteral("browser%1.bin").arg(index), QStringLiteral("test%1.bin").arg(index)});
            }
        }
        return choice;
    }

    const QByteArray names(reinterpret_cast<const char*>(data + 3), static_cast<qsizetype>(size - 3));
    const qsizetype split = names.indexOf('\0');
    if (split < 0) {
        return std::nullopt;
    }
    const QString browser = Cp1250Codec::decode(names.left(split));
    const QString scene = Cp1250Codec::decode(names.mid(split + 1));
    if (!pickable(browser) || !pickable(scene)) {
        return std::nullopt;
    }
    choice.bytes += *EngineConfig::FreeFlightSceneLine(browser) + *EngineConfig::FreeFlightSceneLine(scene);
    choice.scenes.append({browser, scene});
    return choice;
}

} // namespace Fuzz
