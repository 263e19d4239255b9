// One front end per working folder: a second one, started as a process of
// its own beside a running one, tells the user and ends without writing; the
// lock of a killed front end does not keep the next one out. Lock files that
// are no lock (a folder, a link, a FIFO) keep every front end out, one the
// user may only read still locks, and a folder the user cannot write lets
// both run. The cases of another user run as the user "nobody" when the test
// runs as root, who may write anything.
#include "TestSupport.h"
#include "WorkingFolder.h"
#include "common/MessageBox.h"
#include "contract/EngineConfig.h"
#include "contract/FolderLock.h"
#include "shell/FrontEnd.h"
#include "shell/Hlavni_Form.h"

#include <QProcess>
#include <QtTest>
#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kAlreadyRunning = QStringLiteral("Program 3D výkon v této složce už běží.");

// Every entry of the folder with its bytes; what is not a file (or a link
// to one) only by its name, since a FIFO would block the reading.
QMap<QString, QByteArray> folderContents() {
    QMap<QString, QByteArray> contents;
    for (const QFileInfo& entry :
         QDir().entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        contents.insert(entry.fileName(),
                        entry.isFile() ? TestSupport::readAll(entry.fileName()) : "<no file>");
    }
    return contents;
}

} // namespace

class TestTwoFrontEnds : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    // Starts a program in the working folder (or the folder given); it runs
    // until the test ends. asUser: as an ordinary user, which root becomes
    // by setpriv.
    QProcess* start(const QString& program, bool asUser = false, const QString& folder = {}) {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(folder.isEmpty() ? m_folder->path() : folder);
        process->setProcessChannelMode(QProcess::SeparateChannels);
        if (asUser && ::geteuid() == 0) {
            process->start(QStringLiteral("setpriv"),
                           {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--", program});
        } else {
            process->start(program, QStringList{});
        }
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    // What a started probe has written once it either stands or has ended.
    static QByteArray outputOnceSettled(QProcess* process) {
        QByteArray output;
        const bool settled = QTest::qWaitFor(
            [&] {
                output += process->readAllStandardOutput();
                return output.contains("running\n") || process->state() == QProcess::NotRunning;
            },
            20000);
        return output + process->readAllStandardOutput() + (settled ? "" : "<not settled>");
    }

    // A started front end has taken the lock once its main window has
    // written the engine configuration.
    static bool startedUp(QProcess* process) {
        return QTest::qWaitFor(
                   [process] {
                       return QFileInfo::exists(EngineContract::kConfigFileName) ||
                              process->state() == QProcess::NotRunning;
                   },
                   20000) &&
               process->state() == QProcess::Running;
    }

private slots:
    void init() {
        QVERIFY(m_folder.emplace().isValid());
        MessageBox::startRecording();
    }
    void cleanup() {
        for (const std::unique_ptr<QProcess>& process : m_processes) {
            process->kill();
            process->waitForFinished(5000);
        }
        m_processes.clear();
        delete Hlavni_Form::existing();
        MessageBox::stopRecording();
        m_folder.reset();
    }

    // The program itself first, then a second front end in the same folder:
    // it ends with status 1 after the message, and writes nothing (without
    // the lock it would write the engine configuration anew).
    void secondFrontEndEnds() {
        QProcess* first = start(VYKON3D_PROGRAM);
        QVERIFY(startedUp(first));
        QVERIFY(QFile::remove(EngineContract::kConfigFileName));
        const QMap<QString, QByteArray> before = folderContents();
        QVERIFY(before.contains(FolderLock::kFileName));

        QProcess* second = start(FRONTEND_PROBE);
        QVERIFY(second->waitForFinished(20000));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 1);
        QCOMPARE(QString::fromUtf8(second->readAllStandardOutput()), "48 " + kAlreadyRunning + "\n");
        QCOMPARE(folderContents(), before);

        // The same start inside this process: no main window, nothing written.
        FolderLock lock;
        QVERIFY(!FrontEnd::Start(lock));
        QCOMPARE(lock.acquire(), FolderLock::Outcome::Held);
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded().first().text, kAlreadyRunning);
        QCOMPARE(MessageBox::recorded().first().style, int(MessageBox::Warning));
        QVERIFY(!Hlavni_Form::existing());
        QCOMPARE(folderContents(), before);
        QCOMPARE(first->state(), QProcess::Running);
    }

    // A front end killed outright leaves its lock file, but not its lock.
    void killedFrontEndDoesNotKeepTheNextOut() {
        QProcess* first = start(VYKON3D_PROGRAM);
        QVERIFY(startedUp(first));
        first->kill();
        QVERIFY(first->waitForFinished(5000));
        QCOMPARE(first->exitStatus(), QProcess::CrashExit);
        QVERIFY(QFileInfo::exists(FolderLock::kFileName));
        QVERIFY(QFile::remove(EngineContract::kConfigFileName));

        QProcess* next = start(FRONTEND_PROBE);
        QCOMPARE(outputOnceSettled(next), QByteArray("running\n"));
        // And that one now holds the folder.
        FolderLock lock;
        QCOMPARE(lock.acquire(), FolderLock::Outcome::Held);
    }

    // Two real front ends started one after the other in a folder whose
    // lock file, or the folder itself, is not what the program makes. first
    // and second: what each wrote once settled ("running" when it stands,
    // or the start of its message). Neither one that ends changes the folder.
    void twoFrontEndsInAnOddFolder_data() {
        QTest::addColumn<QString>("lockFile");
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        const QByteArray running = "running\n";
        const QByteArray held = "48 " + kAlreadyRunning.toUtf8() + "\n";
        const QByteArray refused = "48 Zámek této složky, soubor „.vykon3d.lock“, nelze použít.\n\n";
        QTest::newRow("lock file a folder") << "folder" << 0777 << refused + "Je to složka, ne soubor."
                                            << refused + "Je to složka, ne soubor.";
        QTest::newRow("lock file a link to a file")
            << "link" << 0777 << refused + "Je to symbolický odkaz, ne soubor."
            << refused + "Je to symbolický odkaz, ne soubor.";
        QTest::newRow("lock file a FIFO")
            << "fifo" << 0777 << refused + "Není to obyčejný soubor." << refused + "Není to obyčejný soubor.";
        QTest::newRow("lock file the user may only read") << "readonly" << 0777 << running << held;
        QTest::newRow("lock file the user may only read, folder too")
            << "readonly" << 0555 << running << held;
        const QByteArray denied = QString::fromLocal8Bit(std::strerror(EACCES)).toUtf8();
        QTest::newRow("lock file nobody may read")
            << "unreadable" << 0777 << refused + denied << refused + denied;
        QTest::newRow("folder the user may not write, no lock file") << "none" << 0555 << running << running;
    }
    void twoFrontEndsInAnOddFolder() {
        QFETCH(QString, lockFile);
        QFETCH(int, folderMode);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        if (::geteuid() == 0 && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty()) {
            QSKIP("Running as another user than root needs setpriv.");
        }
        // The folder "work" belongs to root, or to the user running the
        // test, and is given to the user only through its mode.
        QCOMPARE(::chmod(QFile::encodeName(m_folder->path()).constData(), 0755), 0);
        QVERIFY(QDir().mkdir(QStringLiteral("work")));
        const QString work = m_folder->filePath(QStringLiteral("work"));
        QVERIFY(QDir::setCurrent(work));
        // Written before: a folder the user cannot write would otherwise
        // give the message that it cannot be written.
        QVERIFY(TestSupport::writeRaw(EngineContract::kConfigFileName, EngineConfig::StartUpFile()));
        const QByteArray lock = QFile::encodeName(FolderLock::kFileName);
        if (lockFile == QStringLiteral("folder")) {
            QVERIFY(QDir().mkdir(FolderLock::kFileName));
        } else if (lockFile == QStringLiteral("link")) {
            QVERIFY(TestSupport::writeRaw(m_folder->filePath(QStringLiteral("elsewhere")), "x", 0666));
            QCOMPARE(::symlink("../elsewhere", lock.constData()), 0);
        } else if (lockFile == QStringLiteral("fifo")) {
            QCOMPARE(::mkfifo(lock.constData(), 0666), 0);
        } else if (lockFile == QStringLiteral("readonly")) {
            QVERIFY(TestSupport::writeRaw(FolderLock::kFileName, QByteArray(), 0444));
            QCOMPARE(::chmod(lock.constData(), 0444), 0);
        } else if (lockFile == QStringLiteral("unreadable")) {
            QVERIFY(TestSupport::writeRaw(FolderLock::kFileName, QByteArray(), 0));
            QCOMPARE(::chmod(lock.constData(), 0), 0);
        }
        QCOMPARE(::chmod(QFile::encodeName(work).constData(), mode_t(folderMode)), 0);
        const QMap<QString, QByteArray> before = folderContents();

        QProcess* one = start(FRONTEND_PROBE, true, work);
        const QByteArray firstOutput = outputOnceSettled(one);
        QProcess* two = start(FRONTEND_PROBE, true, work);
        const QByteArray secondOutput = outputOnceSettled(two);
        const bool firstRuns = one->state() == QProcess::Running;
        const bool secondRuns = two->state() == QProcess::Running;
        ::chmod(QFile::encodeName(work).constData(), 0755);

        QVERIFY2(firstOutput.startsWith(first), firstOutput.constData());
        QVERIFY2(secondOutput.startsWith(second), secondOutput.constData());
        QCOMPARE(firstRuns, first == "running\n");
        QCOMPARE(secondRuns, second == "running\n");
        if (!firstRuns && !secondRuns) {
            QCOMPARE(folderContents(), before);
            QCOMPARE(one->exitCode(), 1);
            QCOMPARE(two->exitCode(), 1);
        }
        if (lockFile == QStringLiteral("link")) {
            QCOMPARE(TestSupport::readAll(m_folder->filePath(QStringLiteral("elsewhere"))), QByteArray("x"));
        }
    }
};

QTEST_MAIN(TestTwoFrontEnds)
#include "tst_twofrontends.moc"
