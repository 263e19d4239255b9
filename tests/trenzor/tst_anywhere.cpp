#include "EngineProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

// The engine with no display server at all (every display variable unset):
// an off-screen run through EGL, the list of graphics devices, a device that
// cannot be chosen, and picture validation, which passes as drawn and fails
// with each fault a broken driver might make.
class TestAnywhere : public QObject {
    Q_OBJECT

    QTemporaryDir m_folder;

    struct Outcome {
        int status = -1;
        QString out;
        QString err;
    };

    // settings: the environment's extra "NAME=value" entries.
    Outcome engine(const QStringList& arguments, const QStringList& settings = {}) {
        EngineProcess process(arguments,
                              EngineProcess::environment(
                                  QStringList{"-DISPLAY", "-WAYLAND_DISPLAY", "-QT_QPA_PLATFORM"} + settings),
                              QStringLiteral(TRENZOR_EXE), m_folder.path());
        const int status = process.end(120'000);
        return {status, QString::fromUtf8(process.out()), QString::fromUtf8(process.errors())};
    }

private slots:
    void initTestCase() {
        QVERIFY(m_folder.isValid());
        const QDir engineFolder = QFileInfo(QStringLiteral(TRENZOR_EXE)).dir();
        for (const QString& name : engineFolder.entryList({"test*.bin", "browser*.bin"})) {
            QVERIFY(QFile::copy(engineFolder.filePath(name), QDir(m_folder.path()).filePath(name)));
        }
    }

    // Mesa refuses EGL 1.5's debug attribute on softpipe's display; a debug context is asked for through
    // EGL_KHR_create_context.
    void offScreenWithoutDisplayServer_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QStringList>("extra");
        QTest::addRow("llvmpipe, debug") << QString("llvmpipe") << QStringList{"--gl-debug"};
        QTest::addRow("softpipe") << QString("softpipe") << QStringList{};
        QTest::addRow("softpipe, debug") << QString("softpipe") << QStringList{"--gl-debug"};
    }

    void offScreenWithoutDisplayServer() {
        QFETCH(QString, driver);
        QFETCH(QStringList, extra);
        const Outcome run = engine(
            QStringList{"--offscreen", "--tests", "4", "--seconds", "1", "--summary", "s.json"} + extra,
            {"GALLIUM_DRIVER=" + driver});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QFile file(QDir(m_folder.path()).filePath(QStringLiteral("s.json")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QJsonObject summary = QJsonDocument::fromJson(file.readAll()).object();
        QVERIFY2(summary.value("conditions").toString().startsWith("640x480 mimo obrazovku (EGL 0 software)"),
                 qPrintable(summary.value("conditions").toString()));
        QVERIFY(summary.value("graphicsCard").toString().startsWith(driver));
        QCOMPARE(run.err.contains("ladicí hlášení OpenGL zapnuta"), !extra.isEmpty());
        QVERIFY2(!run.err.contains("nedal ladicí kontext"), qPrintable(run.err));
        QFile log(QDir(m_folder.path()).filePath(QStringLiteral("vysledek.log")));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n")).value(4),
                 summary.value("conditions").toString());
    }

    void devicesListedAndChosen() {
        const Outcome list = engine({"--list-gpus"});
        QVERIFY2(list.status == 0, qPrintable(list.err));
        const QStringList lines = list.out.trimmed().split(u'\n');
        // Named as EGL names it, without a context on the device.
        QVERIFY2(lines.value(0).startsWith("0: EGL zařízení software Mesa") &&
                     lines.value(0).endsWith("ovladač swrast, Mesa Project"),
                 qPrintable(list.out));
        QVERIFY(lines.last().startsWith("okno: žádný grafický server"));
        // The last device listed draws; the one past it is refused before
        // any drawing, off screen and for a window alike.
        const qsizetype devices = lines.size() - 1;
        const Outcome last = engine({"--offscreen", "--gpu", QString::number(devices - 1), "--tests", "4",
                                     "--seconds", "0.1", "--size", "16x16"});
        QVERIFY2(last.status == 0, qPrintable(last.err));
        for (const QString& where : {"--offscreen", "--safe"}) {
            const Outcome missing = engine({where, "--gpu", QString::number(devices)});
            QCOMPARE(missing.status, 2);
            QVERIFY2(missing.err.contains("--list-gpus"), qPrintable(missing.err));
        }
    }

    // A fault of the driver in every test, or one test's scene file
    // replaced by another test's (first, middle or last of those run): the
    // run passes only when every picture does.
    void validation_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("tests");
        QTest::addColumn<int>("wrong");
        QTest::addRow("as drawn") << QByteArray() << QString("0,1,2,3,4,5,6") << -1;
        QTest::addRow("depth off") << QByteArray("depth") << QString("1") << -1;
        QTest::addRow("textures missing") << QByteArray("texture") << QString("1") << -1;
        QTest::addRow("back faces drawn") << QByteArray("backfaces") << QString("1") << -1;
        QTest::addRow("first test wrong") << QByteArray() << QString("1,2,3") << 1;
        QTest::addRow("middle test wrong") << QByteArray() << QString("2,4,6") << 4;
        QTest::addRow("last test wrong") << QByteArray() << QString("0,5,6") << 6;
    }

