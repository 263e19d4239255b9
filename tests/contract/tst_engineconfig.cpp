#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/EngineConfig.h"
#include "contract/EngineConfigParser.h"
#include "contract/TextFile.h"

#include <QtTest>

namespace {

QByteArray lines(std::initializer_list<const char*> items) {
    QByteArray bytes;
    for (const char* item : items) {
        bytes += item;
        bytes += "\r\n";
    }
    return bytes;
}

const QByteArray kFixed = lines({
    "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 17",
    "*PLAYERHEADLIMIT 0 -0.2",
    "*NEARCLIPPINGPLANE 0.5",
    "*FARCLIPPINGPLANE 3000",
    "*FIELDOFVIEW 45",
    "*MOUSESENSITIVITY 0.01",
    "*NOTIMER",
    "*NOVSYNC",
    "*FRAMERATELIMIT 10000",
});

// A configuration far from the standard one in every value the file holds.
RunConfig unusualRun() {
    RunConfig c;
    c.viewportWidth = EngineContract::kMinSize;
    c.viewportHeight = EngineContract::kMaxSize;
    c.freeFlight = true;
    c.keyCodes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 254};
    c.headLimit = 1.5;
    c.nearPlane = 0.25;
    c.farPlane = 12345;
    c.fieldOfView = 90;
    c.mouseSensitivity = -2.5;
    c.frameRateLimit = 60;
    c.resolutionWidth = 1024;
    c.resolutionHeight = 768;
    c.colourBits = 32;
    c.depthBits = 24;
    c.dontShowIntro = c.fullScreen = c.redBlueStereo = c.endlessLoop = c.safe = true;
    c.stereoOffset = -3;
    c.decalCount = 1000;
    c.particleSystemCount = 7;
    c.scenes = {{QStringLiteral("cesta.bin"), QString::fromUtf8("scéna 1.bin")},
                {QStringLiteral("b.bin"), QStringLiteral("t.bin")},
                {QStringLiteral("dráha 3.bin"), QStringLiteral("x y.bin")}};
    return c;
}

} // namespace

Q_DECLARE_METATYPE(RunConfig)

