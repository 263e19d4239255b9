// The test engine's configuration parser on arbitrary files. A file is
// either refused with a message naming it, or gives a configuration the
// engine can run: every value within what its directive allows, complete
// scene pairs, the far clipping plane behind the near one. Reading the same
// bytes from a file gives the same verdict. And whatever the front end
// writes for choices its settings dialog can make, the engine accepts with
// the same meaning.
#include "ConfigParser.h"
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "settings/SettingsValues.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <cmath>

namespace {

// A name the scene picker can hand over: a file's bare name that the
// front end agrees to write.
bool pickable(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(0)) && name != u"." &&
           name != u".." && EngineConfig::IsSafeSceneName(name);
}

// A choice the settings dialog can confirm and the configuration the
// front end writes for it.
struct FrontEndChoice {
    QByteArray bytes;
    EngineConfig::Settings settings;
    // Browser file, scene file.
    QList<QPair<QString, QString>> scenes;
};

// Picked by the input: its first byte the check boxes and the mode, the
// second the ticked tests, the third the list entries, the rest the two
// free-flight file names (Windows-1250, split at the first zero byte). Empty
// for an input the dialog would refuse: too short, no test ticked, or a name
// the picker cannot hand over.
std::optional<FrontEndChoice> frontEndChoice(const uint8_t* data, size_t size) {
    if (size < 3) {
        return std::nullopt;
    }
    const uint8_t boxes = data[0];
    const uint8_t tests = data[1] & 0x7F;
    const uint8_t lists = data[2];
    const std::optional<SettingsValues::Screen> screen =
        SettingsValues::FromListPositions(lists % 10, lists / 10 % 3, lists / 30 % 2);
    if (!screen) {
        return std::nullopt;
    }

    FrontEndChoice choice;
    EngineConfig::Settings& settings = choice.settings;
    screen->applyTo(settings);
    settings.fullScreen = boxes & 0x01;
    settings.stereo = boxes & 0x02;
    settings.noIntro = boxes & 0x04;
    settings.endless = boxes & 0x08;
    settings.safeMode = boxes & 0x10;
    settings.freeFlight = boxes & 0x20;

    if (!settings.freeFlight) {
        if (tests == 0) {
            return std::nullopt;
        }
        QList<qint16> indexes;
        for (int index = 0; index < EngineContract::kTestCount; ++index) {
            if (tests & (1 << index)) {
                indexes.append(static_cast<qint16>(index));
                choice.scenes.append(
                    {QStringLiteral("browser%1.bin").arg(index), QStringLiteral("test%1.bin").arg(index)});
            }
        }
        choice.bytes = EngineConfig::RatedFile(settings, indexes);
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
    choice.bytes = *EngineConfig::FreeFlightFile(settings, browser, scene);
    choice.scenes.append({browser, scene});
    return choice;
}

bool whole(int value, int low, int high) {
    return value >= low && value <= high;
}

bool isBits(int value) {
    return value == 16 || value == 24 || value == 32;
}

void checkRunnable(const RunConfig& config) {
    FUZZ_CHECK(!config.scenes.isEmpty());
    for (const RunConfig::ScenePair& pair : config.scenes) {
        FUZZ_CHECK(!pair.browserFile.isEmpty() && !pair.sceneFile.isEmpty());
        FUZZ_CHECK(!pair.browserFile.contains(u'"') && !pair.sceneFile.contains(u'"'));
    }
    FUZZ_CHECK(whole(config.viewportWidth, 16, 16384) && whole(config.viewportHeight, 16, 16384));
    FUZZ_CHECK(whole(config.resolutionWidth, 16, 16384) && whole(config.resolutionHeight, 16, 16384));
    FUZZ_CHECK(isBits(config.colourBits) && isBits(config.depthBits));
    for (const int key : config.keyCodes) {
        FUZZ_CHECK(whole(key, 1, 254));
    }
    FUZZ_CHECK(std::abs(config.headLimit) <= 1.6);
    FUZZ_CHECK(config.nearPlane > 0 && config.farPlane > config.nearPlane && std::isfinite(config.farPlane));
    FUZZ_CHECK(config.fieldOfView >= 1 && config.fieldOfView <= 179);
    FUZZ_CHECK(std::isfinite(config.mouseSensitivity) && std::isfinite(config.stereoOffset));
    FUZZ_CHECK(config.frameRateLimit >= 0 && config.frameRateLimit <= 1e9);
    FUZZ_CHECK(whole(config.decalCount, 0, 1000) && whole(config.particleSystemCount, 0, 1000));
}

void checkFrontEndAgreement(const uint8_t* data, size_t size) {
    const std::optional<FrontEndChoice> choice = frontEndChoice(data, size);
    if (!choice) {
        return;
    }
    const EngineConfigParser::Result result = EngineConfigParser::parse(choice->bytes);
    if (!result.ok()) {
        // The parser's reason, before the failed check ends the run.
        std::fprintf(stderr, "%s\n", qUtf8Printable(result.error));
    }
    FUZZ_CHECK(result.ok());
    const RunConfig& config = result.config;
    const EngineConfig::Settings& s = choice->settings;
    FUZZ_CHECK(config.resolutionWidth == s.width && config.resolutionHeight == s.height);
    FUZZ_CHECK(config.viewportWidth == s.width && config.viewportHeight == s.height);
    FUZZ_CHECK(config.colourBits == s.colourBits && config.depthBits == s.depthBits);
    FUZZ_CHECK(config.fullScreen == s.fullScreen && config.redBlueStereo == s.stereo);
    FUZZ_CHECK(config.dontShowIntro == s.noIntro && config.endlessLoop == s.endless);
    FUZZ_CHECK(config.safe == s.safeMode && config.freeFlight == s.freeFlight);
    FUZZ_CHECK(config.scenes.size() == choice->scenes.size());
    for (qsizetype i = 0; i < config.scenes.size(); ++i) {
        FUZZ_CHECK(config.scenes[i].browserFile == choice->scenes[i].first);
        FUZZ_CHECK(config.scenes[i].sceneFile == choice->scenes[i].second);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const EngineConfigParser::Result result =
        EngineConfigParser::parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QString name = Fuzz::privateFolder() + QStringLiteral("/nastaveni.atr");
    Fuzz::writeInput(name, data, size);
    FUZZ_CHECK(ConfigParser::parseFile(name).error == result.error);
    if (result.ok()) {
        checkRunnable(result.config);
    } else {
        FUZZ_CHECK(result.error.startsWith(QStringLiteral("nastaveni.atr")));
    }
    checkFrontEndAgreement(data, size);
    return 0;
}
