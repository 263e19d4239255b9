#pragma once

#include <QString>
#include <QStringView>
#include <array>

// What binds the front end and the test engine: the engine's program file,
// the files they hand each other in the working folder, the seven rated tests, the size of a results
// block, the order of the results log's header lines and its date's form, and the names of the
// configuration's directives. Both programs read these facts from here, so a
// change reaches both at once. Constants only.
namespace EngineContract {

// The test engine's program, beside the front end in the working folder.
// The build names the program it links after this line.
inline const QString kEngineFileName = QStringLiteral("trenzor.exe");

// The engine configuration: written by the front end, read by the engine.
inline const QString kConfigFileName = QStringLiteral("nastaveni.atr");
// The results log: written by the engine, read by the front end.
inline const QString kResultsLogFileName = QStringLiteral("vysledek.log");

// The rated tests, in the order of the settings dialog's boxes, the scene
// slots and the results log's blocks. The build generates a scene file and
// a browser file for each after this line.
constexpr int kTestCount = 7;
constexpr std::array<QStringView, kTestCount> kTestNames = {
    u"Průlet krajinou",      u"Rotující hvězda", u"Pole asteroidů", u"Jeden asteroid",
    u"Procedurální textury", u"Průhlednost",     u"Materiály",
};

// The scene file and the browser file (its camera path) of a rated test.
inline QString SceneFileName(int test) {
    return QStringLiteral("test%1.bin").arg(test);
}
inline QString BrowserFileName(int test) {
    return QStringLiteral("browser%1.bin").arg(test);
}

// The most values one block of the results log holds: the front end counts a
// block's lines in 16 bits, so 32767 frames (32768 lines) cannot be written.
constexpr int kMaxFrameCount = 32766;

// The standard screen of a rated run: the window or picture size and the
// colour and depth bits. The front end's standard settings choose it and its
// start-up configuration asks for it; the engine uses it where a
// configuration names none.
constexpr int kStandardWidth = 640;
constexpr int kStandardHeight = 480;
constexpr int kStandardColourBits = 16;
constexpr int kStandardDepthBits = 16;

// The smallest and largest window or picture side, in pixels, that the
// configuration and the engine's command line accept.
constexpr int kMinSize = 16;
constexpr int kMaxSize = 16384;

// How long a rated test flies along its camera path, in seconds; the browser
// files' paths are laid out for it.
constexpr double kRatedSeconds = 10.0;

// The longest camera path the engine's command line lets a test fly, in
// seconds.
constexpr double kLongestPathSeconds = 3600.0;
// The longest a test's block, or any one of its frames, can have taken: its
// path and at most one frame beyond the path's end, since a test ends with
// the frame that shows it. A log or summary that says more is no run's; the
// front end leaves such a frame out as it leaves out a rate of 0, refuses
// such a block or summary, and so never asks a chart or a table to show a
// time no test can take.
constexpr double kMaxTestSeconds = 2 * kLongestPathSeconds;

// The pace and load of a rated run: drawing as fast as the computer can,
// with no decals and five particle systems.
constexpr double kFrameRateLimit = 10000;
constexpr int kDecalCount = 0;
constexpr int kParticleSystemCount = 5;

// The view and the controls: every configuration the front end writes sets
// these values, and the engine uses them where a directive is missing, so
// that every run shows the same flight through the same clipping planes.
// Windows virtual-key codes: turn left, turn right, look up, look down,
// forward, back, strafe left, strafe right, rise, sink, back to the start,
// faster.
constexpr std::array<int, 12> kKeyCodes = {37, 39, 33, 34, 38, 40, 188, 190, 186, 189, 96, 17};
// Added to a right angle: the head stops this many radians short of looking
// straight up or down.
constexpr double kHeadLimit = -0.2;
constexpr double kNearPlane = 0.5;
constexpr double kFarPlane = 3000.0;
constexpr double kFieldOfView = 45.0;
constexpr double kMouseSensitivity = 0.01;
// The distance between the eyes of the red-blue stereo view.
constexpr double kStereoOffset = 1.5;

// The lines that open the results log, in their order; the test blocks
// follow them.
enum class LogLine {
    Program,
    Date,
    Memory,
    OperatingSystem,
    Conditions,
    Processor,
    GraphicsCard,
};
constexpr int kLogHeaderLines = int(LogLine::GraphicsCard) + 1;

// The date line's form, as QDateTime writes and reads it.
inline const QString kLogDateFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// The directives of the engine configuration, one a line after a "*".
namespace Directive {
constexpr char kPlayerCount[] = "PLAYERCOUNT";
constexpr char kPlayerViewport[] = "PLAYERVIEWPORT";
constexpr char kPlayerController[] = "PLAYERCONTROLLER";
constexpr char kPlayerKeyboardControls[] = "PLAYERKEYBOARDCONTROLS";
constexpr char kPlayerHeadLimit[] = "PLAYERHEADLIMIT";
constexpr char kNearClippingPlane[] = "NEARCLIPPINGPLANE";
constexpr char kFarClippingPlane[] = "FARCLIPPINGPLANE";
constexpr char kFieldOfView[] = "FIELDOFVIEW";
constexpr char kMouseSensitivity[] = "MOUSESENSITIVITY";
constexpr char kNoTimer[] = "NOTIMER";
constexpr char kNoVsync[] = "NOVSYNC";
constexpr char kFrameRateLimit[] = "FRAMERATELIMIT";
constexpr char kResolution[] = "RESOLUTION";
constexpr char kDepthBits[] = "DEPTHBITS";
constexpr char kDontShowIntro[] = "DONTSHOWINTRO";
constexpr char kFullScreen[] = "FULLSCREEN";
constexpr char kRedBlueStereo[] = "RED_BLUE_STEREO";
constexpr char kStereoOffset[] = "STEREO_OFFSET";
constexpr char kEndlessLoop[] = "ENDLESSLOOP";
constexpr char kSafe[] = "SAFE";
constexpr char kDecalCount[] = "DECALCOUNT";
constexpr char kParticleSystemCount[] = "PARTICLESYSTEMCOUNT";
constexpr char kSceneList[] = "SCENELIST";
} // namespace Directive

} // namespace EngineContract
