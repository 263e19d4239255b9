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

QByteArray keyCodes() {
    QByteArray codes = "0";
    for (const int code : EngineContract::kKeyCodes) {
        codes += ' ' + number(code);
    }
    return codes;
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

// Directives both block writers share, between the controller line and the
// resolution line.
const QList<QByteArray> kFixedLines = {
    directive(Directive::kPlayerKeyboardControls, keyCodes()),
    directive(Directive::kPlayerHeadLimit, "0 " + number(EngineContract::kHeadLimit)),
    directive(Directive::kNearClippingPlane, number(EngineContract::kNearPlane)),
    directive(Directive::kFarClippingPlane, number(EngineContract::kFarPlane)),
    directive(Directive::kFieldOfView, number(EngineContract::kFieldOfView)),
    directive(Directive::kMouseSensitivity, number(EngineContract::kMouseSensitivity)),
    directive(Directive::kNoTimer),
    directive(Directive::kNoVsync),
    directive(Directive::kFrameRateLimit, "10000"),
};

QByteArray viewportLine(const EngineConfig::Settings& s) {
    return directive(Directive::kPlayerViewport, "0 0 0 " + number(s.width) + ' ' + number(s.height));
}

QByteArray resolutionLine(const EngineConfig::Settings& s) {
    return directive(Directive::kResolution,
                     number(s.width) + ' ' + number(s.height) + ' ' + number(s.colourBits));
}

QByteArray sceneLine(qint16 slot, const QByteArray& quotedName) {
    return directive(Directive::kSceneList, number(slot) + " \"" + quotedName + '"') + "\r\n";
}

} // namespace

namespace EngineConfig {

QByteArray DefaultBlock() {
    // The standard screen, whose depth bits the engine assumes.
    const Settings standard;
    QList<QByteArray> lines = {directive(Directive::kPlayerCount, "1"), viewportLine(standard),
                               directive(Directive::kPlayerController, "0 -1")};
    lines += kFixedLines;
    lines += {resolutionLine(standard), directive(Directive::kDecalCount, "0"),
              directive(Directive::kParticleSystemCount, "5")};
    return TextFile::JoinLines(lines);
}

QByteArray SettingsBlock(const Settings& s) {
    QList<QByteArray> lines = {
        directive(Directive::kPlayerCount, "1"),
        viewportLine(s),
        directive(Directive::kPlayerController, s.freeFlight ? "0 1" : "0 -1"),
    };
    lines += kFixedLines;
    lines += resolutionLine(s);
    lines += directive(Directive::kDepthBits, number(s.depthBits));
    if (s.noIntro) {
        lines += directive(Directive::kDontShowIntro);
    }
    if (s.fullScreen) {
        lines += directive(Directive::kFullScreen);
    }
    if (s.stereo) {
        lines += {directive(Directive::kRedBlueStereo),
                  directive(Directive::kStereoOffset, number(EngineContract::kStereoOffset))};
    }
    if (s.endless) {
        lines += directive(Directive::kEndlessLoop);
    }
    if (s.safeMode) {
        lines += directive(Directive::kSafe);
    }
    lines += {directive(Directive::kDecalCount, "0"), directive(Directive::kParticleSystemCount, "5")};
    return TextFile::JoinLines(lines);
}

QByteArray RatedSceneLines(qint16 slot, qint16 testIndex) {
    return sceneLine(slot, EngineContract::BrowserFileName(testIndex).toLatin1()) +
           sceneLine(slot, EngineContract::SceneFileName(testIndex).toLatin1());
}

bool IsSafeSceneName(const QString& fileName) {
    return !fileName.contains(QLatin1Char('"')) && !fileName.contains(QLatin1Char('\r')) &&
           !fileName.contains(QLatin1Char('\n')) && Cp1250Codec::canEncode(fileName);
}

std::optional<QByteArray> FreeFlightSceneLine(const QString& fileName) {
    if (!IsSafeSceneName(fileName)) {
        return std::nullopt;
    }
    return sceneLine(0, Cp1250Codec::encode(fileName).bytes);
}

QByteArray StartUpFile() {
    return DefaultBlock() + RatedSceneLines(0, 0);
}

QByteArray RatedFile(const Settings& settings, const QList<qint16>& testIndexes) {
    QByteArray bytes = SettingsBlock(settings);
    qint16 slot = 0;
    for (const qint16 index : testIndexes) {
        bytes += RatedSceneLines(slot++, index);
    }
    return bytes;
}

std::optional<QByteArray> FreeFlightFile(const Settings& settings, const QString& browserFile,
                                         const QString& sceneFile) {
    const std::optional<QByteArray> browserLine = FreeFlightSceneLine(browserFile);
    const std::optional<QByteArray> sceneLine = FreeFlightSceneLine(sceneFile);
    if (!browserLine || !sceneLine) {
        return std::nullopt;
    }
    return SettingsBlock(settings) + *browserLine + *sceneLine;
}

} // namespace EngineConfig
