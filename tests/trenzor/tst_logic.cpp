#include "CameraPath.h"
#include "CommandLine.h"
#include "ConsoleReport.h"
#include "EngineFile.h"
#include "FlightCamera.h"
#include "FrameRecorder.h"
#include "KeyMap.h"
#include "LogHeader.h"
#include "MeshScene.h"
#include "Noise.h"
#include "RunSummary.h"
#include "StereoView.h"
#include "SwapControl.h"
#include "SystemInfo.h"
#include "TestScenes.h"
#include "TestSupport.h"
#include "TextureImage.h"
#include "WindowPixels.h"
#include "contract/EngineContract.h"

#include "GpuChoice.h"
#include "PictureComparison.h"
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cerrno>
#include <cmath>

#include <cstring>
#include <sys/stat.h>

// The measuring, the results log, the camera and the key mapping: the
// engine's logic that needs no display.
class TestLogic : public QObject {
    Q_OBJECT

private:
    static constexpr qint64 kMs = 1'000'000;

    // One frame: begun at start, shown at shown; returns the path time drawn.
    static double frame(FrameRecorder& recorder, qint64 start, qint64 shown) {
        const double time = recorder.frameStarted(start);
        recorder.frameShown(shown);
        return time;
    }

    static void checkCounts(const FrameRecorder& recorder, int warmup) {
        const FrameRecorder::Counts counts = recorder.counts();
        QCOMPARE(counts.warmup, warmup);
        QCOMPARE(counts.shown, counts.warmup + counts.origins + counts.measured);
        QCOMPARE(recorder.rates().size(), (counts.measured + counts.stride - 1) / counts.stride);
    }

    // How many of the mesh's triangles lie straight above the point, in the
    // mesh's own coordinates: odd inside a closed mesh or below a terrain.
    static int crossingsAbove(const SceneData::Mesh& mesh, const QVector3D& p) {
        int crossings = 0;
        for (qsizetype i = 0; i + 2 < mesh.indices.size(); i += 3) {
            const QVector3D a = mesh.vertices[mesh.indices[i]].position;
            const QVector3D b = mesh.vertices[mesh.indices[i + 1]].position;
            const QVector3D c = mesh.vertices[mesh.indices[i + 2]].position;
            // Barycentric weights of p in the triangle seen from above.
            const float area = (b.x() - a.x()) * (c.z() - a.z()) - (c.x() - a.x()) * (b.z() - a.z());
            if (area == 0) {
                continue;
            }
            const float wb = ((p.x() - a.x()) * (c.z() - a.z()) - (c.x() - a.x()) * (p.z() - a.z())) / area;
            const float wc = ((b.x() - a.x()) * (p.z() - a.z()) - (p.x() - a.x()) * (b.z() - a.z())) / area;
            const float wa = 1 - wb - wc;
            if (wa >= 0 && wb >= 0 && wc >= 0 && wa * a.y() + wb * b.y() + wc * c.y() > p.y()) {
                ++crossings;
            }
        }
        return crossings;
    }

private slots:
    void recorderSkipsWarmupAndTakesRates() {
        FrameRecorder recorder(2, 10.0, 100);
        QCOMPARE(frame(recorder, 0, 0), 0.0);
        QCOMPARE(frame(recorder, 0, 500 * kMs), 0.0); // a slow first frame must not count
        QVERIFY(!recorder.measuring());
        QCOMPARE(frame(recorder, 500 * kMs, 600 * kMs), 0.0); // time origin
        QVERIFY(recorder.measuring());
        QCOMPARE(recorder.rates().size(), 0);
        QCOMPARE(frame(recorder, 600 * kMs, 620 * kMs), 0.0);
        QCOMPARE(frame(recorder, 620 * kMs, 660 * kMs), 0.02);
        QCOMPARE(recorder.rates(), (QVector<double>{50.0, 25.0}));
        QCOMPARE(recorder.measuredSeconds(), 0.06);
        QVERIFY(!recorder.finished());
        QCOMPARE(recorder.counts().shown, 5);
        QCOMPARE(recorder.counts().origins, 1);
        QCOMPARE(recorder.counts().measured, 2);
        checkCounts(recorder, 2);
        // The console's lines about this test, with 3 ms of processor time
        // over its 2 measured frames.
        QCOMPARE(CpuTime::perFrameMs(5, 0), 0.0);
        const CpuTime::PerFrame cpu{CpuTime::perFrameMs(3 * kMs, 2), CpuTime::perFrameMs(kMs, 2)};
        QCOMPARE(ConsoleReport::testLines(3, QStringLiteral("Les"), recorder, 5, cpu),
                 (QStringList{
                     QStringLiteral("trenzor: scéna 3 \"Les\": 2 snímků za 0.060 s, 33.33 snímků/s, "
                                    "průměr okamžitých 37.50 snímků/s, CPU procesu 1.500 ms/snímek, "
                                    "hlavního vlákna 0.500 ms/snímek"),
                     QStringLiteral("trenzor: scéna 3: zobrazeno 5 snímků: 2 zahřívacích, 1 počátků "
                                    "měření, 2 měřených; zapsán každý 1., celkem 2, průlet do 0.020 s")}));
    }

