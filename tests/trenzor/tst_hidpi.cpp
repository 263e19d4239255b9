// The engine on a screen scaled by 2 (the test starts itself on its own Xvfb
// with QT_SCALE_FACTOR=2): a size in the configuration or on the command line
// is pixels. The command line's runs and the front end's standard run of all
// seven tests draw exactly the pixels asked, in a window and in full screen,
// say so in line 5 of a complete log, and fit the 1024x768 screen; the
// pictures, taken from the screen, are those the scale-1 full-screen picture
// (drawn off screen here) shows.

#include "ConfigParser.h"
#include "EngineFolder.h"
#include "EngineProcess.h"
#include "EngineWindow.h"
#include "MeshScene.h"
#include "OffscreenTarget.h"
#include "SceneFile.h"
#include "ScenePicture.h"
#include "TestScenes.h"
#include "TestSupport.h"
#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "contract/TextFile.h"
#include "results/ResultsLog.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QOpenGLFunctions_2_1>
#include <QOpenGLVersionFunctionsFactory>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>

class TestHidpi : public QObject {
    Q_OBJECT

    static constexpr QSize kPicture{640, 480};
    static constexpr QSize kScreen{1024, 768};
    // The most pixels trenzor_render lets differ between two pictures of the
    // same moment.
    static constexpr int kTolerance = 300;

    EngineFolder m_folder;
    QOffscreenSurface m_surface;
    QOpenGLContext m_context;
    QOpenGLFunctions* m_functions = nullptr;
    QOpenGLFunctions_2_1* m_gl = nullptr;

    static QByteArray line5() {
        return TestSupport::readAll(QStringLiteral("vysledek.log")).split('\n').value(4);
    }

    // The log the front end reads: complete, with all seven blocks.
    static void checkCompleteLog() {
        const ResultsLog::ReadResult read = ResultsLog::ReadResultsLog();
        QCOMPARE(read.outcome, ResultsLog::Outcome::Ok);
        QCOMPARE(read.summary.blockCount, EngineContract::kTestCount);
    }

    // The test's first picture (the path at its start) as a full-screen run
    // at scale 1 draws it: 640x480, 16-bit colour and depth; stretched over
    // the screen the way the engine presents it, when asked.
    QImage reference(int test, bool stretched) {
        if (!m_context.makeCurrent(&m_surface)) {
            return {};
        }
        const RunConfig standard;
        OffscreenTarget picture;
        if (!picture.create(*m_functions, kPicture, 16, 16).isEmpty()) {
            return {};
        }
        const SceneData data = TestScenes::scene(test);
        MeshScene scene(data, false, standard.particleSystemCount, standard.decalCount);
        scene.setup(*m_gl);
        picture.bind(*m_functions);
        ScenePicture::draw(*m_gl, scene, standard, TestScenes::path(test), 0, kPicture);
        QImage image;
        if (stretched) {
            OffscreenTarget screen;
            if (screen.create(*m_functions, kScreen, 24, 16).isEmpty()) {
                screen.bind(*m_functions);
                GLint framebuffer = 0;
                m_gl->glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
                picture.present(*m_functions, *m_gl, unsigned(framebuffer), kScreen);
                image = ScenePicture::readBack(*m_functions, kScreen);
            }
            screen.destroy(*m_functions);
        } else {
            image = ScenePicture::readBack(*m_functions, kPicture);
        }
        scene.teardown(*m_gl);
        picture.destroy(*m_functions);
        m_context.doneCurrent();
        return image;
    }

