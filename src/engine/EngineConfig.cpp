#include "EngineConfig.h"

#include "contract/Cp1250Codec.h"
#include "contract/TextFile.h"

namespace {

namespace Directive = EngineContract::Directive;

QByteArray number(int value) {
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

// Directives both block writers share, between the controller line and the
// resolution line.
const QList<QByteArray> kFixedLines = {
    directive(Directive::kPlayerKeyboardControls, "0 37 39 33 34 38 40 188 190 186 189 96 17"),
    directive(Directive::kPlayerHeadLimit, "0 -0.2"),
    directive(Directive::kNearClippingPlane, "0.5"),
    directive(Directive::kFarClippingPlane, "3000"),
    directive(Directive::kFieldOfView, "45"),
    directive(Directive::kMouseSensitivity, "0.01"),
    directive(Directive::kNoTimer),
    directive(Directive::kNoVsync),
    directive(Directive::kFrameRateLimit, "10000"),
};

QByteArray sceneLine(qint16 slot, const QByteArray& quotedName) {
    return directive(Directive::kSceneList, number(slot) + " \"" + quotedName + '"') + "\r\n";
}

} // namespace

namespace EngineConfig {

QByteArray DefaultBlock() {
    QList<QByteArray> lines = {directive(Directive::kPlayerCount, "1"),
                               directive(Directive::kPlayerViewport, "0 0 0 640 480"),
                               directive(Directive::kPlayerController, "0 -1")};
    lines += kFixedLines;
    lines += {directive(Directive::kResolution, "640 480 16"), directive(Directive::kDecalCount, "0"),
              directive(Directive::kParticleSystemCount, "5")};
    return TextFile::JoinLines(lines);
}

QByteArray SettingsBlock(const Settings& s) {
    QList<QByteArray> lines = {
        directive(Directive::kPlayerCount, "1"),
        directive(Directive::kPlayerViewport, "0 0 0 " + number(s.width) + ' ' + number(s.height)),
        directive(Directive::kPlayerController, s.freeFlight ? "0 1" : "0 -1"),
    };
    lines += kFixedLines;
    lines += directive(Directive::kResolution,
                       number(s.width) + ' ' + number(s.height) + ' ' + number(s.colourBits));
    lines += directive(Directive::kDepthBits, number(s.depthBits));
    if (s.noIntro) {
        lines += directive(Directive::kDontShowIntro);
    }
    if (s.fullScreen) {
        lines += directive(Directive::kFullScreen);
    }
    if (s.stereo) {
        lines += {directive(Directive::kRedBlueStereo), directive(Directive::kStereoOffset, "1.5")};
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