    // Slow or fast, a test shows its path to the end, and its block keeps
    // the true rates of evenly spread frames within the frame limit.
    void recorderEndsWithThePath_data() {
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("limit");
        QTest::newRow("10 fps, 1 s") << 100 * kMs << 1.0 << 32766;
        QTest::newRow("1000 fps, 10 s") << kMs << 10.0 << 32766;
        QTest::newRow("3300 fps, 10 s") << qint64(303'030) << 10.0 << 32766;
        QTest::newRow("20000 fps, 10 s") << qint64(50'000) << 10.0 << 32766;
        QTest::newRow("1000 fps, 1 s, limit 7") << kMs << 1.0 << 7;
        QTest::newRow("1000 fps, 1 s, limit 1") << kMs << 1.0 << 1;
    }

    void recorderEndsWithThePath() {
        QFETCH(qint64, interval);
        QFETCH(double, seconds);
        QFETCH(int, limit);
        FrameRecorder recorder(10, seconds, limit);
        qint64 t = 0;
        double last = 0;
        while (!recorder.finished()) {
            last = frame(recorder, t, t + interval);
            t += interval;
        }
        QCOMPARE(last, seconds);
        QCOMPARE(recorder.pathTime(), seconds);
        const int measured = recorder.counts().measured;
        QCOMPARE(measured, int(std::ceil(seconds * 1e9 / double(interval) - 1e-9)) + 1);
        QVERIFY(recorder.rates().size() <= limit);
        QVERIFY(recorder.rates().size() > std::min(measured, limit) / 2);
        for (double rate : recorder.rates()) {
            QCOMPARE(rate, 1e9 / double(interval));
        }
        checkCounts(recorder, 10);
        frame(recorder, t, t + kMs);
        QCOMPARE(recorder.counts().shown, 10 + 1 + measured);
    }

    // Over the limit the kept frames are every stride-th: measured frames 0
    // and 4 of 7 with room for 3.
    void recorderThinsEvenly() {
        FrameRecorder recorder(0, 1.0, 3);
        frame(recorder, 0, 0);
        qint64 t = 0;
        for (int i = 0; i < 7; ++i) {
            frame(recorder, t, t + (i + 1) * kMs);
            t += (i + 1) * kMs;
        }
        QCOMPARE(recorder.rates(), (QVector<double>{1000.0, 200.0}));
        QCOMPARE(recorder.counts().stride, 4);
        checkCounts(recorder, 0);
        // The log learns all 7 frames and their 28 ms.
        const BlockSampling sampling = recorder.sampling();
        QCOMPARE(sampling.stride, 4);
        QCOMPARE(sampling.frames, 7);
        QCOMPARE(sampling.seconds, 0.028);
    }

    // A hidden window: the path stands still, no frame spans the pause, and
    // the first frame after it only restarts the timing.
    void recorderPausesWithTheWindow() {
        FrameRecorder recorder(1, 1.0, 32766);
        qint64 t = 0;
        frame(recorder, t, t);
        frame(recorder, t, t);
        double before = 0;
        for (int i = 0; i < 30; ++i) {
            before = frame(recorder, t, t + 10 * kMs);
            t += 10 * kMs;
        }
        recorder.pause(t + 5 * kMs);
        QVERIFY(recorder.paused());
        t += 3000 * kMs;
        recorder.resume(t);
        const double after = frame(recorder, t, t + 10 * kMs);
        QVERIFY2(after - before < 0.02, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
        t += 10 * kMs;
        while (!recorder.finished()) {
            frame(recorder, t, t + 10 * kMs);
            t += 10 * kMs;
        }
        for (double rate : recorder.rates()) {
            QCOMPARE(rate, 100.0);
        }
        QCOMPARE(recorder.counts().origins, 2);
        QVERIFY(recorder.measuredSeconds() < 1.05);
        QVERIFY(double(t) / 1e9 > 4.0);
        checkCounts(recorder, 1);
    }

    // Line 5 of the log: what the run got, in each of the three ways of
    // drawing.
    void headerStatesTheGrantedConditions() {
        LogHeader::Granted granted;
        granted.screen = QSize(1920, 1080);
        granted.render = QSize(640, 480);
        granted.colourBits = 32;
        granted.depthBits = 24;
        granted.vsync = QStringLiteral("bez synchronizace");
        QCOMPARE(LogHeader::conditions(granted),
                 QStringLiteral("okno 640x480, barvy 32 b, Z 24 b, bez synchronizace"));
        granted.fullScreen = true;
        granted.safe = true;
        QCOMPARE(LogHeader::conditions(granted),
                 QStringLiteral(
                     "640x480 na obrazovce 1920x1080, barvy 32 b, Z 24 b, bez synchronizace, bezpečný mód"));
        granted.offscreen = true;
        QCOMPARE(
            LogHeader::conditions(granted),
            QStringLiteral("1920x1080 mimo obrazovku, barvy 32 b, Z 24 b, bez synchronizace, bezpečný mód"));
    }

    // Each documented range of the command line takes its ends and refuses
    // what lies just past them.
    void commandLineRanges_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("accepted");
        const auto row = [](const char* name, const QStringList& arguments, bool accepted) {
            QTest::newRow(name) << arguments << accepted;
        };
        row("seconds, least", {"--seconds", "0.1"}, true);
        row("seconds, just below", {"--seconds", "0.0999"}, false);
        row("seconds, most", {"--seconds", "3600"}, true);
        row("seconds, just above", {"--seconds", "3600.001"}, false);
        row("size, least", {"--size", "16x16"}, true);
        row("size, width just below", {"--size", "15x16"}, false);
        row("size, height just below", {"--size", "16x15"}, false);
        row("size, most", {"--size", "16384x16384"}, true);
        row("size, width just above", {"--size", "16385x16384"}, false);
        row("size, height just above", {"--size", "16384x16385"}, false);
        row("repeat, least", {"--repeat", "2"}, true);
        row("repeat, just below", {"--repeat", "1"}, false);
        row("repeat, most", {"--repeat", "20"}, true);
        row("repeat, just above", {"--repeat", "21"}, false);
        row("repeat until, least", {"--repeat-until", "0.01"}, true);
        row("repeat until, just below", {"--repeat-until", "0.0099"}, false);
        row("repeat until, most", {"--repeat-until", "100"}, true);
        row("repeat until, just above", {"--repeat-until", "100.01"}, false);
        row("sustain, least", {"--sustain", "1"}, true);
        row("sustain, just below", {"--sustain", "0"}, false);
        row("sustain, most", {"--sustain", "120"}, true);
        row("sustain, just above", {"--sustain", "121"}, false);
        row("sustain, not whole minutes", {"--sustain", "1.5"}, false);
        row("sustain with repeat", {"--sustain", "5", "--repeat", "3"}, false);
        row("sustain with repeat until", {"--sustain", "5", "--repeat-until", "2"}, false);
        row("gpu, first", {"--gpu", "0", "--offscreen"}, true);
        row("gpu, just below", {"--gpu", "-1", "--offscreen"}, false);
    }

    void commandLineRanges() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, accepted);
        const CommandLine::Result result = CommandLine::parse(QStringList{"trenzor.exe"} + arguments);
        QCOMPARE(result.action, accepted ? CommandLine::Action::Options : CommandLine::Action::Refuse);
        if (!accepted) {
            QVERIFY2(result.text.contains(arguments.first()), qPrintable(result.text));
            return;
        }
        // The value taken is the one given.
        const QString value = arguments.value(1);
        const QString option = arguments.first();
        if (option == QLatin1String("--seconds")) {
            QCOMPARE(result.options.seconds, value.toDouble());
        } else if (option == QLatin1String("--size")) {
            QCOMPARE(QStringLiteral("%1x%2")
                         .arg(result.config.resolutionWidth)
                         .arg(result.config.resolutionHeight),
                     value);
        } else if (option == QLatin1String("--repeat")) {
            QCOMPARE(result.options.repeat, value.toInt());
        } else if (option == QLatin1String("--repeat-until")) {
            QCOMPARE(result.options.repeatUntilPercent, value.toDouble());
        } else if (option == QLatin1String("--sustain")) {
            QCOMPARE(result.options.sustainMinutes, value.toInt());
            QVERIFY(result.options.repeated());
        } else {
            QCOMPARE(result.options.gpu, value.toInt());
        }
    }

