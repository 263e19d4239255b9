#include "EngineConfig.h"

#include "contract/Cp1250Codec.h"

namespace {

QByteArray number(int value) {
    return QByteArray::number(value);
}

// Directives both block writers share, between the controller line and the
// resolution line.
const QList<QByteArray> kFixedLines = {
    "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 17",
    "*PLAYERHEADLIMIT 0 -0.2",
    "*NEARCLIPPINGPLANE 0.5",
    "*FARCLIPPINGPLANE 3000",
    "*FIELDOFVIEW 45",
    "*MOUSESENSITIVITY 0.01",
    "*NOTIMER",
    "*NOVSYNC",
    "*FRAMERATELIMIT 10000",
};

QByteArray sceneLine(qint16 slot, const QByteArray& quotedName) {
    return "*SCENELIST " + number(slot) + " \"" + quotedName + "\"\r\n";
}

} // namespace

namespace EngineConfig {

QByteArray DefaultBlock() {
    QList<QByteArray> lines = {"*PLAYERCOUNT 1", "*PLAYERVIEWPORT 0 0 0 640 480", "*PLAYERCONTROLLER 0 -1"};
    lines += kFixedLines;
    lines += {"*RESOLUTION 640 480 16", "*DECALCOUNT 0", "*PARTICLESYSTEMCOUNT 5"};
    return TextFile::JoinLines(lines);
}

QByteArray SettingsBlock(const Settings& s) {
    QList<QByteArray> lines = {
        "*PLAYERCOUNT 1",
        "*PLAYERVIEWPORT 0 0 0 " + number(s.width) + ' ' + number(s.height),
        s.freeFlight ? "*PLAYERCONTROLLER 0 1" : "*PLAYERCONTROLLER 0 -1",
    };
    lines += kFixedLines;
    lines += "*RESOLUTION " + number(s.width) + ' ' + number(s.height) + ' ' + number(s.colourBits);
    lines += "*DEPTHBITS " + number(s.depthBits);
    if (s.noIntro) {
        lines += "*DONTSHOWINTRO";
    }
    if (s.fullScreen) {
        lines += "*FULLSCREEN";
    }
    if (s.stereo) {
        lines += {"*RED_BLUE_STEREO", "*STEREO_OFFSET 1.5"};
    }
    if (s.endless) {
        lines += "*ENDLESSLOOP";
    }
    if (s.safeMode) {
        lines += "*SAFE";
    }
    lines += {"*DECALCOUNT 0", "*PARTICLESYSTEMCOUNT 5"};
    return TextFile::JoinLines(lines);
}

QByteArray RatedSceneLines(qint16 slot, qint16 testIndex) {
    return sceneLine(slot, "browser" + number(testIndex) + ".bin") +
           sceneLine(slot, "test" + number(testIndex) + ".bin");
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

std::optional<FileError> WriteDefaultConfig() {
    return TextFile::Replace(kFileName, DefaultBlock());
}

std::optional<FileError> WriteSettingsConfig(const Settings& settings) {
    return TextFile::Replace(kFileName, SettingsBlock(settings));
}

std::optional<FileError> AppendRatedScene(qint16 slot, qint16 testIndex) {
    return TextFile::Append(kFileName, RatedSceneLines(slot, testIndex));
}

std::optional<FileError> AppendFreeFlightScene(const QString& fileName) {
    const std::optional<QByteArray> line = FreeFlightSceneLine(fileName);
    if (!line) {
        return FileError{FileError::Operation::Write, kFileName,
                         QStringLiteral("Jméno souboru „%1“ nelze zapsat do seznamu scén.").arg(fileName)};
    }
    return TextFile::Append(kFileName, *line);
}

} // namespace EngineConfig
