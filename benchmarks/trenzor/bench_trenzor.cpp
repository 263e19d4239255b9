#include "EngineWindow.h"
#include "SceneFile.h"
#include "TestScenes.h"
#include "contract/RunConfig.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLWindow>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

// Prints the engine's frame rates: every test on both rendering paths, and
// the engine drawing an empty scene beside a bare clear-and-swap loop in a
// window of the same size and format. Run it on the display to be measured
// (for this project: under xvfb-run with Mesa's software renderer).

namespace {

struct Figures {
    int frames = 0;
    double seconds = 0;
    double rate = 0;
    double meanInstant = 0;
    double processCpu = 0;
    double threadCpu = 0;
};

QByteArray configText(bool safe, int particleSystems, const QString& browser, const QString& scene) {
    QByteArray out =
        "*PLAYERCOUNT 1\r\n*PLAYERVIEWPORT 0 0 0 640 480\r\n*PLAYERCONTROLLER 0 -1\r\n"
        "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 17\r\n"
        "*PLAYERHEADLIMIT 0 -0.2\r\n*NEARCLIPPINGPLANE 0.5\r\n*FARCLIPPINGPLANE 3000\r\n"
        "*FIELDOFVIEW 45\r\n*MOUSESENSITIVITY 0.01\r\n*NOTIMER\r\n*NOVSYNC\r\n*FRAMERATELIMIT 10000\r\n"
        "*RESOLUTION 640 480 16\r\n*DEPTHBITS 16\r\n*DONTSHOWINTRO\r\n";
    if (safe) {
        out += "*SAFE\r\n";
    }
    out += "*DECALCOUNT 0\r\n*PARTICLESYSTEMCOUNT " + QByteArray::number(particleSystems) + "\r\n";
    out += QStringLiteral("*SCENELIST 0 \"%1\"\r\n*SCENELIST 0 \"%2\"\r\n").arg(browser, scene).toLatin1();
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return false;
    }
    return true;
}

// Runs the engine program on one scene and reads the figures it prints.
std::optional<Figures> runEngine(const QString& program, const QDir& dir, bool safe, int particleSystems,
                                 const QString& browser, const QString& scene) {
    if (!writeFile(dir.filePath(QStringLiteral("nastaveni.atr")),
                   configText(safe, particleSystems, browser, scene))) {
        return std::nullopt;
    }
    QProcess engine;
    engine.setWorkingDirectory(dir.path());
    engine.start(program, {QStringLiteral("0")});
    // A run that does not end on its own waits on an error screen.
    if (!engine.waitForFinished(120000)) {
        engine.kill();
        engine.waitForFinished();
    }
    if (engine.exitStatus() != QProcess::NormalExit || engine.exitCode() != 0) {
        std::fprintf(stderr, "engine failed: %s\n", engine.readAllStandardError().constData());
        return std::nullopt;
    }
    static const QRegularExpression summary(QStringLiteral(
        R"((\d+) snímků za ([\d.]+) s, ([\d.]+) snímků/s, průměr okamžitých ([\d.]+) snímků/s, CPU procesu ([\d.]+) )"
        R"(ms/snímek, hlavního vlákna ([\d.]+) ms/snímek)"));
    const QRegularExpressionMatch m = summary.match(QString::fromUtf8(engine.readAllStandardOutput()));
    if (!m.hasMatch()) {
        std::fprintf(stderr, "engine printed no figures\n");
        return std::nullopt;
    }
    return Figures{m.captured(1).toInt(),    m.captured(2).toDouble(), m.captured(3).toDouble(),
                   m.captured(4).toDouble(), m.captured(5).toDouble(), m.captured(6).toDouble()};
}

// The reference: a window of the engine's size and surface format that only
// clears and swaps, as fast as it can.
double bareLoop(double seconds) {
    RunConfig config;
    config.noVsync = true;
    QOpenGLWindow window(QOpenGLWindow::NoPartialUpdate);
    window.setFormat(EngineWindow::formatFor(config));
    window.resize(640, 480);
    window.show();
    QElapsedTimer wait;
    wait.start();
    while (!window.isExposed() && wait.elapsed() < 5000) {
        QCoreApplication::processEvents();
    }
    window.makeCurrent();
    QOpenGLFunctions* gl = window.context()->functions();
    for (int i = 0; i < 10; ++i) {
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        window.context()->swapBuffers(&window);
    }
    QElapsedTimer clock;
    clock.start();
    int frames = 0;
    while (clock.nsecsElapsed() < qint64(seconds * 1e9)) {
        window.makeCurrent();
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        window.context()->swapBuffers(&window);
        QCoreApplication::processEvents();
        ++frames;
    }
    return frames / (double(clock.nsecsElapsed()) / 1e9);
}

// Instructions executed while the toggle functions run, counted by valgrind's
// callgrind (with Mesa's software renderer kept on the calling thread, so the
// drawing is counted too), and the frames the engine presented meanwhile.
struct Count {
    double instructions = 0;
    int frames = 0;
};

