// The real test engine made to fail in every way a user's machine can make it
// fail: each failure ends with a readable reason, exit status 1 and no crash,
// and the previous run's results log is gone, so the results window reports
// that there are no results instead of showing the old score as new. Keys
// reach the engine's window through xdotool, as a user's would.

#include "EngineFolder.h"
#include "EngineProcess.h"
#include "TestSupport.h"
#include "WaitDialog.h"
#include "common/MessageBox.h"
#include "contract/TextFile.h"
#include "results/ResultsLog.h"
#include "results/Vysledky_Form.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QtEndian>
#include <QtTest>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

class TestFailures : public QObject {
    Q_OBJECT

    EngineFolder m_folder;

    struct Outcome {
        int code = -1;
        QByteArray errors;
        bool windowShown = false;
        qint64 msAfterMessage = -1;
    };

    static QByteArray config(const QByteArray& extra, const QByteArray& browser = "browser1.bin",
                             const QByteArray& scene = "test1.bin") {
        return "*PLAYERCOUNT 1\r\n*PLAYERVIEWPORT 0 0 0 320 240\r\n*PLAYERCONTROLLER 0 -1\r\n*NOVSYNC\r\n" +
               extra + "*SCENELIST 0 \"" + browser + "\"\r\n*SCENELIST 0 \"" + scene + "\"\r\n";
    }

    // Runs the engine in the working folder, its environment changed as
    // EngineProcess::environment() does. Once the reason is on standard
    // error the engine's window is given a key when pressKeyInWindow.
    static Outcome runEngine(const QStringList& changes, bool pressKeyInWindow) {
        EngineProcess engine({QStringLiteral("0")}, changes);
        bool pressed = !pressKeyInWindow;
        const int code = engine.end(60000, [&](const QString& window) {
            if (!pressed && !window.isEmpty() && engine.errors().contains("trenzor: ")) {
                QTest::qWait(300);
                EngineProcess::pressKey(window, QStringLiteral("space"));
                pressed = true;
            }
        });
        return {code, engine.errors(), !engine.windowSeen().isEmpty(), engine.msAfterMessage()};
    }

