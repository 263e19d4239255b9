#include "ConfigParser.h"
#include "EngineProcess.h"
#include "EngineWindow.h"
#include "SceneFile.h"
#include "TestScenes.h"
#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/BlockSampling.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineConfig.h"
#include "contract/ResultsLogReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QOpenGLContext>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <ctime>

// Real runs of the engine on an X display (the test starts itself on its own
// Xvfb): tiny browser files of a short path and a few frames, every
// switch, the results log checked line by line.
class TestRun : public QObject {
    Q_OBJECT

private:
    static constexpr int kFrames = 3;
    static constexpr double kTinySeconds = 0.3;

    WorkingFolder m_folder;

    // A small window without vertical synchronisation, at the rated pace,
    // with tiny browser files in the slots; the extra directives follow the
    // scene list, where a later line overrides an earlier one.
    static QByteArray block(bool freeFlight, const QStringList& extra, int slotCount) {
        RunConfig config;
        config.viewportWidth = config.resolutionWidth = 320;
        config.viewportHeight = config.resolutionHeight = 240;
        config.freeFlight = freeFlight;
        config.noVsync = true;
        config.frameRateLimit = EngineContract::kFrameRateLimit;
        for (int slot = 0; slot < slotCount; ++slot) {
            const int test = slot % EngineContract::kTestCount;
            config.scenes.append(
                {QStringLiteral("tiny%1.bin").arg(test), EngineContract::SceneFileName(test)});
        }
        QByteArray out = *EngineConfig::Write(config);
        for (const QString& line : extra) {
            out += line.toLatin1() + "\r\n";
        }
        return out;
    }

