#include "ConfigParser.h"
#include "contract/EngineConfig.h"

#include <QTest>

// The directive parser: the files the front end's own writers produce, and
// every way a file can be unusable.
class TestConfig : public QObject {
    Q_OBJECT

private slots:
    // What "Spustit" writes before the settings dialog was ever confirmed.
    void defaultFileGivesItsValues() {
        const EngineConfigParser::Result result = EngineConfigParser::parse(EngineConfig::StartUpFile());
        QVERIFY2(result.ok(), qPrintable(result.error));
        const RunConfig& c = result.config;
        QCOMPARE(c.viewportWidth, 640);
        QCOMPARE(c.viewportHeight, 480);
        QVERIFY(!c.freeFlight);
        QCOMPARE(c.keyCodes[6], 188);
        QCOMPARE(c.keyCodes[11], 17);
        QCOMPARE(c.headLimit, -0.2);
        QCOMPARE(c.nearPlane, 0.5);
        QCOMPARE(c.farPlane, 3000.0);
        QCOMPARE(c.fieldOfView, 45.0);
        QCOMPARE(c.mouseSensitivity, 0.01);
        QVERIFY(c.noTimer && c.noVsync);
        QCOMPARE(c.frameRateLimit, 10000.0);
        QCOMPARE(c.colourBits, 16);
        QCOMPARE(c.depthBits, 16);
        QCOMPARE(c.particleSystemCount, 5);
        QCOMPARE(c.decalCount, 0);
        QVERIFY(!c.fullScreen && !c.redBlueStereo && !c.safe && !c.endlessLoop && !c.dontShowIntro);
        QCOMPARE(c.scenes.size(), 1);
        QCOMPARE(c.scenes[0].browserFile, QStringLiteral("browser0.bin"));
        QCOMPARE(c.scenes[0].sceneFile, QStringLiteral("test0.bin"));
    }

    void everySwitchAndFreeFlight() {
        EngineConfig::Settings settings;
        settings.width = 1600;
        settings.height = 1200;
        settings.colourBits = 32;
        settings.depthBits = 24;
        settings.fullScreen = settings.stereo = settings.noIntro = settings.endless = settings.safeMode =
            settings.freeFlight = true;
        // A free-flight name in the code page: "scéna 1.bin" and "cesta.bin".
        const std::optional<QByteArray> file = EngineConfig::FreeFlightFile(
            settings, QStringLiteral("cesta.bin"), QStringLiteral("scéna 1.bin"));
        QVERIFY(file);
        const EngineConfigParser::Result result = EngineConfigParser::parse(*file);
        QVERIFY2(result.ok(), qPrintable(result.error));
        const RunConfig& c = result.config;
        QVERIFY(c.freeFlight && c.dontShowIntro && c.fullScreen && c.redBlueStereo && c.endlessLoop &&
                c.safe);
        QCOMPARE(c.viewportWidth, 1600);
        QCOMPARE(c.resolutionWidth, 1600);
        QCOMPARE(c.colourBits, 32);
        QCOMPARE(c.depthBits, 24);
        QCOMPARE(c.stereoOffset, 1.5);
        QCOMPARE(c.scenes[0].browserFile, QStringLiteral("cesta.bin"));
        QCOMPARE(c.scenes[0].sceneFile, QStringLiteral("scéna 1.bin"));
    }

