#pragma once

#include "contract/EngineContract.h"
#include "contract/RunConfig.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The writer of the test engine's configuration file "nastaveni.atr": a
// block of directives, then the scene list, pair by pair. Every line ends
// with CR LF. EngineConfigParser reads back exactly what Write() writes.
// The front end writes a whole file in one replacement (TextFile::Replace),
// so a failed write leaves the previous one in place: the start-up file when
// none exists, and the settings dialog's file at each confirmation.
namespace EngineConfig {

// The confirmed settings, as the settings dialog hands them over.
struct Settings {
    qint16 width = EngineContract::kStandardWidth;
    qint16 height = EngineContract::kStandardHeight;
    qint16 colourBits = EngineContract::kStandardColourBits;
    qint16 depthBits = EngineContract::kStandardDepthBits;
    bool fullScreen = false;
    bool stereo = false;
    bool noIntro = false;
    bool endless = false;
    bool safeMode = false;
    bool freeFlight = false;
};

// The standard settings of a rated run, as the engine reads them from the
// start-up file's block: the standard screen, no timer, no vertical
// synchronisation, the rated pace and load. No scenes.
RunConfig RatedRun();

// The whole file for a configuration: the block, then each scene pair in its
// slot. The stereo offset is written only with the stereo view. Empty when a
// scene name cannot be written safely (IsSafeSceneName).
std::optional<QByteArray> Write(const RunConfig& config);

// True when the name can stand in a scene list line: it holds no double
// quote, no CR or LF, and only characters Windows-1250 can hold.
bool IsSafeSceneName(const QString& fileName);

// The file the main window writes when there is none: the default block and
// the first test's scene pair.
QByteArray StartUpFile();
// The settings dialog's file for rated tests: the settings block, then the
// scene pair of each ticked test (by test index, ascending) in slots 0, 1, …
QByteArray RatedFile(const Settings& settings, const QList<qint16>& testIndexes);
// The settings dialog's file for a free flight: the settings block, then the
// browser file's and the scene file's lines. Empty when a name cannot be
// written safely (IsSafeSceneName).
std::optional<QByteArray> FreeFlightFile(const Settings& settings, const QString& browserFile,
                                         const QString& sceneFile);

} // namespace EngineConfig
