#include "ConfigParser.h"

#include <QTest>

// The directive parser: the files the front end writes, and every way a file
// can be unusable.
class TestConfig : public QObject {
    Q_OBJECT

private:
    static QByteArray lines(const QStringList& list) {
        QByteArray out;
        for (const QString& line : list) {
            out += line.toLatin1() + "\r\n";
        }
        return out;
    }

    static QStringList defaultBlock() {
        return {"*PLAYERCOUNT 1",
                "*PLAYERVIEWPORT 0 0 0 640 480",
                "*PLAYERCONTROLLER 0 -1",
                "*PLAYERKEYBOARDCONTROLS 0 37 39 33 34 38 40 188 190 186 189 96 17",
                "*PLAYERHEADLIMIT 0 -0.2",
                "*NEARCLIPPINGPLANE 0.5",
                "*FARCLIPPINGPLANE 3000",
                "*FIELDOFVIEW 45",
                "*MOUSESENSITIVITY 0.01",
                "*NOTIMER",
                "*NOVSYNC",
                "*FRAMERATELIMIT 10000",
                "*RESOLUTION 640 480 16",
                "*DECALCOUNT 0",
                "*PARTICLESYSTEMCOUNT 5"};
    }

private slots:
    void defaultFileGivesItsValues() {
        QStringList file = defaultBlock();
        file << "*SCENELIST 0 \"browser0.bin\""
             << "*SCENELIST 0 \"test0.bin\"";
        const ConfigParser::Result result = ConfigParser::parse(lines(file));
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
        QStringList file = defaultBlock();
        file[1] = "*PLAYERVIEWPORT 0 0 0 1600 1200";
        file[2] = "*PLAYERCONTROLLER 0 1";
        file[12] = "*RESOLUTION 1600 1200 32";
        file << "*DEPTHBITS 24"
             << "*DONTSHOWINTRO"
             << "*FULLSCREEN"
             << "*RED_BLUE_STEREO"
             << "*STEREO_OFFSET 1.5"
             << "*ENDLESSLOOP"
             << "*SAFE";
        QByteArray bytes = lines(file);
        // A free-flight name in the code page: "scéna 1.bin" and "cesta.bin".
        bytes += "*SCENELIST 0 \"cesta.bin\"\r\n*SCENELIST 0 \"sc\xE9na 1.bin\"\r\n";
        const ConfigParser::Result result = ConfigParser::parse(bytes);
        QVERIFY2(result.ok(), qPrintable(result.error));
        const RunConfig& c = result.config;
        QVERIFY(c.freeFlight && c.dontShowIntro && c.fullScreen && c.redBlueStereo && c.endlessLoop &&
                c.safe);
        QCOMPARE(c.resolutionWidth, 1600);
        QCOMPARE(c.colourBits, 32);
        QCOMPARE(c.depthBits, 24);
        QCOMPARE(c.stereoOffset, 1.5);
        QCOMPARE(c.scenes[0].sceneFile, QStringLiteral("scéna 1.bin"));
    }

    void sevenSlotsInOrder() {
        QStringList file = defaultBlock();
        for (int i = 0; i < 7; ++i) {
            file << QStringLiteral("*SCENELIST %1 \"browser%1.bin\"").arg(i)
                 << QStringLiteral("*SCENELIST %1 \"test%1.bin\"").arg(i);
        }
        const ConfigParser::Result result = ConfigParser::parse(lines(file));
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(result.config.scenes.size(), 7);
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
        const ConfigParser::Result result = ConfigParser::parse(bytes);
        QVERIFY(!result.ok());
        QVERIFY2(result.error.contains(fragment), qPrintable(result.error));
        QVERIFY(result.error.startsWith(QStringLiteral("nastaveni.atr")));
    }

    void acceptsBareLineFeedsAndMissingLastLineEnd() {
        const ConfigParser::Result result =
            ConfigParser::parse("*SAFE\n*SCENELIST 0 \"b.bin\"\n*SCENELIST 0 \"t.bin\"");
        QVERIFY2(result.ok(), qPrintable(result.error));
        QVERIFY(result.config.safe);
        QCOMPARE(result.config.scenes.size(), 1);
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
