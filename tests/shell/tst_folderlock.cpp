// One front end per working folder: a second one, started as a process of
// its own beside a running one, tells the user and ends without writing; the
// lock of a killed front end does not keep the next one out.
#include "TestSupport.h"
#include "common/MessageBox.h"
#include "engine/EngineConfig.h"
#include "shell/FolderLock.h"
#include "shell/FrontEnd.h"
#include "shell/Hlavni_Form.h"

#include <QProcess>
#include <QtTest>
#include <csignal>

namespace {

const QString kAlreadyRunning = QStringLiteral("Program 3D výkon v této složce už běží.");

// Every entry of the folder with its bytes.
QMap<QString, QByteArray> folderContents() {
    QMap<QString, QByteArray> contents;
    for (const QFileInfo& entry :
         QDir().entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        contents.insert(entry.fileName(), TestSupport::readAll(entry.fileName()));
    }
    return contents;
}

} // namespace

class TestFolderLock : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QProcess>> m_processes;

    // Starts a program in the working folder; it runs until the test ends.
    QProcess* start(const QString& program) {
        auto process = std::make_unique<QProcess>();
        process->setWorkingDirectory(m_dir->path());
        process->setProcessChannelMode(QProcess::SeparateChannels);
        process->start(program, QStringList{});
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    // A started front end has taken the lock once its main window has
    // written the engine configuration.
    static bool startedUp(QProcess* process) {
        return QTest::qWaitFor(
                   [process] {
                       return QFileInfo::exists(EngineConfig::kFileName) ||
                              process->state() == QProcess::NotRunning;
                   },
                   20000) &&
               process->state() == QProcess::Running;
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QVERIFY(QDir::setCurrent(m_dir->path()));
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
        QDir::setCurrent(QDir::tempPath());
        m_dir.reset();
    }

    // The program itself first, then a second front end in the same folder:
    // it ends with status 1 after the message, and writes nothing (without
    // the lock it would write the engine configuration anew).
    void secondFrontEndEnds() {
        QProcess* first = start(VYKON3D_PROGRAM);
        QVERIFY(startedUp(first));
        QVERIFY(QFile::remove(EngineConfig::kFileName));
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
        QVERIFY(QFile::remove(EngineConfig::kFileName));

        QProcess* next = start(FRONTEND_PROBE);
        QVERIFY(startedUp(next));
        QCOMPARE(next->readAllStandardOutput(), QByteArray());
        // And that one now holds the folder.
        FolderLock lock;
        QVERIFY(!lock.acquire());
    }

    // The lock goes with its holder; a program started meanwhile (the engine)
    // does not keep it.
    void lockEndsWithItsHolder() {
        auto holder = std::make_unique<FolderLock>();
        QVERIFY(holder->acquire());
        qint64 engine = 0;
        QVERIFY(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("30")}, QString(), &engine));
        FolderLock other;
        QVERIFY(!other.acquire());
        holder.reset();
        const bool taken = other.acquire();
        ::kill(static_cast<pid_t>(engine), SIGKILL);
        QVERIFY(taken);
    }
};

QTEST_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