    void sevenSlotsInOrder() {
        const EngineConfigParser::Result result =
            EngineConfigParser::parse(EngineConfig::RatedFile({}, {0, 1, 2, 3, 4, 5, 6}));
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.config.scenes.size(), 7);
        QCOMPARE(result.config.scenes[6].browserFile, QStringLiteral("browser6.bin"));
        QCOMPARE(result.config.scenes[6].sceneFile, QStringLiteral("test6.bin"));
    }

    void refusesBrokenFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("fragment");
        const QByteArray scenes = "*SCENELIST 0 \"b.bin\"\r\n*SCENELIST 0 \"t.bin\"\r\n";
        const auto row = [&](const char* name, const QByteArray& body, const char* fragment) {
            QTest::newRow(name) << body << QString::fromUtf8(fragment);
        };
        row("empty file", "", "žádnou scénu");
        row("no scene list", "*NOVSYNC\r\n", "žádnou scénu");
        row("unknown keyword", "*TURBO 1\r\n" + scenes, "řádek 1: neznámý příkaz *TURBO");
        row("line without asterisk", "NOVSYNC\r\n" + scenes, "řádek 1");
        row("blank line inside", "*NOVSYNC\r\n\r\n" + scenes, "řádek 2");
        row("switch with argument", "*SAFE 1\r\n" + scenes, "nemá parametry");
        row("too few arguments", "*PLAYERVIEWPORT 0 0 0 640\r\n" + scenes, "5 parametrů");
        row("not a number", "*FIELDOFVIEW wide\r\n" + scenes, "není číslo");
        row("comma decimal", "*MOUSESENSITIVITY 0,01\r\n" + scenes, "není číslo");
        row("double blank", "*FIELDOFVIEW  45\r\n" + scenes, "1 parametrů");
        row("player 1", "*PLAYERCONTROLLER 1 -1\r\n" + scenes, "jen hráč 0");
        row("controller 0", "*PLAYERCONTROLLER 0 0\r\n" + scenes, "-1 (průlet");
        row("two players", "*PLAYERCOUNT 2\r\n" + scenes, "jeden hráč");
        row("key code 300", "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 300\r\n" + scenes,
            "kód klávesy");
        row("key code beyond int",
            "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 4e18\r\n" + scenes,
            "kód klávesy");
        row("eleven keys", "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96\r\n" + scenes,
            "13 parametrů");
        row("fractional width", "*PLAYERVIEWPORT 0 0 0 640.5 480\r\n" + scenes, "celé číslo");
        row("colour 15 bits", "*RESOLUTION 640 480 15\r\n" + scenes, "barevná hloubka");
        row("depth 8 bits", "*DEPTHBITS 8\r\n" + scenes, "Z-bufferu");
        row("field of view 180", "*FIELDOFVIEW 180\r\n" + scenes, "mimo rozsah");
        row("infinite limit", "*FRAMERATELIMIT inf\r\n" + scenes, "není číslo");
        row("negative decals", "*DECALCOUNT -1\r\n" + scenes, "celé číslo");
        row("far before near", "*NEARCLIPPINGPLANE 10\r\n*FARCLIPPINGPLANE 5\r\n" + scenes, "ořezová");
        // A depth range of nothing: the projection would divide by zero.
        row("far at near", "*NEARCLIPPINGPLANE 10\r\n*FARCLIPPINGPLANE 10\r\n" + scenes, "ořezová");
        row("unquoted name", "*SCENELIST 0 b.bin\r\n*SCENELIST 0 \"t.bin\"\r\n", "v uvozovkách");
        row("empty name", "*SCENELIST 0 \"\"\r\n*SCENELIST 0 \"t.bin\"\r\n", "v uvozovkách");
        row("slot gap", scenes + "*SCENELIST 2 \"b.bin\"\r\n*SCENELIST 2 \"t.bin\"\r\n",
            "očekávána scéna číslo 1");
        row("slot starts at 1", "*SCENELIST 1 \"b.bin\"\r\n*SCENELIST 1 \"t.bin\"\r\n", "číslo 0, uvedena 1");
        row("scene file missing", scenes + "*SCENELIST 1 \"b.bin\"\r\n", "chybí soubor scény");
        row("slot switches midway", "*SCENELIST 0 \"b.bin\"\r\n*SCENELIST 1 \"t.bin\"\r\n",
            "očekávána scéna");
    }

    void refusesBrokenFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, fragment);
        const EngineConfigParser::Result result = EngineConfigParser::parse(bytes);
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(fragment), qPrintable(result.error));
        QVERIFY(result.error.startsWith(QStringLiteral("nastaveni.atr")));
    }

    void acceptsBareLineFeedsAndMissingLastLineEnd() {
        const EngineConfigParser::Result result =
            EngineConfigParser::parse("*SAFE\n*SCENELIST 0 \"b.bin\"\n*SCENELIST 0 \"t.bin\"");
        QVERIFY2(result.ok(), qPrintable(result.error));
        QVERIFY(result.config.safe);
        QCOMPARE(result.config.scenes.size(), 1);
    }

    // Every text file of the program may end its lines with a lone CR; the
    // line numbers of messages count those lines too.
    void loneCarriageReturnsEndLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        const QByteArray scenes = "*SCENELIST 0 \"b.bin\"\r*SCENELIST 0 \"t.bin\"\r";
        QTest::newRow("lone CR throughout") << "*SAFE\r*PLAYERCOUNT 1\r" + scenes << QString();
        QTest::newRow("CR, LF and CR LF mixed") << "*SAFE\r*PLAYERCOUNT 1\n*NOVSYNC\r\n" + scenes + "\n"
                                                << QString();
        QTest::newRow("LF then CR: a blank line")
            << "*SAFE\n\r" + scenes << QStringLiteral("nastaveni.atr, řádek 2: řádek nezačíná hvězdičkou");
        QTest::newRow("error on the second CR line")
            << "*SAFE\r*TURBO 1\r" + scenes
            << QStringLiteral("nastaveni.atr, řádek 2: neznámý příkaz *TURBO");
        QTest::newRow("blank line between two CRs")
            << "*SAFE\r\r" + scenes << QStringLiteral("nastaveni.atr, řádek 2: řádek nezačíná hvězdičkou");
    }

    void loneCarriageReturnsEndLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        const EngineConfigParser::Result result = EngineConfigParser::parse(bytes);
        if (error.isEmpty()) {
            QVERIFY2(result.ok(), qPrintable(result.error));
            QVERIFY(result.config.safe);
            QCOMPARE(result.config.scenes.size(), 1);
            QCOMPARE(result.config.scenes[0].sceneFile, QStringLiteral("t.bin"));
        } else {
            QVERIFY2(result.error.startsWith(error), qPrintable(result.error));
        }
    }

    void missingFileIsNamed() {
        const ConfigParser::Result result =
            ConfigParser::parseFile(QStringLiteral("/nonexistent/nastaveni.atr"));
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(QStringLiteral("/nonexistent/nastaveni.atr")),
                 qPrintable(result.error));
    }
};

QTEST_APPLESS_MAIN(TestConfig)
#include "tst_config.moc"
