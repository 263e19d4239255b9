#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
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
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString& name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(name);
        }
        for (const QString& setting : settings) {
            environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_folder.path());
        process.start(QStringLiteral(TRENZOR_EXE), arguments);
        if (!process.waitForFinished(120'000)) {
            process.kill();
            process.waitForFinished();
        }
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
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
        QCOMPARE(list.status, 0);
        const QStringList lines = list.out.trimmed().split(u'\n');
        // Named as EGL names it, without a context on the device.
        QVERIFY2(lines.value(0).startsWith("0: EGL zařízení software Mesa") &&
                     lines.value(0).endsWith("ovladač swrast, Mesa Project"),
                 qPrintable(list.out));
        QVERIFY(lines.last().startsWith("okno: žádný grafický server"));
        // Refused before any drawing, off screen and for a window alike.
        for (const QString& where : {"--offscreen", "--safe"}) {
            const Outcome missing = engine({where, "--gpu", QString::number(lines.size())});
            QCOMPARE(missing.status, 2);
            QVERIFY2(missing.err.contains("--list-gpus"), qPrintable(missing.err));
        }
    }

    void validation_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<QString>("tests");
        QTest::addRow("as drawn") << QByteArray() << QString("0,1,2,3,4,5,6");
        QTest::addRow("depth off") << QByteArray("depth") << QString("1");
        QTest::addRow("textures missing") << QByteArray("texture") << QString("1");
        QTest::addRow("back faces drawn") << QByteArray("backfaces") << QString("1");
    }

    void validation() {
        QFETCH(QByteArray, fault);
        QFETCH(QString, tests);
        QDir(QDir(m_folder.path()).filePath("validace")).removeRecursively();
        const Outcome run = engine({"--validate", "--tests", tests, "--summary", "v.json"},
                                   {"TRENZOR_VALIDATE_FAULT=" + QString::fromLatin1(fault)});
        const QStringList verdicts = run.out.split(u'\n').filter(QRegularExpression("^test \\d"));
        QCOMPARE(verdicts.size(), tests.split(u',').size());
        QCOMPARE(verdicts.filter(" prošel, 0 rozdílných bodů").size(), fault.isEmpty() ? verdicts.size() : 0);
        QCOMPARE(run.status, fault.isEmpty() ? 0 : 1);
        QFile file(QDir(m_folder.path()).filePath(QStringLiteral("v.json")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            QJsonDocument::fromJson(file.readAll()).object().value("validation").toObject().value("passed"),
            QJsonValue(fault.isEmpty()));
        const QDir saved(QDir(m_folder.path()).filePath("validace"));
        QCOMPARE(saved.exists("1-shaded-1.png") && saved.exists("1-shaded-1-rozdil.png") ||
                     saved.exists("1-safe-1.png") && saved.exists("1-safe-1-rozdil.png"),
                 !fault.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAnywhere)
#include "tst_anywhere.moc"
