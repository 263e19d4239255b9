#pragma once

#include "contract/EngineContract.h"
#include "contract/TextFile.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Writers of the test engine's configuration file "nastaveni.atr": a block of
// directives written in one go, then the scene list appended pair by pair.
// Every line ends with CR LF. The block writers replace the file atomically;
// the scene appenders add their lines at its end. Each writer reports a
// failure to its caller instead of ending the program.
namespace EngineConfig {

inline const QString kFileName = EngineContract::kConfigFileName;

// The confirmed settings, as the settings dialog hands them over.
struct Settings {
    qint16 width = 640;
    qint16 height = 480;
    qint16 colourBits = 16;
    qint16 depthBits = 16;
    bool fullScreen = false;
    bool stereo = false;
    bool noIntro = false;
    bool endless = false;
    bool safeMode = false;
    bool freeFlight = false;
};

QByteArray DefaultBlock();
QByteArray SettingsBlock(const Settings& settings);
QByteArray RatedSceneLines(qint16 slot, qint16 testIndex);

// The scene list line of a free-flight file, in Windows-1250. Empty when the
// name cannot be written safely: it holds a double quote, a CR or LF, or a
// character that Windows-1250 cannot hold.
std::optional<QByteArray> FreeFlightSceneLine(const QString& fileName);
bool IsSafeSceneName(const QString& fileName);

std::optional<FileError> WriteDefaultConfig();
std::optional<FileError> WriteSettingsConfig(const Settings& settings);
std::optional<FileError> AppendRatedScene(qint16 slot, qint16 testIndex);
// A name that cannot be written safely is refused as a write error, without
// touching the file.
std::optional<FileError> AppendFreeFlightScene(const QString& fileName);

} // namespace EngineConfig
