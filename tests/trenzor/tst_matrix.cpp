// The engine's real runs on the desktops and drivers people have: Mesa's zink
// on lavapipe under X and on Wayland, and Qt's Wayland platform under a
// headless Weston the test starts itself, in a window and in full screen, at
// scale factors 1 and 2. Each run flies all seven tests briefly and must end
// with status 0, a complete log and summary, no OpenGL errors, and a line 5
// that states the pixels asked for and the vertical sync the driver really
// left off.

#include "EngineFolder.h"
#include "EngineProcess.h"
#include "HeadlessWeston.h"
#include "contract/EngineContract.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QtTest>

class TestMatrix : public QObject {
    Q_OBJECT

    EngineFolder m_folder;
    HeadlessWeston m_weston;
    int m_westonScale = 0;

    static QByteArray readFile(const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // The environment of a run: the software renderer (through zink on
    // lavapipe when asked) on the test's X display or on its own Weston.
    QProcessEnvironment environment(bool wayland, int scale, bool zink) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LIBGL_ALWAYS_SOFTWARE"), QStringLiteral("1"));
        if (zink) {
            environment.insert(QStringLiteral("MESA_LOADER_DRIVER_OVERRIDE"), QStringLiteral("zink"));
        }
        if (!wayland) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
            return environment;
        }
        if (m_westonScale != scale) {
            if (const QString error = m_weston.start(scale); !error.isEmpty()) {
                qWarning("%s", qPrintable(error));
                m_westonScale = 0;
                return {};
            }
            m_westonScale = scale;
        }
        return m_weston.environment(environment);
    }

    // The results log's line 5 and the sizes of its blocks; fails the test
    // when the log is not whole.
    static QString checkLog(int blocks) {
        QString line5;
        [&] {
            const QByteArray bytes = readFile(QStringLiteral("vysledek.log"));
            QVERIFY2(bytes.endsWith("\r\n"), "no log, or one cut short");
            const QList<QByteArray> lines = bytes.chopped(2).split('\n');
            QVERIFY(lines.size() > EngineContract::kLogHeaderLines);
            line5 = QString::fromLatin1(lines[int(EngineContract::LogLine::Conditions)]).chopped(1);
            qsizetype i = EngineContract::kLogHeaderLines;
            int found = 0;
            while (i < lines.size() && !lines[i].startsWith("Konec")) {
                const int count = lines[i].trimmed().toInt();
                QVERIFY2(count > 0, lines[i].constData());
                QCOMPARE(lines.value(i + count + 1).trimmed(), QByteArray("0"));
                i += count + 2;
                ++found;
            }
            QCOMPARE(found, blocks);
            QCOMPARE(i, lines.size() - 1);
        }();
        return line5;
    }

private slots:
    void initTestCase() {
        const QString error = m_folder.fill({"--frames", "32766"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void init() {
        QFile::remove(QStringLiteral("vysledek.log"));
        QFile::remove(QStringLiteral("souhrn.json"));
    }

    void allSevenTests_data() {
        QTest::addColumn<bool>("wayland");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("zink");
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<QString>("size");
        QTest::newRow("zink on lavapipe, X, window") << false << 1 << true << false << "okno 160x120";
        QTest::newRow("zink on lavapipe, X, full screen")
            << false << 1 << true << true << "160x120 na obrazovce 1024x768";
        // At the end of its run zink shows a frame on the closed window's
        // surface, which breaks the Wayland connection; the run's status
        // stays 0.
        QTest::newRow("zink on lavapipe, Wayland, window") << true << 1 << true << false << "okno 160x120";
        QTest::newRow("Wayland, scale 1, window") << true << 1 << false << false << "okno 160x120";
        QTest::newRow("Wayland, scale 1, full screen")
            << true << 1 << false << true << "160x120 na obrazovce 1024x768";
        QTest::newRow("Wayland, scale 2, window") << true << 2 << false << false << "okno 160x120";
        QTest::newRow("Wayland, scale 2, full screen")
            << true << 2 << false << true << "160x120 na obrazovce 2048x1536";
        // A full-screen window whose buffers changed size when it became
        // full screen crashed zink on lavapipe here.
        QTest::newRow("zink on lavapipe, Wayland, scale 2, full screen")
            << true << 2 << true << true << "160x120 na obrazovce 2048x1536";
    }

    void allSevenTests() {
        QFETCH(bool, wayland);
        QFETCH(int, scale);
        QFETCH(bool, zink);
        QFETCH(bool, fullScreen);
        QFETCH(QString, size);
        const QProcessEnvironment environment = this->environment(wayland, scale, zink);
        QVERIFY2(!environment.isEmpty(), "the test's Weston did not start");
        QStringList arguments = {"--seconds", "0.3", "--size", "160x120", "--summary", "souhrn.json"};
        if (fullScreen) {
            arguments << "--fullscreen";
        }
        QElapsedTimer clock;
        clock.start();
        EngineProcess engine(arguments, environment);
        const int code = engine.end(180000);
        qInfo("%lld ms", clock.elapsed());
        QVERIFY2(code == 0, engine.errors().constData());
        QVERIFY2(!engine.errors().contains("chyba OpenGL"), engine.errors().constData());
        const QString line5 = checkLog(EngineContract::kTestCount);
        // The pixels asked for, the buffer's bits, and the sync: off, as
        // asked, and known to be so.
        QVERIFY2(QRegularExpression(QStringLiteral("^%1, barvy \\d+ b, Z \\d+ b, synchr. vypnuta$")
                                        .arg(QRegularExpression::escape(size)))
                     .match(line5)
                     .hasMatch(),
                 qPrintable(line5));
        QJsonParseError error{};
        const QJsonObject summary =
            QJsonDocument::fromJson(readFile(QStringLiteral("souhrn.json")), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(summary[QStringLiteral("complete")].toBool(), true);
        QCOMPARE(summary[QStringLiteral("glErrors")].toInt(-1), 0);
        QCOMPARE(summary[QStringLiteral("conditions")].toString(), line5);
        const QJsonArray tests = summary[QStringLiteral("tests")].toArray();
        QCOMPARE(tests.size(), EngineContract::kTestCount);
        for (int i = 0; i < EngineContract::kTestCount; ++i) {
            QCOMPARE(tests[i][QStringLiteral("index")].toInt(), i);
            QCOMPARE(tests[i][QStringLiteral("glErrors")].toInt(-1), 0);
            QVERIFY(tests[i][QStringLiteral("frames")].toInt() > 0);
        }
        if (zink) {
            QVERIFY2(summary[QStringLiteral("graphicsCard")].toString().contains(QStringLiteral("zink")),
                     qPrintable(summary[QStringLiteral("graphicsCard")].toString()));
        }
    }
};

QTEST_GUILESS_MAIN(TestMatrix)
#include "tst_matrix.moc"