    void validation() {
        QFETCH(QByteArray, fault);
        QFETCH(QString, tests);
        QFETCH(int, wrong);
        const QDir folder(m_folder.path());
        QDir(folder.filePath("validace")).removeRecursively();
        const QString wrongFile = folder.filePath(QStringLiteral("test%1.bin").arg(wrong));
        if (wrong >= 0) {
            QVERIFY(QFile::rename(wrongFile, wrongFile + ".keep"));
            QVERIFY(
                QFile::copy(folder.filePath(QStringLiteral("test%1.bin").arg((wrong + 3) % 7)), wrongFile));
        }
        QStringList settings{"TRENZOR_VALIDATE_FAULT=" + QString::fromLatin1(fault)};
        // Under the sanitizers, LeakSanitizer's own tracer crashes at the end
        // of a validation that fails (signal 11 while it stops llvmpipe's
        // threads), every time in the sanitizer suite: the leak check of this
        // path is left out there, the address and undefined-behaviour checks
        // stay.
        if (const QByteArray asan = qgetenv("ASAN_OPTIONS"); !asan.isEmpty()) {
            settings << QStringLiteral("ASAN_OPTIONS=%1:detect_leaks=0").arg(QString::fromLatin1(asan));
        }
        const Outcome run = engine({"--validate", "--tests", tests, "--summary", "v.json"}, settings);
        if (wrong >= 0) {
            QVERIFY(QFile::remove(wrongFile));
            QVERIFY(QFile::rename(wrongFile + ".keep", wrongFile));
        }
        const bool allPass = fault.isEmpty() && wrong < 0;
        const QStringList verdicts = run.out.split(u'\n').filter(QRegularExpression("^test \\d"));
        QCOMPARE(verdicts.size(), tests.split(u',').size());
        for (const QString& verdict : verdicts) {
            const bool failing =
                !fault.isEmpty() || verdict.startsWith(QStringLiteral("test %1:").arg(wrong));
            QVERIFY2(verdict.contains(failing ? " neprošel, " : " prošel, 0 rozdílných bodů"),
                     qPrintable(run.out));
        }
        // The engine's standard error with a wrong status: a sanitizer's own
        // crash at exit shows there, and the sanitizer script runs it again.
        QVERIFY2(run.status == (allPass ? 0 : 1),
                 qPrintable(QStringLiteral("status %1\n%2").arg(run.status).arg(run.err)));
        QFile file(folder.filePath(QStringLiteral("v.json")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            QJsonDocument::fromJson(file.readAll()).object().value("validation").toObject().value("passed"),
            QJsonValue(allPass));
        const QDir saved(folder.filePath("validace"));
        const int failed = fault.isEmpty() ? wrong : 1;
        const auto savedOf = [&](const char* path) {
            return saved.exists(QStringLiteral("%1-%2-1.png").arg(failed).arg(path)) &&
                   saved.exists(QStringLiteral("%1-%2-1-rozdil.png").arg(failed).arg(path));
        };
        QCOMPARE(savedOf("shaded") || savedOf("safe"), !allPass);
    }
};

QTEST_GUILESS_MAIN(TestAnywhere)
#include "tst_anywhere.moc"