    // What the user sees after pressing "Zobrazit výsledky": the results
    // window's message, or the score.
    static QString resultsShown() {
        MessageBox::startRecording();
        const Vysledky_Form* results = WaitDialog::showResults();
        QString shown =
            MessageBox::recorded().isEmpty() ? results->Label2->text() : MessageBox::recorded().first().text;
        MessageBox::stopRecording();
        TestSupport::destroyAllWindows();
        return shown;
    }

private slots:
    void initTestCase() {
        const QString error = m_folder.fill({"--frames", "3"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
                 "xdotool is needed to press keys in the engine's window");
    }

    void init() {
        for (const char* name : {"pipe.bin", "zero.bin", "warm.bin", "nastaveni.atr"}) {
            QFile::remove(QString::fromLatin1(name));
        }
        QDir().rmdir(QStringLiteral("vysledek.log"));
        QVERIFY(TestSupport::writeRaw("vysledek.log", "left from an earlier run\r\n"));
    }

    void aFailedStartLeavesNoOldResult_data() {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("prepare");
        QTest::addColumn<QByteArray>("configuration");
        QTest::addColumn<bool>("window");
        QTest::addColumn<bool>("unattended");
        QTest::addColumn<QString>("reason");
        const QByteArray unattended = config("*DONTSHOWINTRO\r\n");
        QTest::newRow("no display") << QStringList{"-DISPLAY", "QT_QPA_PLATFORM=xcb"} << QString()
                                    << unattended << false << true << "grafické prostředí není k dispozici";
        QTest::newRow("OpenGL below 2.1") << QStringList{"MESA_GL_VERSION_OVERRIDE=1.5"} << QString()
                                          << unattended << true << true << "OpenGL 1.5";
        QTest::newRow("OpenGL below 2.1, a key ends it")
            << QStringList{"MESA_GL_VERSION_OVERRIDE=1.5"} << QString() << config({}) << true << false
            << "potřebují OpenGL 2.1";
        QTest::newRow("no OpenGL context") << QStringList{"QT_XCB_GL_INTEGRATION=none"} << QString()
                                           << unattended << true << true << "kontext OpenGL nelze vytvořit";
        QTest::newRow("no OpenGL driver")
            << QStringList{"LIBGL_ALWAYS_SOFTWARE=1", "GALLIUM_DRIVER=nonexistent"} << QString() << unattended
            << true << true << "kontext OpenGL nelze vytvořit";
        QTest::newRow("configuration a FIFO")
            << QStringList{} << "fifo nastaveni.atr" << QByteArray() << true << false
            << "nastaveni.atr nelze otevřít: není to obyčejný soubor";
        QTest::newRow("configuration a link to /dev/zero")
            << QStringList{} << "zero nastaveni.atr" << QByteArray() << true << false
            << "nastaveni.atr nelze otevřít: není to obyčejný soubor";
        QTest::newRow("configuration too large")
            << QStringList{} << QString() << QByteArray("*NOVSYNC\r\n").repeated(200000) + unattended << true
            << false << "nastaveni.atr je příliš velký";
        QTest::newRow("scene file a FIFO")
            << QStringList{} << "fifo pipe.bin" << config("*DONTSHOWINTRO\r\n", "browser1.bin", "pipe.bin")
            << true << true << "pipe.bin nelze otevřít: není to obyčejný soubor";
        QTest::newRow("browser file a link to /dev/zero")
            << QStringList{} << "zero zero.bin" << config("*DONTSHOWINTRO\r\n", "zero.bin", "test1.bin")
            << true << true << "zero.bin nelze otevřít: není to obyčejný soubor";
        // The user's engine refuses what it cannot draw or would never end.
        QTest::newRow("far clipping plane at the near one")
            << QStringList{} << QString()
            << config("*DONTSHOWINTRO\r\n*NEARCLIPPINGPLANE 2\r\n*FARCLIPPINGPLANE 2\r\n") << true << false
            << "vzdálená ořezová rovina musí ležet za blízkou";
        QTest::newRow("browser file with 1001 warm-up frames")
            << QStringList{} << "warmup warm.bin" << config("*DONTSHOWINTRO\r\n", "warm.bin", "test1.bin")
            << true << true << "warm.bin je vadný: počet zahřívacích snímků 1001 je příliš velký";
        QTest::newRow("old log a folder") << QStringList{} << "folder vysledek.log" << unattended << true
                                          << true << "Starý soubor vysledek.log nelze smazat";
        QTest::newRow("picture beyond the memory budget")
            << QStringList{} << QString()
            << config("*DONTSHOWINTRO\r\n*FULLSCREEN\r\n*RESOLUTION 16384 16384 32\r\n") << true << true
            << "nejvýše lze 256 MB";
    }

    void aFailedStartLeavesNoOldResult() {
        QFETCH(QStringList, environment);
        QFETCH(QString, prepare);
        QFETCH(QByteArray, configuration);
        QFETCH(bool, window);
        QFETCH(bool, unattended);
        QFETCH(QString, reason);
        const QString kind = prepare.section(u' ', 0, 0);
        const QString name = prepare.section(u' ', 1);
        if (name == QStringLiteral("vysledek.log")) {
            QVERIFY(QFile::remove(name));
        }
        if (kind == QStringLiteral("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(name).constData(), 0644), 0);
        } else if (kind == QStringLiteral("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), name));
        } else if (kind == QStringLiteral("folder")) {
            QVERIFY(QDir().mkdir(name));
        } else if (kind == QStringLiteral("warmup")) {
            // The browser file's warm-up count, after its 12-byte header,
            // its length in ms and its frame limit.
            QByteArray browser = TestSupport::readAll(QStringLiteral("browser1.bin"));
            QVERIFY(browser.size() > 24);
            qToLittleEndian<quint32>(1001, browser.data() + 20);
            QVERIFY(TestSupport::writeRaw(name, browser));
        }
        if (!configuration.isEmpty()) {
            QVERIFY(TestSupport::writeRaw("nastaveni.atr", configuration));
        }

        const Outcome outcome = runEngine(environment, !unattended);
        QVERIFY2(
            outcome.code == 1,
            qPrintable(
                QStringLiteral("status %1: %2").arg(outcome.code).arg(QString::fromUtf8(outcome.errors))));
        QVERIFY2(QString::fromUtf8(outcome.errors).contains(reason), outcome.errors.constData());
        QCOMPARE(outcome.windowShown, window);
        if (unattended) {
            // Nobody presses a key: the message closes by itself soon.
            QVERIFY2(outcome.msAfterMessage < 15000, qPrintable(QString::number(outcome.msAfterMessage)));
        }
        QVERIFY(!TextFile::NormalFileExists(QStringLiteral("vysledek.log")));
        QCOMPARE(resultsShown(), QStringLiteral("Nejsou k dispozici výsledky testů"));
    }

    // The front end's own run, as a user who may not write the working
    // folder (mode 555) and who has a complete rated log from an earlier run
    // there: the engine cannot remove the old log and ends with status 1;
    // "Zobrazit výsledky" then says that the run failed, shows no score and
    // leaves "Podrobnosti…" disabled, and the old log is still there. In a
    // folder the user may write, the same run replaces the log, and the new
    // one is shown. The front end (the probe, which presses the buttons and
    // writes what it saw) runs as "nobody" when the test runs as root, whom
    // the folder's mode would not stop, and starts the engine as its child.
    void runInAFolderTheUserMayNotWrite_data() {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QByteArray>("seen");
        QTest::newRow("mode 555")
            << false
            << ("48 " + ResultsLog::FailedRunMessage(QStringLiteral("skončil se stavem 1")).toUtf8() +
                "\nscore -\ndetails 0\n");
        QTest::newRow("writable") << true
                                  << QByteArray("score Neproběhl dostatečný počet testů.\ndetails 1\n");
    }
    void runInAFolderTheUserMayNotWrite() {
        QFETCH(bool, writable);
        QFETCH(QByteArray, seen);
        const bool root = ::geteuid() == 0;
        if (root && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
            QSKIP("Running the front end as another user than root needs setpriv.");
        }
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QCOMPARE(::chmod(QFile::encodeName(m_folder.path()).constData(), 0755), 0);
        QDir(QStringLiteral("run")).removeRecursively();
        QVERIFY(QDir().mkdir(QStringLiteral("run")));
        for (const char* name : {"trenzor.exe", "browser1.bin", "test1.bin"}) {
            QVERIFY(
                QFile::copy(QString::fromLatin1(name), QStringLiteral("run/") + QString::fromLatin1(name)));
            QCOMPARE(::chmod(QByteArray("run/").append(name).constData(), 0755), 0);
        }
        QVERIFY(TestSupport::writeRaw(QStringLiteral("run/nastaveni.atr"), config("*DONTSHOWINTRO\r\n")));
        QByteArray old;
        for (int line = 0; line < 7; ++line) {
            old += "popis\r\n";
        }
        for (int block = 0; block < 7; ++block) {
            old += "3\r\n1\r\n2\r\n3\r\n4\r\n";
        }
        old += "Konec\r\n";
        QVERIFY(TestSupport::writeRaw(QStringLiteral("run/vysledek.log"), old, 0644));
        if (root && writable) {
            QCOMPARE(::chown("run", nobody->pw_uid, nobody->pw_gid), 0);
        }
        QCOMPARE(::chmod("run", writable ? 0755 : 0555), 0);
        // The test's X server lets in whoever may read its key.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        const QString key = m_folder.filePath(QStringLiteral("Xauthority"));
        QFile::remove(key);
        QVERIFY(QFile::copy(environment.value(QStringLiteral("XAUTHORITY")), key));
        QCOMPARE(::chmod(QFile::encodeName(key).constData(), 0644), 0);
        environment.insert(QStringLiteral("XAUTHORITY"), key);
        environment.insert(QStringLiteral("HOME"), m_folder.path());

        QProcess probe;
        probe.setProcessEnvironment(environment);
        probe.setWorkingDirectory(m_folder.filePath(QStringLiteral("run")));
        // A copy of the probe, which "nobody" may run wherever the build tree lies.
        const QString probeCopy = m_folder.filePath(QStringLiteral("frontend_probe"));
        QFile::remove(probeCopy);
        QVERIFY(QFile::copy(QStringLiteral(FRONTEND_PROBE), probeCopy));
        QCOMPARE(::chmod(QFile::encodeName(probeCopy).constData(), 0755), 0);
        const QStringList probeRun{probeCopy, QStringLiteral("run")};
        if (root) {
            probe.start(QStringLiteral("setpriv"),
                        QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"} + probeRun);
        } else {
            probe.start(probeRun.first(), probeRun.mid(1));
        }
        const bool finished = probe.waitForFinished(150000);
        // What the probe wrote, without the lines of the engine.
        QByteArray output;
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty() && !line.startsWith("trenzor: ")) {
                output += line + '\n';
            }
        }
        const QByteArray errors = probe.readAllStandardError();
        ::chmod("run", 0755);
        QVERIFY2(finished, errors.constData());
        QCOMPARE(probe.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(output), QString::fromUtf8("running\n" + seen));
        // The engine failed for the folder's mode, not for anything else.
        QCOMPARE(errors.contains("Starý soubor vysledek.log nelze smazat"), !writable);
        if (writable) {
            QVERIFY(TestSupport::readAll(QStringLiteral("run/vysledek.log")) != old);
        } else {
            QCOMPARE(TestSupport::readAll(QStringLiteral("run/vysledek.log")), old);
        }
    }

    // A frame-rate limit of one frame in almost three hours: the engine
    // waits for the next frame in its event loop, so Esc ends it at once.
    void escapeAnswersAtAnyFrameRateLimit() {
        QVERIFY(
            TestSupport::writeRaw("nastaveni.atr", config("*DONTSHOWINTRO\r\n*FRAMERATELIMIT 0.0001\r\n")));
        EngineProcess engine({QStringLiteral("0")});
        QString window;
        QTRY_VERIFY2_WITH_TIMEOUT(!(window = engine.poll()).isEmpty() || !engine.running(),
                                  "no window in 20 s", 20000);
        QVERIFY2(!window.isEmpty(), engine.errors().constData());
        // The first frame is drawn; the second is hours away.
        QTest::qWait(1500);
        engine.poll();
        QVERIFY(engine.running());
        EngineProcess::xdotool({"windowfocus", "--sync", window});
        QElapsedTimer clock;
        clock.start();
        EngineProcess::xdotool({"key", "Escape"});
        const int code = engine.end(5000);
        qInfo("Esc to exit: %lld ms", clock.elapsed());
        QCOMPARE(code, 0);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
        QVERIFY(engine.errors().contains("přerušeno před koncem prvního testu"));
    }
};

QTEST_MAIN(TestFailures)
#include "tst_failures.moc"