    static int differingPixels(const QImage& a, const QImage& b) {
        const QImage left = a.convertToFormat(QImage::Format_RGB32);
        const QImage right = b.convertToFormat(QImage::Format_RGB32);
        int differing = 0;
        for (int y = 0; y < left.height(); ++y) {
            for (int x = 0; x < left.width(); ++x) {
                const QRgb p = left.pixel(x, y);
                const QRgb q = right.pixel(x, y);
                const int d = std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                        std::abs(qBlue(p) - qBlue(q))});
                differing += d > 40 ? 1 : 0;
            }
        }
        return differing;
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
        const QString error = m_folder.fill({"--frames", "5"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // Browser files whose first 1000 frames all show the path's start,
        // so that a picture taken from the screen shows a known moment.
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            QVERIFY(TestSupport::writeRaw(
                QStringLiteral("still%1.bin").arg(test),
                SceneFile::encodePath(CameraPath(TestScenes::path(test).keys(), 10, 32766, 1000))));
        }
        m_surface.create();
        QVERIFY(m_context.create() && m_context.makeCurrent(&m_surface));
        m_functions = m_context.functions();
        m_gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_1>(&m_context);
        QVERIFY(m_gl && m_gl->initializeOpenGLFunctions());
        m_context.doneCurrent();
    }

    void init() { QFile::remove(QStringLiteral("vysledek.log")); }

    void commandLineRunDrawsTheAskedPixels_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QByteArray>("conditions");
        QTest::newRow("window") << QStringList{"--size", "640x480"} << kPicture
                                << QByteArray("okno 640x480, ");
        QTest::newRow("full screen") << QStringList{"--size", "640x480", "--fullscreen"} << kScreen
                                     << QByteArray("640x480 na obrazovce 1024x768, ");
        // An odd size at a ratio of 2 needs a window a pixel larger; the
        // picture keeps the size asked.
        QTest::newRow("odd window") << QStringList{"--size", "333x201"} << QSize(334, 202)
                                    << QByteArray("okno 333x201, ");
    }

    void commandLineRunDrawsTheAskedPixels() {
        QFETCH(QStringList, arguments);
        QFETCH(QSize, window);
        QFETCH(QByteArray, conditions);
        EngineProcess engine(arguments + QStringList{"--seconds", "0.5", "--summary", "summary.json"});
        const int code = engine.end(180000);
        QVERIFY2(code == 0, engine.errors().constData());
        checkCompleteLog();
        QVERIFY2(line5().startsWith(conditions), line5().constData());
        const QJsonObject summary =
            QJsonDocument::fromJson(TestSupport::readAll(QStringLiteral("summary.json"))).object();
        QCOMPARE(summary.value(QStringLiteral("complete")).toBool(), true);
        QCOMPARE(engine.windowSize(), window);
    }

    // What "Spustit" starts with the standard settings: a full-screen
    // 640x480 picture; the intro screens left out, as nobody presses keys.
    void frontEndStandardRunDrawsTheStandardPicture() {
        EngineConfig::Settings settings;
        settings.fullScreen = true;
        settings.noIntro = true;
        QVERIFY(!TextFile::Replace(EngineContract::kConfigFileName,
                                   EngineConfig::RatedFile(settings, {0, 1, 2, 3, 4, 5, 6})));
        EngineProcess engine({QStringLiteral("0")});
        QCOMPARE(engine.end(180000), 0);
        checkCompleteLog();
        QVERIFY2(line5().startsWith("640x480 na obrazovce 1024x768, barvy 15 b, Z 16 b, "),
                 line5().constData());
        QCOMPARE(engine.windowSize(), kScreen);
    }

    // The message of an engine that cannot start shows in a window of 640x480
    // pixels, inside the screen.
    void messageWindowFitsTheScreen() {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("nastaveni.atr"), "*DONTSHOWINTRO\r\n"));
        EngineProcess engine({QStringLiteral("0")}, {QStringLiteral("MESA_GL_VERSION_OVERRIDE=1.4")});
        QCOMPARE(engine.end(60000), 1);
        QVERIFY2(engine.errors().contains("OpenGL 1.4"), engine.errors().constData());
        QCOMPARE(engine.windowSize(), kPicture);
    }

    void picturesMatchTheScaleOnePicture_data() {
        QTest::addColumn<int>("test");
        QTest::addColumn<bool>("fullScreen");
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            QTest::addRow("%d window", test) << test << false;
            QTest::addRow("%d full screen", test) << test << true;
        }
    }

    void picturesMatchTheScaleOnePicture() {
        QFETCH(int, test);
        QFETCH(bool, fullScreen);
        const QImage expected = reference(test, fullScreen);
        QVERIFY(!expected.isNull());
        QByteArray config = "*PLAYERCOUNT 1\r\n*PLAYERVIEWPORT 0 0 0 640 480\r\n*PLAYERCONTROLLER 0 -1\r\n"
                            "*NEARCLIPPINGPLANE 0.5\r\n*FARCLIPPINGPLANE 3000\r\n*FIELDOFVIEW 45\r\n"
                            "*NOVSYNC\r\n*NOTIMER\r\n*DONTSHOWINTRO\r\n*RESOLUTION 640 480 16\r\n"
                            "*DEPTHBITS 16\r\n";
        config += fullScreen ? "*FULLSCREEN\r\n" : "";
        config += QStringLiteral("*SCENELIST 0 \"still%1.bin\"\r\n*SCENELIST 0 \"test%1.bin\"\r\n")
                      .arg(test)
                      .toLatin1();
        QVERIFY(TestSupport::writeRaw(QStringLiteral("nastaveni.atr"), config));
        const ConfigParser::Result parsed = ConfigParser::parseFile(QStringLiteral("nastaveni.atr"));
        QVERIFY2(parsed.ok(), qPrintable(parsed.error));
        EngineWindow window(parsed.config, parsed.error);
        QSignalSpy finished(&window, &EngineWindow::finished);
        window.start();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY_WITH_TIMEOUT(window.presentedFrames() >= 2, 30000);
        QCOMPARE(window.engine().phase(), Engine::Phase::Test);
        const QImage shot = window.screen()
                                ->grabWindow(fullScreen ? 0 : window.winId())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
        // Still in the warm-up: the picture shows the path's start.
        QCOMPARE(window.engine().pathTime(), 0.0);
        QTest::keyClick(&window, Qt::Key_Escape);
        QTRY_COMPARE(finished.size(), 1);
        QCOMPARE(shot.size(), fullScreen ? kScreen : kPicture);
        const int differing = differingPixels(shot, expected);
        qInfo("%d pixels differ", differing);
        QVERIFY2(differing <= kTolerance, qPrintable(QString::number(differing)));
    }
};

QTEST_MAIN(TestHidpi)
#include "tst_hidpi.moc"