    // Reads the results log back as the front end does and checks what its
    // lines hold; returns the frame counts of its blocks, or fails the test.
    static QVector<int> logBlocks() {
        QVector<int> counts;
        [&] {
            const QByteArray bytes = TestSupport::readAll(QStringLiteral("vysledek.log"));
            QVERIFY(bytes.endsWith("\r\n"));
            QCOMPARE(bytes.count("\r\n"), bytes.count('\n'));
            QCOMPARE(bytes.count('\r'), bytes.count('\n'));
            ResultsLogReader log(QStringLiteral("vysledek.log"));
            QCOMPARE(log.status(), ResultsLogReader::Status::Ok);
            const QStringList& text = log.header();
            QVERIFY(text[0].startsWith(QStringLiteral("Trenzor")));
            QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                        .match(text[1])
                        .hasMatch());
            QVERIFY(text[2].endsWith(QStringLiteral(" MB")));
            QVERIFY(text[4].contains(QStringLiteral(" b, Z ")));
            QVERIFY(text[5].contains(QStringLiteral(", ")));
            QVERIFY(!text[6].isEmpty());
            while (log.nextBlock()) {
                const ResultsLogReader::Block& block = log.block();
                QVERIFY(block.frameCount >= 0);
                for (int k = 0; k < block.frameCount; ++k) {
                    QVERIFY(block.values[k] > 0);
                }
                QCOMPARE(block.values.last(), 0.0);
                counts.append(block.frameCount);
            }
            QCOMPARE(log.status(), ResultsLogReader::Status::Ok);
            QVERIFY(log.closingLine().startsWith(QStringLiteral("Konec")));
        }();
        return counts;
    }

    // Runs the configuration in a window of this process; drive, if given,
    // acts on the window while it runs. Returns the exit code, -1 on timeout,
    // -2 when the configuration cannot be written or the window never shows.
    template <typename Drive>
    static int run(const QByteArray& config, Drive drive) {
        if (!TestSupport::writeRaw(QStringLiteral("nastaveni.atr"), config)) {
            return -2;
        }
        const ConfigParser::Result parsed = ConfigParser::parseFile(QStringLiteral("nastaveni.atr"));
        EngineWindow window(parsed.config, parsed.error);
        QSignalSpy finished(&window, &EngineWindow::finished);
        window.start();
        if (!QTest::qWaitForWindowExposed(&window)) {
            return -2;
        }
        drive(window);
        if (finished.isEmpty() && !finished.wait(60000)) {
            return -1;
        }
        return finished.first().first().toInt();
    }

    // The tiny paths' blocks: as many as asked, each within the frame limit
    // (a fast run thins its block to between half the limit and the limit).
    static bool tinyBlocks(const QVector<int>& counts, int blocks) {
        return counts.size() == blocks &&
               std::all_of(counts.begin(), counts.end(), [](int n) { return n >= 1 && n <= kFrames; });
    }

    static int run(const QByteArray& config) {
        return run(config, [](EngineWindow&) {});
    }

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        for (int i = 0; i < EngineContract::kTestCount; ++i) {
            QVERIFY(TestSupport::writeRaw(QStringLiteral("test%1.bin").arg(i),
                                          SceneFile::encodeScene(TestScenes::scene(i))));
            const CameraPath path = TestScenes::path(i);
            QVERIFY(TestSupport::writeRaw(
                QStringLiteral("tiny%1.bin").arg(i),
                SceneFile::encodePath(CameraPath(path.keys(), kTinySeconds, kFrames, 1))));
        }
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("warm.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(3).keys(), 0.5, 32766, 5))));
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("whole.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(4).keys(), 3.0, 60, 10))));
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("pause.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(4).keys(), 2.0, 32766, 1))));
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("long.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(1).keys(), 60, 32766, 1))));
    }

    // The program removes an earlier log before it makes its window; the
    // windows made here start without one.
    void init() { QFile::remove(QStringLiteral("vysledek.log")); }

    void ratedRunOfAllSevenTests() {
        QCOMPARE(run(block(false,
                           {"*NOTIMER", "*DEPTHBITS 16", "*DONTSHOWINTRO", "*DECALCOUNT 0",
                            "*PARTICLESYSTEMCOUNT 5"},
                           7)),
                 0);
        const QVector<int> counts = logBlocks();
        QVERIFY(tinyBlocks(counts, 7));
    }

    void everySwitchTogether() {
        QByteArray config = block(false,
                                  {"*NOTIMER", "*RESOLUTION 256 192 32", "*DEPTHBITS 24", "*DONTSHOWINTRO",
                                   "*FULLSCREEN", "*RED_BLUE_STEREO", "*STEREO_OFFSET 1.5", "*SAFE",
                                   "*DECALCOUNT 4", "*PARTICLESYSTEMCOUNT 2"},
                                  1);
        config += "*SCENELIST 1 \"long.bin\"\r\n*SCENELIST 1 \"test1.bin\"\r\n";
        QImage shot;
        const int code = run(config, [&](EngineWindow& window) {
            QTRY_VERIFY_WITH_TIMEOUT(
                window.engine().slot() == 1 && window.engine().phase() == Engine::Phase::Test, 30000);
            QTest::qWait(500);
            QCOMPARE(window.geometry(), window.screen()->geometry());
            shot = window.screen()->grabWindow(0).toImage();
            QTest::keyClick(&window, Qt::Key_Escape);
        });
        QCOMPARE(code, 0);
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QVERIFY(tinyBlocks(logBlocks(), 1));
        // The off-screen picture gets exactly the asked bits; the screen is
        // Xvfb's.
        const QByteArray line5 = log.split('\n')[4];
        QVERIFY2(line5.startsWith("256x192 na obrazovce 1024x768, barvy 32 b, Z 24 b, "), line5.constData());
        QVERIFY(line5.endsWith(", bezpe\xE8n\xFD m\xF3"
                               "d\r"));
        QVERIFY2(line5.size() <= 90, line5.constData());

        // The anaglyph of the star scene covers the whole screen: each
        // quarter of it has red or blue light, and no eye wrote green.
        QCOMPARE(shot.size(), QSize(1024, 768));
        int maxGreen = 0;
        int litQuarters = 0;
        for (int quarter = 0; quarter < 4; ++quarter) {
            bool lit = false;
            for (int y = (quarter / 2) * 384; y < (quarter / 2 + 1) * 384; y += 3) {
                for (int x = (quarter % 2) * 512; x < (quarter % 2 + 1) * 512; x += 3) {
                    const QColor c = shot.pixelColor(x, y);
                    maxGreen = std::max(maxGreen, c.green());
                    lit = lit || c.red() > 100 || c.blue() > 100;
                }
            }
            litQuarters += lit ? 1 : 0;
        }
        QCOMPARE(litQuarters, 4);
        QVERIFY2(maxGreen < 24, qPrintable(QString::number(maxGreen)));
    }

    // Every frame the window presented is a warm-up frame, the time origin
    // or a measured frame in the log; line 5 tells what the window got.
    void presentedFramesAreWarmupOriginAndMeasured() {
        QByteArray config = block(false, {"*NOTIMER", "*DONTSHOWINTRO", "*DEPTHBITS 16"}, 0);
        config += "*SCENELIST 0 \"warm.bin\"\r\n*SCENELIST 0 \"test3.bin\"\r\n";
        int presented = 0;
        QSurfaceFormat granted;
        QByteArray vsync;
        const int code = run(config, [&](EngineWindow& window) {
            granted = window.context()->format();
            window.makeCurrent();
            using GetInterval = int (*)();
            const auto getInterval =
                reinterpret_cast<GetInterval>(window.context()->getProcAddress("glXGetSwapIntervalMESA"));
            vsync = !getInterval         ? "synchr. neov\xEC\xF8iteln\xE1"
                    : getInterval() == 0 ? "synchr. vypnuta"
                                         : "ovlada\xE8 nevypnul synchr.";
            QTRY_VERIFY_WITH_TIMEOUT(window.engine().phase() == Engine::Phase::Done, 30000);
            presented = window.presentedFrames();
        });
        QCOMPARE(code, 0);
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        const QVector<int> counts = logBlocks();
        QCOMPARE(counts.size(), 1);
        QVERIFY(counts[0] > 0);
        QCOMPARE(presented, 5 + 1 + counts[0]);

        const QByteArray line5 = log.split('\n')[4];
        const QByteArray expected =
            QStringLiteral("okno 320x240, barvy %1 b, Z %2 b, ")
                .arg(granted.redBufferSize() + granted.greenBufferSize() + granted.blueBufferSize() +
                     std::max(granted.alphaBufferSize(), 0))
                .arg(granted.depthBufferSize())
                .toLatin1();
        QVERIFY2(line5.startsWith(expected), line5.constData());
        QVERIFY2(line5.endsWith(", " + vsync + "\r"), line5.constData());
        QVERIFY2(line5.size() <= 90, line5.constData());
    }

    // A fast run in a tiny viewport still shows its whole path, and thins its
    // block to the frame limit instead of ending early.
    void wholePathInATinyViewport() {
        QByteArray config = block(false, {"*NOTIMER", "*DONTSHOWINTRO"}, 0);
        config.replace("*PLAYERVIEWPORT 0 0 0 320 240", "*PLAYERVIEWPORT 0 0 0 16 16");
        config += "*SCENELIST 0 \"whole.bin\"\r\n*SCENELIST 0 \"test4.bin\"\r\n";
        QVERIFY(TestSupport::writeRaw(QStringLiteral("nastaveni.atr"), config));
        EngineProcess engine({QStringLiteral("0")}, EngineProcess::environment({}),
                             QStringLiteral(TRENZOR_EXE));
        QCOMPARE(engine.end(60000), 0);
        const QString out = QString::fromUtf8(engine.out());
        const QRegularExpressionMatch m =
            QRegularExpression(
                QStringLiteral("zobrazeno (\\d+) snímků: (\\d+) zahřívacích, (\\d+) počátků "
                               "měření, (\\d+) měřených; zapsán každý (\\d+)\\., celkem (\\d+), "
                               "průlet do ([\\d.]+) s"))
                .match(out);
        QVERIFY2(m.hasMatch(), qPrintable(out));
        const int shown = m.captured(1).toInt();
        const int measured = m.captured(4).toInt();
        const int stride = m.captured(5).toInt();
        const int logged = m.captured(6).toInt();
        QCOMPARE(m.captured(2).toInt(), 10);
        QCOMPARE(m.captured(3).toInt(), 1);
        QCOMPARE(shown, 10 + 1 + measured);
        QVERIFY2(m.captured(7).toDouble() >= 3.0, qPrintable(out));
        QVERIFY2(measured > 60 && stride > 1, qPrintable(out));
        QCOMPARE(logged, (measured + stride - 1) / stride);
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QCOMPARE(logBlocks(), QVector<int>{logged});
        QVERIFY(logged <= 60 && logged > 30);
        // The log tells its reader every how many-th of how many frames it holds.
        QVERIFY2(Cp1250Codec::decode(log).contains(
                     QStringLiteral("\r\n0 vzorek: každý %1. snímek; zobrazeno %2 snímků za ")
                         .arg(stride)
                         .arg(measured)),
                 log.right(200).constData());
    }

    // Unmapped for 3 s in the middle of a test: the path stands still, the
    // engine idles, and no logged frame spans the pause.
    void hiddenWindowPausesTheTest() {
        QByteArray config = block(false, {"*NOTIMER", "*DONTSHOWINTRO"}, 0);
        config.replace("*PLAYERVIEWPORT 0 0 0 320 240", "*PLAYERVIEWPORT 0 0 0 64 64");
        config += "*SCENELIST 0 \"pause.bin\"\r\n*SCENELIST 0 \"test4.bin\"\r\n";
        QElapsedTimer wall;
        wall.start();
        const int code = run(config, [](EngineWindow& window) {
            QTRY_VERIFY_WITH_TIMEOUT(window.engine().pathTime() > 0.3, 20000);
            window.hide();
            QTRY_VERIFY(!window.isExposed());
            const double hidden = window.engine().pathTime();
            const int presented = window.presentedFrames();
            timespec cpu{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
            const double cpuBefore = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9;
            QTest::qWait(3000);
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
            const double cpuUsed = double(cpu.tv_sec) + double(cpu.tv_nsec) / 1e9 - cpuBefore;
            QCOMPARE(window.engine().pathTime(), hidden);
            QCOMPARE(window.presentedFrames(), presented);
            QVERIFY2(cpuUsed < 1.0, qPrintable(QString::number(cpuUsed)));
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QTRY_VERIFY(window.presentedFrames() > presented + 1);
            QVERIFY2(window.engine().pathTime() - hidden < 1.0,
                     qPrintable(QStringLiteral("%1 -> %2").arg(hidden).arg(window.engine().pathTime())));
        });
        QCOMPARE(code, 0);
        QVERIFY(wall.elapsed() > 5000);
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QCOMPARE(logBlocks().size(), 1);
        const QList<QByteArray> lines = log.split('\n');
        const int frames = lines[7].trimmed().toInt();
        QVERIFY(frames > 0);
        for (const QByteArray& line : lines.mid(8, frames)) {
            QVERIFY2(line.trimmed().toDouble() > 1.0, line.constData());
        }
    }

    void shaderPathWithStereoAndCounter() {
        QCOMPARE(run(block(false,
                           {"*DONTSHOWINTRO", "*RED_BLUE_STEREO", "*STEREO_OFFSET 3",
                            "*PARTICLESYSTEMCOUNT 3", "*DECALCOUNT 2"},
                           3)),
                 0);
        QVERIFY(tinyBlocks(logBlocks(), 3));
    }

    void introWaitsForAKey() {
        int intros = 0;
        const int code = run(block(false, {"*NOTIMER"}, 2), [&](EngineWindow& window) {
            while (window.engine().phase() != Engine::Phase::Done && intros < 5) {
                QTest::qWait(300);
                if (window.engine().phase() == Engine::Phase::Intro) {
                    QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
                    ++intros;
                    QTest::keyClick(&window, Qt::Key_Space);
                }
            }
        });
        QCOMPARE(code, 0);
        QCOMPARE(intros, 2);
        QCOMPARE(logBlocks().size(), 2);
    }

    // The limit holds the frames back to their share of a second: counted
    // from the start of each frame, so one interval between two shown frames
    // may be shorter by the swap's jitter, but not the frames' mean interval.
    void frameRateLimitHoldsTheFrames() {
        QVERIFY(TestSupport::writeRaw(
            QStringLiteral("limited.bin"),
            SceneFile::encodePath(CameraPath(TestScenes::path(1).keys(), 2.6, 100, 3))));
        QByteArray config = block(false, {"*NOTIMER", "*DONTSHOWINTRO", "*FRAMERATELIMIT 5"}, 0);
        config += "*SCENELIST 0 \"limited.bin\"\r\n*SCENELIST 0 \"test1.bin\"\r\n";
        QCOMPARE(run(config), 0);
        const QList<QByteArray> lines = TestSupport::readAll(QStringLiteral("vysledek.log")).split('\n');
        double seconds = 0;
        int frames = 0;
        for (qsizetype i = 7; i < lines.size(); ++i) {
            if (lines[i].contains('.')) {
                const double rate = lines[i].trimmed().toDouble();
                QVERIFY(rate > 0);
                seconds += 1 / rate;
                ++frames;
            }
        }
        // A 2.6 s path at no more than 5 frames a second from the timing
        // origin: at most 14 measured frames (fewer on a loaded machine that
        // draws the scene more slowly than the limit).
        QVERIFY2(frames >= 1 && frames <= 14, qPrintable(QString::number(frames)));
        qInfo("mean frame rate at a limit of 5: %.2f over %d frames", frames / seconds, frames);
        QVERIFY2(frames / seconds < 5.5, qPrintable(QString::number(frames / seconds)));
    }

    void endlessLoopStoppedAfterTwoRounds() {
        int rounds = 0;
        const int code =
            run(block(false, {"*NOTIMER", "*DONTSHOWINTRO", "*ENDLESSLOOP"}, 2), [&](EngineWindow& window) {
                // A round ends where the slot goes back to the first; looked
                // at between any two frames.
                int lastSlot = 0;
                QTimer watch;
                connect(&watch, &QTimer::timeout, [&] {
                    rounds += window.engine().slot() < lastSlot;
                    lastSlot = window.engine().slot();
                });
                watch.start(0);
                QTRY_VERIFY_WITH_TIMEOUT(rounds >= 2, 60000);
                watch.stop();
                QTest::keyClick(&window, Qt::Key_Escape);
            });
        QCOMPARE(code, 0);
        const QVector<int> counts = logBlocks();
        QVERIFY(counts.size() >= 2 * rounds && counts.size() <= 2 * rounds + 1);
    }

    void escapeKeepsTheFinishedTests() {
        QByteArray config = block(false, {"*NOTIMER", "*DONTSHOWINTRO"}, 1);
        config += "*SCENELIST 1 \"long.bin\"\r\n*SCENELIST 1 \"test1.bin\"\r\n";
        const int code = run(config, [](EngineWindow& window) {
            QTRY_VERIFY_WITH_TIMEOUT(window.engine().slot() == 1, 30000);
            QTest::qWait(200);
            QTest::keyClick(&window, Qt::Key_Escape);
        });
        QCOMPARE(code, 0);
        QVERIFY(tinyBlocks(logBlocks(), 1));
    }

    // The landscape does not move: what the window shows changes only with
    // the camera, and the same place shows the same picture.
    void freeFlightFollowsTheKeys() {
        const int code = run(block(true, {"*DONTSHOWINTRO", "*NOTIMER"}, 1), [](EngineWindow& window) {
            QTRY_VERIFY(window.engine().phase() == Engine::Phase::Flight);
            const auto shown = [&window] {
                QTest::qWait(300);
                return window.screen()->grabWindow(window.winId()).toImage();
            };
            const auto hold = [&window](Qt::Key key, int ms) {
                QTest::keyPress(&window, key);
                QTest::qWait(ms);
                QTest::keyRelease(&window, key);
            };
            const QImage start = shown();
            QVERIFY(!start.isNull());
            hold(Qt::Key_Up, 400);
            const QImage forward = shown();
            QVERIFY(forward != start);
            hold(Qt::Key_Semicolon, 200);
            QVERIFY(shown() != forward);
            QTest::keyClick(&window, Qt::Key_0, Qt::KeypadModifier);
            QCOMPARE(shown(), start);

            // A quarter turn with the mouse (157 pixels at 0.01 radians a
            // pixel) turns the view.
            QTest::mouseMove(&window, QPoint(40, 100));
            QTest::mouseMove(&window, QPoint(197, 100));
            QVERIFY(shown() != start);
            QTest::keyClick(&window, Qt::Key_Escape);
        });
        QCOMPARE(code, 0);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }

    void brokenSceneFileShowsWhyAndWritesNoLog() {
        QFile::copy(QStringLiteral("test5.bin"), QStringLiteral("cut.bin"));
        QFile cut(QStringLiteral("cut.bin"));
        QVERIFY(cut.resize(cut.size() - 10));
        QByteArray config = block(false, {"*DONTSHOWINTRO"}, 1);
        config += "*SCENELIST 1 \"tiny5.bin\"\r\n*SCENELIST 1 \"cut.bin\"\r\n";
        const int code = run(config, [](EngineWindow& window) {
            QCOMPARE(window.engine().phase(), Engine::Phase::Message);
            QTest::keyClick(&window, Qt::Key_Space);
        });
        QCOMPARE(code, 1);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }

    // The scene and browser files are read and checked once, before the
    // first test: files that go away during the run do not end it.
    void aRunDrawsWhatWasDecodedAtItsStart() {
        QVERIFY(QFile::copy(QStringLiteral("tiny6.bin"), QStringLiteral("gone-path.bin")));
        QVERIFY(QFile::copy(QStringLiteral("test6.bin"), QStringLiteral("gone-scene.bin")));
        QByteArray config = block(false, {"*NOTIMER"}, 1);
        config += "*SCENELIST 1 \"gone-path.bin\"\r\n*SCENELIST 1 \"gone-scene.bin\"\r\n";
        const int code = run(config, [](EngineWindow& window) {
            QCOMPARE(window.engine().phase(), Engine::Phase::Intro);
            QVERIFY(QFile::remove(QStringLiteral("gone-path.bin")));
            QVERIFY(QFile::remove(QStringLiteral("gone-scene.bin")));
            for (int slot = 0; slot < 2; ++slot) {
                QTRY_VERIFY_WITH_TIMEOUT(
                    window.engine().slot() == slot && window.engine().phase() == Engine::Phase::Intro, 30000);
                QTest::keyClick(&window, Qt::Key_Space);
            }
        });
        QCOMPARE(code, 0);
        QVERIFY(tinyBlocks(logBlocks(), 2));
    }

    void brokenConfigurationShowsWhy() {
        const int code = run("*PLAYERCOUNT 1\r\n*WARP 9\r\n", [](EngineWindow& window) {
            QCOMPARE(window.engine().phase(), Engine::Phase::Message);
            QTest::keyClick(&window, Qt::Key_Escape);
        });
        QCOMPARE(code, 1);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }

    void theProgramItselfRunsAndRefuses() {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("nastaveni.atr"),
                                      block(false, {"*NOTIMER", "*DONTSHOWINTRO"}, 2)));
        EngineProcess run({QStringLiteral("0")}, EngineProcess::environment({}), QStringLiteral(TRENZOR_EXE));
        QCOMPARE(run.end(60000), 0);
        QVERIFY(tinyBlocks(logBlocks(), 2));
        QVERIFY(run.out().contains("scéna 1"));

        // A missing configuration: the reason on standard error, a message
        // window that a key closes; the test cannot press it, so it ends the
        // process after reading the reason.
        QVERIFY(QFile::remove(QStringLiteral("nastaveni.atr")));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), "left from an earlier run\r\n"));
        EngineProcess refused({QStringLiteral("0")}, EngineProcess::environment({}),
                              QStringLiteral(TRENZOR_EXE));
        QTRY_VERIFY_WITH_TIMEOUT((refused.poll(), refused.errors().contains("nastaveni.atr nelze otev")),
                                 20000);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }
};

QTEST_MAIN(TestRun)
#include "tst_run.moc"
