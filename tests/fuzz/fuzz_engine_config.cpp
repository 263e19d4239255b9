// The test engine's configuration parser on arbitrary files. A file is
// either refused with a message naming it, or gives a configuration the
// engine can run: every value within what its directive allows, complete
// scene pairs, the far clipping plane behind the near one. Reading the same
// bytes from a file gives the same verdict. And whatever the front end
// writes for choices its settings dialog can make, the engine accepts with
// the same meaning.
#include "ConfigParser.h"
#include "FrontEndConfig.h"
#include "FuzzSupport.h"

#include <cmath>

namespace {

bool whole(int value, int low, int high) {
    return value >= low && value <= high;
}

bool isBits(int value) {
    return value == 16 || value == 24 || value == 32;
}

void checkRunnable(const EngineConfig& config) {
    FUZZ_CHECK(!config.scenes.isEmpty());
    for (const EngineConfig::ScenePair& pair : config.scenes) {
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
    const std::optional<Fuzz::FrontEndChoice> choice = Fuzz::frontEndChoice(data, size);
    if (!choice) {
        return;
    }
    const ConfigParser::Result result = ConfigParser::parse(choice->bytes);
    if (!result.ok()) {
        // The parser's reason, before the failed check ends the run.
        std::fprintf(stderr, "%s\n", qUtf8Printable(result.error));
    }
    FUZZ_CHECK(result.ok());
    const EngineConfig& config = result.config;
    FUZZ_CHECK(config.resolutionWidth == choice->width && config.resolutionHeight == choice->height);
    FUZZ_CHECK(config.viewportWidth == choice->width && config.viewportHeight == choice->height);
    FUZZ_CHECK(config.colourBits == choice->colourBits && config.depthBits == choice->depthBits);
    FUZZ_CHECK(config.fullScreen == choice->fullScreen && config.redBlueStereo == choice->stereo);
    FUZZ_CHECK(config.dontShowIntro == choice->noIntro && config.endlessLoop == choice->endless);
    FUZZ_CHECK(config.safe == choice->safeMode && config.freeFlight == choice->freeFlight);
    FUZZ_CHECK(config.scenes.size() == choice->scenes.size());
    for (qsizetype i = 0; i < config.scenes.size(); ++i) {
        FUZZ_CHECK(config.scenes[i].browserFile == choice->scenes[i].first);
        FUZZ_CHECK(config.scenes[i].sceneFile == choice->scenes[i].second);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const ConfigParser::Result result =
        ConfigParser::parse(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
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
