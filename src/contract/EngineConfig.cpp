#include "EngineConfig.h"

#include "contract/Cp1250Codec.h"
#include "contract/TextFile.h"

namespace {

namespace Directive = EngineContract::Directive;

QByteArray number(int value) {
    return QByteArray::number(value);
}

// Shortest form of the contract's values: "0.5", "3000", "-0.2".
QByteArray number(double value) {
    return QByteArray::number(value);
}

// One directive line: "*", the directive's name and its arguments after a
// blank.
QByteArray directive(const char* name, const QByteArray& arguments = {}) {
    QByteArray line = QByteArray("*") + name;
    if (!arguments.isEmpty()) {
        line += ' ' + arguments;
    }
    return line;
}

// The start-up file leaves the depth bits to the engine, which takes the
// standard screen's; every file of the settings dialog names them.
enum class DepthBits { Omitted, Written };

QByteArray block(const RunConfig& c, DepthBits depthBits) {
    QByteArray keyCodes = "0";
    for (const int code : c.keyCodes) {
        keyCodes += ' ' + number(code);
    }
    QList<QByteArray> lines = {
        directive(Directive::kPlayerCount, "1"),
        directive(Directive::kPlayerViewport,
                  "0 0 0 " + number(c.viewportWidth) + ' ' + number(c.viewportHeight)),
        directive(Directive::kPlayerController, c.freeFlight ? "0 1" : "0 -1"),
        directive(Directive::kPlayerKeyboardControls, keyCodes),
        directive(Directive::kPlayerHeadLimit, "0 " + number(c.headLimit)),
        directive(Directive::kNearClippingPlane, number(c.nearPlane)),
        directive(Directive::kFarClippingPlane, number(c.farPlane)),
        directive(Directive::kFieldOfView, number(c.fieldOfView)),
        directive(Directive::kMouseSensitivity, number(c.mouseSensitivity)),
    };
    const auto flag = [&lines](bool set, const char* name) {
        if (set) {
            lines += directive(name);
        }
    };
    flag(c.noTimer, Directive::kNoTimer);
    flag(c.noVsync, Directive::kNoVsync);
    lines += directive(Directive::kFrameRateLimit, number(c.frameRateLimit));
    lines += directive(Directive::kResolution, number(c.resolutionWidth) + ' ' + number(c.resolutionHeight) +
                                                   ' ' + number(c.colourBits));
    if (depthBits == DepthBits::Written) {
        lines += directive(Directive::kDepthBits, number(c.depthBits));
    }
    flag(c.dontShowIntro, Directive::kDontShowIntro);
    flag(c.fullScreen, Directive::kFullScreen);
    if (c.redBlueStereo) {
        lines += {directive(Directive::kRedBlueStereo),
                  directive(Directive::kStereoOffset, number(c.stereoOffset))};
    }
    flag(c.endlessLoop, Directive::kEndlessLoop);
    flag(c.safe, Directive::kSafe);
    lines += {directive(Directive::kDecalCount, number(c.decalCount)),
              directive(Directive::kParticleSystemCount, number(c.particleSystemCount))};
    return TextFile::JoinLines(lines);
}

std::optional<QByteArray> sceneLine(int slot, const QString& fileName) {
    if (!EngineConfig::IsSafeSceneName(fileName)) {
        return std::nullopt;
    }
    return directive(Directive::kSceneList,
                     number(slot) + " \"" + Cp1250Codec::encode(fileName).bytes + '"') +
           "\r\n";
}

std::optional<QByteArray> sceneLines(const QVector<RunConfig::ScenePair>& scenes) {
    QByteArray bytes;
    for (qsizetype slot = 0; slot < scenes.size(); ++slot) {
        const std::optional<QByteArray> browser = sceneLine(int(slot), scenes[slot].browserFile);
        const std::optional<QByteArray> scene = sceneLine(int(slot), scenes[slot].sceneFile);
        if (!browser || !scene) {
            return std::nullopt;
        }
        bytes += *browser + *scene;
    }
    return bytes;
}

RunConfig::ScenePair ratedScene(int testIndex) {
    return {EngineContract::BrowserFileName(testIndex), EngineContract::SceneFileName(testIndex)};
}

RunConfig fromSettings(const EngineConfig::Settings& s) {
    RunConfig c = EngineConfig::RatedRun();
    c.viewportWidth = c.resolutionWidth = s.width;
    c.viewportHeight = c.resolutionHeight = s.height;
    c.colourBits = s.colourBits;
    c.depthBits = s.depthBits;
    c.freeFlight = s.freeFlight;
    c.dontShowIntro = s.noIntro;
    c.fullScreen = s.fullScreen;
    c.redBlueStereo = s.stereo;
    c.endlessLoop = s.endless;
    c.safe = s.safeMode;
    return c;
}

} // namespace

namespace EngineConfig {

RunConfig RatedRun() {
    RunConfig config;
    config.noTimer = true;
    config.noVsync = true;
    config.frameRateLimit = EngineContract::kFrameRateLimit;
    config.decalCount = EngineContract::kDecalCount;
    config.particleSystemCount = EngineContract::kParticleSystemCount;
    return config;
}

std::optional<QByteArray> Write(const RunConfig& config) {
    const std::optional<QByteArray> scenes = sceneLines(config.scenes);
    if (!scenes) {
        return std::nullopt;
    }
    return block(config, DepthBits::Written) + *scenes;
}

bool IsSafeSceneName(const QString& fileName) {
    return !fileName.contains(QLatin1Char('"')) && !fileName.contains(QLatin1Char('\r')) &&
           !fileName.contains(QLatin1Char('\n')) && Cp1250Codec::canEncode(fileName);
}

QByteArray StartUpFile() {
    return block(RatedRun(), DepthBits::Omitted) + *sceneLines({ratedScene(0)});
}

QByteArray RatedFile(const Settings& settings, const QList<qint16>& testIndexes) {
    RunConfig config = fromSettings(settings);
    for (const qint16 index : testIndexes) {
        config.scenes += ratedScene(index);
    }
    return *Write(config);
}

std::optional<QByteArray> FreeFlightFile(const Settings& settings, const QString& browserFile,
                                         const QString& sceneFile) {
    RunConfig config = fromSettings(settings);
    config.scenes = {{browserFile, sceneFile}};
    return Write(config);
}

} // namespace EngineConfig