class TestEngineConfig : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() { m_folder.reset(); }

    void startUpFileWithItsScenePair() {
        const QByteArray expected =
            lines({"*PLAYERCOUNT 1", "*PLAYERVIEWPORT 0 0 0 640 480", "*PLAYERCONTROLLER 0 -1"}) + kFixed +
            lines({"*RESOLUTION 640 480 16", "*DECALCOUNT 0", "*PARTICLESYSTEMCOUNT 5",
                   "*SCENELIST 0 \"browser0.bin\"", "*SCENELIST 0 \"test0.bin\""});
        const QByteArray written = EngineConfig::StartUpFile();
        QCOMPARE(written, expected);
        QCOMPARE(written.size(), 413);
        QCOMPARE(written.count("\r\n"), 17);
    }

    void ratedDefaultsBlock() {
        const QByteArray expected =
            lines({"*PLAYERCOUNT 1", "*PLAYERVIEWPORT 0 0 0 640 480", "*PLAYERCONTROLLER 0 -1"}) + kFixed +
            lines({"*RESOLUTION 640 480 16", "*DEPTHBITS 16", "*DECALCOUNT 0", "*PARTICLESYSTEMCOUNT 5"});
        QCOMPARE(EngineConfig::RatedFile(EngineConfig::Settings{}, {}), expected);
        QCOMPARE(expected.size(), 373);
    }

    void everySwitchInItsFixedOrder() {
        EngineConfig::Settings s;
        s.width = 1600;
        s.height = 1200;
        s.colourBits = 32;
        s.depthBits = 24;
        s.fullScreen = s.stereo = s.noIntro = s.endless = s.safeMode = s.freeFlight = true;
        const QByteArray expected =
            lines({"*PLAYERCOUNT 1", "*PLAYERVIEWPORT 0 0 0 1600 1200", "*PLAYERCONTROLLER 0 1"}) + kFixed +
            lines({"*RESOLUTION 1600 1200 32", "*DEPTHBITS 24", "*DONTSHOWINTRO", "*FULLSCREEN",
                   "*RED_BLUE_STEREO", "*STEREO_OFFSET 1.5", "*ENDLESSLOOP", "*SAFE", "*DECALCOUNT 0",
                   "*PARTICLESYSTEMCOUNT 5"});
        QCOMPARE(EngineConfig::RatedFile(s, {}), expected);
        QCOMPARE(expected.count("\r\n"), 22);
    }

    void singleSwitches_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QByteArray>("optional");
        QTest::newRow("no intro") << 0 << lines({"*DONTSHOWINTRO"});
        QTest::newRow("full screen") << 1 << lines({"*FULLSCREEN"});
        QTest::newRow("stereo") << 2 << lines({"*RED_BLUE_STEREO", "*STEREO_OFFSET 1.5"});
        QTest::newRow("endless") << 3 << lines({"*ENDLESSLOOP"});
        QTest::newRow("safe") << 4 << lines({"*SAFE"});
    }

    void singleSwitches() {
        QFETCH(int, which);
        QFETCH(QByteArray, optional);
        EngineConfig::Settings s;
        s.width = 320;
        s.height = 200;
        bool* flags[] = {&s.noIntro, &s.fullScreen, &s.stereo, &s.endless, &s.safeMode};
        *flags[which] = true;
        const QByteArray block = EngineConfig::RatedFile(s, {});
        QVERIFY(
            block.contains("*RESOLUTION 320 200 16\r\n*DEPTHBITS 16\r\n" + optional + "*DECALCOUNT 0\r\n"));
        QVERIFY(block.contains("*PLAYERCONTROLLER 0 -1\r\n"));
    }

    void negativeNumbersAreWrittenWithTheirSign() {
        EngineConfig::Settings s;
        s.width = -5;
        s.height = 0;
        QVERIFY(EngineConfig::RatedFile(s, {}).contains("*PLAYERVIEWPORT 0 0 0 -5 0\r\n"));
        QVERIFY(EngineConfig::RatedFile(s, {}).contains("*RESOLUTION -5 0 16\r\n"));
    }

    void ratedScenesWithGapsInTheIndexes() {
        const EngineConfig::Settings settings;
        QCOMPARE(EngineConfig::RatedFile(settings, {1, 3, 6}),
                 EngineConfig::RatedFile(settings, {}) +
                     lines({"*SCENELIST 0 \"browser1.bin\"", "*SCENELIST 0 \"test1.bin\"",
                            "*SCENELIST 1 \"browser3.bin\"", "*SCENELIST 1 \"test3.bin\"",
                            "*SCENELIST 2 \"browser6.bin\"", "*SCENELIST 2 \"test6.bin\""}));
    }

    void ratedScenePairOfAnySlot() {
        QVERIFY(EngineConfig::RatedFile({}, {0, 1, 3, 5, 2})
                    .endsWith(lines({"*SCENELIST 4 \"browser2.bin\"", "*SCENELIST 4 \"test2.bin\""})));
    }

    void freeFlightNamesInWindows1250() {
        EngineConfig::Settings settings;
        settings.freeFlight = true;
        const std::optional<QByteArray> file = EngineConfig::FreeFlightFile(
            settings, QString::fromUtf8("můj průlet.bin"), QStringLiteral("scene 2.bin"));
        QVERIFY(file);
        QCOMPARE(*file,
                 EngineConfig::RatedFile(settings, {}) +
                     QByteArray("*SCENELIST 0 \"m\xf9j pr\xf9let.bin\"\r\n*SCENELIST 0 \"scene 2.bin\"\r\n"));
    }

    void unsafeFreeFlightNamesAreRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("double quote") << QStringLiteral("a\"b.bin");
        QTest::newRow("line feed (a directive injected)")
            << QStringLiteral("a.bin\"\n*SAFE\n*SCENELIST 0 \"b.bin");
        QTest::newRow("carriage return") << QStringLiteral("a\rb.bin");
        QTest::newRow("outside the code page") << QString::fromUtf8("сцена.bin");
    }

    void unsafeFreeFlightNamesAreRefused() {
        QFETCH(QString, name);
        QVERIFY(!EngineConfig::IsSafeSceneName(name));
        const QString safe = QStringLiteral("ok.bin");
        QVERIFY(EngineConfig::FreeFlightFile({}, safe, safe).has_value());
        QVERIFY(!EngineConfig::FreeFlightFile({}, name, safe).has_value());
        QVERIFY(!EngineConfig::FreeFlightFile({}, safe, name).has_value());
    }

    // What the writer writes, the engine's parser reads back unchanged.
    void roundTrip_data() {
        QTest::addColumn<RunConfig>("config");
        RunConfig rated = EngineConfig::RatedRun();
        for (int test = 0; test < EngineContract::kTestCount; ++test) {
            rated.scenes.append({EngineContract::BrowserFileName(test), EngineContract::SceneFileName(test)});
        }
        QTest::newRow("rated run, seven tests") << rated;
        QTest::newRow("every value unusual") << unusualRun();
        RunConfig bare;
        bare.scenes = {{QStringLiteral("b.bin"), QStringLiteral("t.bin")}};
        QTest::newRow("no switch, no frame-rate limit") << bare;
    }

    void roundTrip() {
        QFETCH(RunConfig, config);
        const std::optional<QByteArray> written = EngineConfig::Write(config);
        QVERIFY(written);
        const EngineConfigParser::Result read = EngineConfigParser::parse(*written);
        QVERIFY2(read.ok(), qPrintable(read.error));
        QVERIFY(read.config == config);
        // The same file with lone CR or lone LF line ends reads the same.
        QByteArray lf = *written;
        lf.replace("\r\n", "\n");
        QByteArray cr = *written;
        cr.replace("\r\n", "\r");
        QVERIFY(EngineConfigParser::parse(lf).config == config);
        const EngineConfigParser::Result fromCr = EngineConfigParser::parse(cr);
        QVERIFY2(fromCr.ok(), qPrintable(fromCr.error));
        QVERIFY(fromCr.config == config);
    }

    // The front end's own files are configurations the engine reads as the
    // rated run: the start-up file exactly, the dialog's standard settings
    // with their depth bits.
    void frontEndFilesReadAsTheRatedRun() {
        RunConfig expected = EngineConfig::RatedRun();
        expected.scenes = {{QStringLiteral("browser0.bin"), QStringLiteral("test0.bin")}};
        QVERIFY(EngineConfigParser::parse(EngineConfig::StartUpFile()).config == expected);
        QVERIFY(EngineConfigParser::parse(EngineConfig::RatedFile({}, {0})).config == expected);
        QCOMPARE(*EngineConfig::Write(expected), EngineConfig::RatedFile({}, {0}));
    }

    void writeRefusesUnsafeSceneNames() {
        RunConfig config = EngineConfig::RatedRun();
        config.scenes = {{QStringLiteral("a.bin"), QStringLiteral("b.bin")}};
        QVERIFY(EngineConfig::Write(config));
        config.scenes.append({QStringLiteral("c.bin"), QStringLiteral("d\"\n*SAFE\n.bin")});
        QVERIFY(!EngineConfig::Write(config));
        config.scenes.last() = {QString::fromUtf8("сцена.bin"), QStringLiteral("d.bin")};
        QVERIFY(!EngineConfig::Write(config));
    }

    // Each file goes out in one replacement, as the program writes it.
    void failedWritesKeepThePreviousFile() {
        QVERIFY(!TextFile::Replace(EngineContract::kConfigFileName, EngineConfig::StartUpFile()));
        const QByteArray before = TestSupport::readAll(EngineContract::kConfigFileName);
        {
            const TestSupport::FileSizeLimit limit(100);
            QVERIFY(TextFile::Replace(EngineContract::kConfigFileName, EngineConfig::RatedFile({}, {0}))
                        .has_value());
        }
        QCOMPARE(TestSupport::readAll(EngineContract::kConfigFileName), before);
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{EngineContract::kConfigFileName});

        QVERIFY(QFile::remove(EngineContract::kConfigFileName));
        QVERIFY(QDir().mkdir(EngineContract::kConfigFileName));
        QVERIFY(TextFile::Replace(EngineContract::kConfigFileName, EngineConfig::StartUpFile()).has_value());
        QVERIFY(QFileInfo(EngineContract::kConfigFileName).isDir());
    }
};

QTEST_GUILESS_MAIN(TestEngineConfig)
#include "tst_engineconfig.moc"