    // Only a regular file up to the limit is read; a FIFO is refused at once
    // instead of waiting for a writer.
    void inputFilesAreRegularAndBounded_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("error");
        QTest::newRow("at the limit") << "limit" << QString();
        QTest::newRow("empty") << "empty" << QString();
        QTest::newRow("one byte over") << "over"
                                       << "je příliš velký";
        QTest::newRow("a FIFO") << "fifo"
                                << "není to obyčejný soubor";
        QTest::newRow("a device") << "device"
                                  << "není to obyčejný soubor";
        QTest::newRow("a folder") << "folder" << QString::fromLocal8Bit(std::strerror(EISDIR));
        QTest::newRow("missing") << "missing" << QString::fromLocal8Bit(std::strerror(ENOENT));
        // A /proc file reports size 0 and holds more: read whole up to the
        // limit, refused one byte past it, never cut at it.
        QTest::newRow("size 0, holds the limit") << "proc" << QString();
        QTest::newRow("size 0, holds one byte more") << "proc over"
                                                     << "je příliš velký";
    }

    void inputFilesAreRegularAndBounded() {
        QFETCH(QString, kind);
        QFETCH(QString, error);
        qint64 limit = 4096;
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("input.bin"));
        QByteArray content;
        if (kind.startsWith(QStringLiteral("proc"))) {
            path = QStringLiteral("/proc/version");
            QFile proc(path);
            QVERIFY(proc.open(QIODevice::ReadOnly));
            content = proc.readAll();
            QVERIFY(content.size() > 16);
            QCOMPARE(QFileInfo(path).size(), 0);
            limit = content.size() - (kind == QStringLiteral("proc over") ? 1 : 0);
        } else if (kind == QStringLiteral("limit") || kind == QStringLiteral("over") ||
                   kind == QStringLiteral("empty")) {
            content = kind == QStringLiteral("empty") ? QByteArray() : QByteArray(limit, 'x');
            if (kind == QStringLiteral("over")) {
                content += 'y';
            }
            QVERIFY(TestSupport::writeRaw(path, content));
        } else if (kind == QStringLiteral("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (kind == QStringLiteral("device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == QStringLiteral("folder")) {
            QVERIFY(QDir().mkdir(path));
        }
        const EngineFile::Result result = EngineFile::read(path, limit);
        if (error.isEmpty()) {
            QVERIFY2(result.ok(), qPrintable(result.error));
            QCOMPARE(result.bytes, content);
        } else {
            QVERIFY2(result.error.contains(error), qPrintable(result.error));
            QVERIFY(result.error.contains(path));
            QVERIFY(result.bytes.isEmpty());
        }
    }

    void defaultKeysMapToLinuxKeys() {
        const int codes[] = {37, 39, 33, 34, 38, 40, 188, 190, 186, 189, 96, 17};
        const int keys[] = {Qt::Key_Left,      Qt::Key_Right, Qt::Key_PageUp, Qt::Key_PageDown,
                            Qt::Key_Up,        Qt::Key_Down,  Qt::Key_Comma,  Qt::Key_Period,
                            Qt::Key_Semicolon, Qt::Key_Minus, Qt::Key_0,      Qt::Key_Control};
        for (int i = 0; i < 12; ++i) {
            QVERIFY2(KeyMap::matches(codes[i], keys[i], i == 10), qPrintable(QString::number(codes[i])));
            QVERIFY(!KeyMap::matches(codes[i], Qt::Key_Space, false));
        }
        QVERIFY(!KeyMap::matches(96, Qt::Key_0, false)); // the main-block 0 is not keypad 0
        QVERIFY(KeyMap::matches(96, Qt::Key_Insert, true));
        QVERIFY(!KeyMap::matches(189, Qt::Key_Minus, true)); // keypad minus is code 109
        QVERIFY(KeyMap::matches(65, Qt::Key_A, false));
        QVERIFY(KeyMap::matches(113, Qt::Key_F2, false));
    }

    void cameraFliesWhereItLooks() {
        FlightCamera camera({0, 0, 10}, {0, 0, 0}, 2.0f, -0.2);
        QCOMPARE(camera.target() - camera.eye(), QVector3D(0, 0, -1));
        camera.setHeld(FlightCamera::Forward, true);
        camera.advance(1.0);
        QVERIFY(qFuzzyCompare(camera.eye(), QVector3D(0, 0, 8)));
        camera.setHeld(FlightCamera::Faster, true);
        camera.advance(0.5);
        QVERIFY(qFuzzyCompare(camera.eye(), QVector3D(0, 0, 4)));
        camera.setHeld(FlightCamera::Forward, false);
        camera.setHeld(FlightCamera::StrafeRight, true);
        camera.advance(0.25);
        QVERIFY(qFuzzyCompare(camera.eye(), QVector3D(2, 0, 4)));
        camera.setHeld(FlightCamera::Home, true);
        QCOMPARE(camera.eye(), QVector3D(0, 0, 10));
    }

    void headStopsShortOfVertical() {
        FlightCamera camera({0, 0, 0}, {0, 0, -1}, 1.0f, -0.2);
        camera.mouseMoved(0, -100000, 0.01);
        QVERIFY(std::abs(camera.pitch() - float(M_PI / 2 - 0.2)) < 1e-5f);
        camera.setHeld(FlightCamera::LookDown, true);
        camera.advance(100);
        QVERIFY(std::abs(camera.pitch() + float(M_PI / 2 - 0.2)) < 1e-5f);
        camera.setHeld(FlightCamera::LookDown, false);
        const QVector3D before = camera.target() - camera.eye();
        camera.mouseMoved(157, 0, 0.01); // about a quarter turn to the right
        const QVector3D after = camera.target() - camera.eye();
        QVERIFY(after.x() > 0.1f && std::abs(before.x()) < 1e-5f);
    }

    // The anaglyph's eyes: parallel, the offset apart across the view, the
    // left one first.
    void stereoEyesStandEitherSideOfTheCamera() {
        const CameraPath::Pose camera{QVector3D(1, 2, 3), QVector3D(1, 2, -7)};
        const std::array<CameraPath::Pose, 2> eyes = StereoView::eyes(camera, 0.5);
        QCOMPARE(eyes[0].eye, QVector3D(0.75f, 2, 3));
        QCOMPARE(eyes[1].eye, QVector3D(1.25f, 2, 3));
        for (const CameraPath::Pose& eye : eyes) {
            QCOMPARE(eye.target - eye.eye, camera.target - camera.eye);
        }
    }

    void pathPassesThroughItsKeys() {
        const CameraPath path({{0, {0, 0, 10}, {}}, {1, {10, 0, 0}, {}}, {2, {0, 0, -10}, {}}}, 2, 100, 0);
        QCOMPARE(path.sample(-1).eye, QVector3D(0, 0, 10));
        QCOMPARE(path.sample(1).eye, QVector3D(10, 0, 0));
        QCOMPARE(path.sample(5).eye, QVector3D(0, 0, -10));
        const QVector3D middle = path.sample(0.5).eye;
        QVERIFY(middle.x() > 4 && middle.z() > 4);
    }

    // Only the outside of an opaque mesh is drawn, so the camera, and the
    // corners of the near clipping plane around it, never enter one.
    void cameraStaysOutsideOpaqueMeshes_data() {
        QTest::addColumn<int>("test");
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            QTest::addRow("%d", test) << test;
        }
    }

    void cameraStaysOutsideOpaqueMeshes() {
        QFETCH(int, test);
        const SceneData scene = TestScenes::scene(test);
        const CameraPath path = TestScenes::path(test);
        QVector<float> radius;
        for (const SceneData::Mesh& mesh : scene.meshes) {
            float r = 0;
            for (const SceneData::Vertex& v : mesh.vertices) {
                r = std::max(r, v.position.length());
            }
            radius.append(r);
        }
        const float reach = 0.5f;
        const QVector3D around[] = {{0, 0, 0},      {reach, 0, 0}, {-reach, 0, 0}, {0, reach, 0},
                                    {0, -reach, 0}, {0, 0, reach}, {0, 0, -reach}};
        for (int step = 0; step <= 200; ++step) {
            const double time = path.seconds() * step / 200;
            const QVector3D eye = path.sample(time).eye;
            for (const SceneData::Instance& instance : scene.instances) {
                if (scene.materials[instance.material].blend != SceneData::Blend::Opaque) {
                    continue;
                }
                const QMatrix4x4 model = MeshScene::modelMatrix(instance, time);
                if ((model.map(QVector3D()) - eye).length() >
                    radius[instance.mesh] * instance.scale + reach) {
                    continue;
                }
                const QMatrix4x4 local = model.inverted();
                for (const QVector3D& offset : around) {
                    const QVector3D p = local.map(eye + offset);
                    QVERIFY2(crossingsAbove(scene.meshes[instance.mesh], p) % 2 == 0,
                             qPrintable(QStringLiteral("at %1 s near (%2, %3, %4)")
                                            .arg(time)
                                            .arg(eye.x())
                                            .arg(eye.y())
                                            .arg(eye.z())));
                }
            }
        }
    }

    // Qt turns a window's size into device pixels by the ratio, rounding:
    // the size found gives exactly the pixels asked at a whole ratio, and at
    // any ratio is the smallest that gives no fewer.
    void windowSizeGivesTheAskedPixels() {
        QCOMPARE(WindowPixels::logicalSize({640, 480}, 1.0), QSize(640, 480));
        QCOMPARE(WindowPixels::logicalSize({640, 480}, 2.0), QSize(320, 240));
        QCOMPARE(WindowPixels::logicalSize({333, 201}, 2.0), QSize(167, 101));
        QCOMPARE(WindowPixels::logicalSize({16, 16}, 0.0), QSize(16, 16));
        for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0}) {
            for (const int pixels : {16, 17, 333, 480, 640, 1023, 1080, 16384}) {
                const int units = WindowPixels::logicalSize({pixels, pixels}, ratio).width();
                const QString what =
                    QStringLiteral("%1 px at %2: %3 units").arg(pixels).arg(ratio).arg(units);
                QVERIFY2(qRound(units * ratio) >= pixels, qPrintable(what));
                QVERIFY2((units - 1) * ratio < pixels, qPrintable(what));
                if (ratio == qFloor(ratio) && pixels % int(ratio) == 0) {
                    QCOMPARE(qRound(units * ratio), pixels);
                }
            }
        }
    }

    void noiseIsRepeatableAndInRange() {
        float low = 1;
        float high = 0;
        for (int i = 0; i < 2000; ++i) {
            const float x = i * 0.37f;
            const float v = Noise::fractal(7, x, x * 0.5f, 1, 5);
            QCOMPARE(Noise::fractal(7, x, x * 0.5f, 1, 5), v);
            low = std::min(low, v);
            high = std::max(high, v);
        }
        QVERIFY(low >= 0 && high < 1 && high - low > 0.3f);
        QVERIFY(Noise::value(1, 0.5f, 0.5f) != Noise::value(2, 0.5f, 0.5f));
        // With a period the noise wraps around.
        QCOMPARE(Noise::value(3, 0.25f, 1.5f, 0, 4), Noise::value(3, 4.25f, 5.5f, 0, 4));
    }

    // A texture repeated over a surface must show no seam: the step from
    // its last column back to its first is no bigger than steps inside it.
    void texturesTileWithoutSeams() {
        for (int p = 0; p < int(SceneData::Pattern::Count); ++p) {
            const SceneData::Texture recipe{SceneData::Pattern(p), 64, 5, {0, 0, 0}, {1, 1, 1}};
            const QImage image = TextureImage::render(recipe);
            QCOMPARE(image.size(), QSize(64, 64));
            QCOMPARE(TextureImage::render(recipe), image);
            const auto step = [&](int a, int b, bool columns) {
                double sum = 0;
                for (int i = 0; i < 64; ++i) {
                    const QColor ca = columns ? image.pixelColor(a, i) : image.pixelColor(i, a);
                    const QColor cb = columns ? image.pixelColor(b, i) : image.pixelColor(i, b);
                    sum += std::abs(ca.red() - cb.red());
                }
                return sum / 64;
            };
            for (bool columns : {true, false}) {
                double inside = 0;
                for (int i = 0; i < 63; ++i) {
                    inside = std::max(inside, step(i, i + 1, columns));
                }
                QVERIFY2(step(63, 0, columns) <= inside + 1,
                         qPrintable(QStringLiteral("pattern %1: seam %2, inside %3")
                                        .arg(p)
                                        .arg(step(63, 0, columns))
                                        .arg(inside)));
            }
        }
    }

    void systemDescriptionsFromProcFiles() {
        QCOMPARE(SystemInfo::memoryFrom("MemTotal:       16310248 kB\nMemFree: 1 kB\n"),
                 QStringLiteral("15927 MB"));
        QCOMPARE(SystemInfo::memoryFrom("garbage"), QStringLiteral("neznámý"));
        QCOMPARE(SystemInfo::operatingSystemFrom("NAME=x\nPRETTY_NAME=\"Debian GNU/Linux 12\"\n", "6.1.0"),
                 QStringLiteral("Debian GNU/Linux 12, jádro 6.1.0"));
        QCOMPARE(SystemInfo::operatingSystemFrom("", ""), QStringLiteral("Linux"));
        const QByteArray cpuinfo = "processor\t: 0\nmodel name\t: Some  CPU @ 3GHz\n\nprocessor\t: 1\n"
                                   "model name\t: Some  CPU @ 3GHz\n";
        QCOMPARE(SystemInfo::processorFrom(cpuinfo), QStringLiteral("Some CPU @ 3GHz, 2 jádra"));
        QByteArray eight;
        for (int i = 0; i < 8; ++i) {
            eight += "processor : " + QByteArray::number(i) + "\nmodel name : X\n";
        }
        QCOMPARE(SystemInfo::processorFrom(eight), QStringLiteral("X, 8 jader"));
        QCOMPARE(SystemInfo::processorFrom("processor : 0\n"), QStringLiteral("neznámý, 1 jádro"));
    }

    // Line 5 claims a state of the vertical sync only when the driver said
    // it; what it cannot say is said so.
    void vsyncAsTheDriverGrantedIt() {
        QCOMPARE(SwapControl::describe(false, 0), QStringLiteral("synchr. vypnuta"));
        QCOMPARE(SwapControl::describe(false, 1), QStringLiteral("ovladač nevypnul synchr."));
        QCOMPARE(SwapControl::describe(false, 2), QStringLiteral("ovladač nevypnul synchr."));
        QCOMPARE(SwapControl::describe(false, std::nullopt), QStringLiteral("synchr. neověřitelná"));
        QCOMPARE(SwapControl::describe(true, 1), QStringLiteral("synchr. zapnuta"));
        QCOMPARE(SwapControl::describe(true, 0), QStringLiteral("ovladač nezapnul synchr."));
        QCOMPARE(SwapControl::describe(true, std::nullopt), QStringLiteral("synchr. neověřitelná"));
    }

    // The summary counts OpenGL errors per test and for the run, and a run
    // with errors is marked incomplete by its caller.
    void summaryCountsOpenGlErrors() {
        RunSummary summary(QStringList(EngineContract::kLogHeaderLines, QStringLiteral("x")), false);
        summary.addBlock(4, {10, 20}, {}, 0);
        summary.addBlock(1, {5}, {}, 3);
        const QJsonObject root =
            QJsonDocument::fromJson(RunSummaryCodec::encode(summary.summary(false))).object();
        QCOMPARE(root[QStringLiteral("glErrors")].toInt(-1), 3);
        QCOMPARE(root[QStringLiteral("complete")].toBool(true), false);
        const QJsonArray tests = root[QStringLiteral("tests")].toArray();
        QCOMPARE(tests.size(), 2);
        QCOMPARE(tests[0][QStringLiteral("index")].toInt(), 4);
        QCOMPARE(tests[0][QStringLiteral("glErrors")].toInt(-1), 0);
        QCOMPARE(tests[1][QStringLiteral("index")].toInt(), 1);
        QCOMPARE(tests[1][QStringLiteral("glErrors")].toInt(-1), 3);
        // Each test has the figures of its own block.
        QCOMPARE(tests[0][QStringLiteral("frames")].toInt(), 2);
        QCOMPARE(tests[1][QStringLiteral("averageRate")].toDouble(), 5.0);
    }

    // A device is chosen for a window through what Mesa reads, or refused.
    void gpuForWindow_data() {
        QTest::addColumn<bool>("software");
        QTest::addColumn<QString>("pciSlot");
        QTest::addColumn<QByteArray>("setting");
        QTest::addRow("software") << true << QString() << QByteArray("LIBGL_ALWAYS_SOFTWARE=1");
        QTest::addRow("pci") << false << QString("0000:01:00.0") << QByteArray("DRI_PRIME=pci-0000_01_00_0");
        QTest::addRow("neither") << false << QString() << QByteArray();
    }

    void gpuForWindow() {
        QFETCH(bool, software);
        QFETCH(QString, pciSlot);
        QFETCH(QByteArray, setting);
        GpuDevice device;
        device.index = 1;
        device.software = software;
        device.pciSlot = pciSlot;
        const GpuChoice::Window window = GpuChoice::forWindow(device);
        QCOMPARE(window.name.isEmpty() ? QByteArray() : window.name + '=' + window.value, setting);
        QCOMPARE(window.error.contains("--gpu 1"), setting.isEmpty());
        QVERIFY(GpuChoice::check({device}, 0).isEmpty());
        QVERIFY(GpuChoice::check({device}, 1).contains("0 až 0"));
    }

    // A channel beyond the tolerance makes a pixel differ, whichever channel
    // it is; the limit is on the count of such pixels.
    void pictureComparison_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("offBy");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("differing");
        QTest::addRow("within tolerance") << 2 << PictureComparison::kTolerance << 1000 << 0;
        QTest::addRow("at the limit")
            << 2 << PictureComparison::kTolerance + 1 << PictureComparison::kAllowedPixels
            << PictureComparison::kAllowedPixels;
        for (const int channel : {0, 1, 2}) {
            QTest::addRow("over the limit in channel %d", channel)
                << channel << PictureComparison::kTolerance + 1 << PictureComparison::kAllowedPixels + 1
                << PictureComparison::kAllowedPixels + 1;
        }
        QTest::addRow("over the limit, far off")
            << 2 << 255 << PictureComparison::kAllowedPixels + 1 << PictureComparison::kAllowedPixels + 1;
    }

    void pictureComparison() {
        QFETCH(int, channel);
        QFETCH(int, offBy);
        QFETCH(int, pixels);
        QFETCH(int, differing);
        // The other channels are alike and not 0.
        std::array<int, 3> was = {100, 100, 100};
        was[std::size_t(channel)] = 0;
        std::array<int, 3> off = was;
        off[std::size_t(channel)] = offBy;
        QImage reference(100, 100, QImage::Format_RGB888);
        reference.fill(QColor(was[0], was[1], was[2]));
        QImage drawn = reference;
        for (int i = 0; i < pixels; ++i) {
            drawn.setPixelColor(i % 100, i / 100, QColor(off[0], off[1], off[2]));
        }
        const PictureComparison::Result result = PictureComparison::compare(drawn, reference);
        QCOMPARE(result.differing, differing);
        QCOMPARE(result.passed(), differing <= PictureComparison::kAllowedPixels);
        QCOMPARE(result.mask.pixelColor(0, 0).value(), differing > 0 ? 255 : 0);
        QCOMPARE(PictureComparison::compare(drawn, reference.scaled(50, 50)).passed(), false);
    }
};

QTEST_GUILESS_MAIN(TestLogic)
#include "tst_logic.moc"