std::optional<Count> countInstructions(const QString& program, const QDir& dir, const QString& browser,
                                       const QStringList& toggles, int warmupFrames) {
    if (!writeFile(dir.filePath(QStringLiteral("nastaveni.atr")),
                   configText(false, 0, browser, QStringLiteral("empty.bin")))) {
        return std::nullopt;
    }
    const QString output = dir.filePath(QStringLiteral("callgrind.out"));
    QStringList arguments = {QStringLiteral("--tool=callgrind"), QStringLiteral("--collect-atstart=no"),
                             QStringLiteral("--callgrind-out-file=") + output};
    for (const QString& toggle : toggles) {
        arguments << QStringLiteral("--toggle-collect=") + toggle;
    }
    arguments << program << QStringLiteral("0");
    QProcess valgrind;
    valgrind.setWorkingDirectory(dir.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LP_NUM_THREADS"), QStringLiteral("0"));
    valgrind.setProcessEnvironment(environment);
    valgrind.start(QStringLiteral("valgrind"), arguments);
    if (!valgrind.waitForFinished(600000) || valgrind.exitStatus() != QProcess::NormalExit ||
        valgrind.exitCode() != 0) {
        valgrind.kill();
        valgrind.waitForFinished();
        std::fprintf(stderr, "valgrind failed: %s\n",
                     valgrind.readAllStandardError().right(2000).constData());
        return std::nullopt;
    }
    Count count;
    QFile file(output);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "%s: %s\n", qUtf8Printable(output), qUtf8Printable(file.errorString()));
        return std::nullopt;
    }
    while (!file.atEnd()) {
        const QByteArray line = file.readLine().trimmed();
        if (line.startsWith("summary:") || line.startsWith("totals:")) {
            count.instructions = line.mid(line.indexOf(':') + 1).trimmed().toDouble();
        }
    }
    // An engine that prints how many frames it presented says so; an older
    // one printed only the measured frames, drawn after the warm-up frames
    // and the timing origin.
    const QString out = QString::fromUtf8(valgrind.readAllStandardOutput());
    static const QRegularExpression presented(QStringLiteral("zobrazeno (\\d+) snímků"));
    static const QRegularExpression measured(QStringLiteral("(\\d+) snímků za"));
    if (const QRegularExpressionMatch m = presented.match(out); m.hasMatch()) {
        count.frames = m.captured(1).toInt();
    } else if (const QRegularExpressionMatch m = measured.match(out); m.hasMatch()) {
        count.frames = m.captured(1).toInt() + warmupFrames + 1;
    } else {
        std::fprintf(stderr, "the engine printed no frame count\n");
        return std::nullopt;
    }
    return count;
}

// Instructions per frame of the empty scene: the difference between a short
// and a long run, so that what happens once cancels out.
std::optional<double> instructionsPerFrame(const QString& program, const QDir& dir,
                                           const QStringList& toggles) {
    const auto shortRun = countInstructions(program, dir, QStringLiteral("count-short.bin"), toggles, 10);
    const auto longRun = countInstructions(program, dir, QStringLiteral("count-long.bin"), toggles, 10);
    if (!shortRun || !longRun || longRun->frames <= shortRun->frames) {
        return std::nullopt;
    }
    std::printf("  %s, %s: %d and %d frames, %.0f and %.0f instructions\n", qUtf8Printable(program),
                qUtf8Printable(toggles.join(QStringLiteral(", "))), shortRun->frames, longRun->frames,
                shortRun->instructions, longRun->instructions);
    std::fflush(stdout);
    return (longRun->instructions - shortRun->instructions) / (longRun->frames - shortRun->frames);
}

// The engine's work per frame of the empty scene in instructions, which the
// machine's other load does not change: the whole frame for this engine and
// an older one, and this engine's measuring code alone.
int printInstructions(const QString& program, const QString& oldProgram, const QDir& dir, double seconds) {
    const QVector<CameraPath::Key> keys = TestScenes::path(1).keys();
    if (!writeFile(dir.filePath(QStringLiteral("count-short.bin")),
                   SceneFile::encodePath(CameraPath(keys, seconds, 32766, 10))) ||
        !writeFile(dir.filePath(QStringLiteral("count-long.bin")),
                   SceneFile::encodePath(CameraPath(keys, 2 * seconds, 32766, 10)))) {
        return 1;
    }
    std::printf("Instructions per frame of the empty scene, 640x480 window, counted by callgrind "
                "(runs of %.0f and %.0f s):\n",
                seconds, 2 * seconds);
    const QStringList frame = {QStringLiteral("EngineWindow::tick()")};
    const auto current = instructionsPerFrame(program, dir, frame);
    const auto measuring = instructionsPerFrame(
        program, dir, {QStringLiteral("FrameRecorder::*"), QStringLiteral("Engine::msecsToNextFrame*")});
    if (!current || !measuring) {
        return 1;
    }
    std::printf("  this engine: %.0f instructions a frame, of which the measuring (FrameRecorder, "
                "the next frame's timing) %.0f (%.3f %%)\n",
                *current, *measuring, 100 * *measuring / *current);
    if (!oldProgram.isEmpty()) {
        const auto old = instructionsPerFrame(oldProgram, dir, frame);
        if (!old) {
            return 1;
        }
        std::printf("  older engine: %.0f instructions a frame; this engine %+.2f %%\n", *old,
                    100 * (*current - *old) / *old);
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({QStringLiteral("seconds"), QStringLiteral("Length of each measurement."),
                       QStringLiteral("s"), QStringLiteral("10")});
    options.addOption({QStringLiteral("engine"), QStringLiteral("The engine program."),
                       QStringLiteral("path"), QStringLiteral(TRENZOR_EXE)});
    options.addOption({QStringLiteral("rounds"),
                       QStringLiteral("Alternating rounds of the overhead comparison."), QStringLiteral("n"),
                       QStringLiteral("15")});
    options.addOption({QStringLiteral("overhead-seconds"),
                       QStringLiteral("Length of each measurement of the overhead comparison; short slices "
                                      "alternate often enough to even out other load on the machine."),
                       QStringLiteral("s"), QStringLiteral("1")});
    options.addOption({QStringLiteral("overhead-only"), QStringLiteral("Skip the seven tests.")});
    options.addOption(
        {QStringLiteral("instructions"),
         QStringLiteral("Instead of rates, count the instructions of a frame of the empty scene "
                        "with valgrind's callgrind, on runs of s and 2s seconds."),
         QStringLiteral("s")});
    options.addOption({QStringLiteral("old-engine"),
                       QStringLiteral("With --instructions, an older engine program to count beside."),
                       QStringLiteral("path")});
    options.process(app);
    const int rounds = options.value(QStringLiteral("rounds")).toInt();
    const double overheadSeconds = options.value(QStringLiteral("overhead-seconds")).toDouble();
    const double seconds = options.value(QStringLiteral("seconds")).toDouble();
    const QString program = options.value(QStringLiteral("engine"));

    QTemporaryDir temp;
    const QDir dir(temp.path());
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        const CameraPath path = TestScenes::path(i);
        if (!writeFile(dir.filePath(QStringLiteral("test%1.bin").arg(i)),
                       SceneFile::encodeScene(TestScenes::scene(i))) ||
            !writeFile(dir.filePath(QStringLiteral("browser%1.bin").arg(i)),
                       SceneFile::encodePath(CameraPath(path.keys(), seconds, 32766, 10)))) {
            return 1;
        }
    }
    if (!writeFile(dir.filePath(QStringLiteral("empty.bin")),
                   SceneFile::encodeScene(TestScenes::emptyScene())) ||
        !writeFile(
            dir.filePath(QStringLiteral("emptypath.bin")),
            SceneFile::encodePath(CameraPath(TestScenes::path(1).keys(), overheadSeconds, 32766, 10)))) {
        return 1;
    }

    if (options.isSet(QStringLiteral("instructions"))) {
        return printInstructions(program, options.value(QStringLiteral("old-engine")), dir,
                                 options.value(QStringLiteral("instructions")).toDouble());
    }

    std::printf(
        "Engine overhead, 640x480 window, %.1f s per measurement, bare loop and engine alternating:\n",
        overheadSeconds);
    double bareSum = 0;
    double engineSum = 0;
    QVector<double> ratios;
    for (int round = 0; round < rounds; ++round) {
        const double bare = bareLoop(overheadSeconds);
        const auto engine =
            runEngine(program, dir, false, 0, QStringLiteral("emptypath.bin"), QStringLiteral("empty.bin"));
        if (!engine) {
            return 1;
        }
        std::printf(
            "  bare clear+swap %8.1f fps   engine, empty scene %8.1f fps (%5.1f %%), CPU %.3f ms/frame\n",
            bare, engine->rate, 100 * engine->rate / bare, engine->processCpu);
        bareSum += bare;
        engineSum += engine->rate;
        ratios.append(engine->rate / bare);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf(
        "  engine / bare loop: %.1f %% of the summed rates, median round %.1f %%, worst round %.1f %%\n\n",
        100 * engineSum / bareSum, 100 * ratios[ratios.size() / 2], 100 * ratios.first());
    if (options.isSet(QStringLiteral("overhead-only"))) {
        return 0;
    }

    std::printf("Tests, 640x480 window, 16-bit colour and depth, %.0f s each:\n", seconds);
    std::printf("  %-22s %-6s %8s %10s %12s %14s %14s\n", "test", "path", "frames", "fps", "mean inst.",
                "process CPU", "main thread");
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        for (bool safe : {false, true}) {
            const auto f = runEngine(program, dir, safe, 5, QStringLiteral("browser%1.bin").arg(i),
                                     QStringLiteral("test%1.bin").arg(i));
            if (!f) {
                return 1;
            }
            std::printf("  %d %-20s %-6s %8d %10.2f %12.2f %11.3f ms %11.3f ms\n", i,
                        qPrintable(TestScenes::scene(i).name.leftJustified(20).left(20)),
                        safe ? "safe" : "shaded", f->frames, f->rate, f->meanInstant, f->processCpu,
                        f->threadCpu);
            std::fflush(stdout);
        }
    }
    return 0;
}
