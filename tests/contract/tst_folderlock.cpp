// The folder's lock as both programs take it: it goes with its holder, not
// with a program the holder started, and a descriptor handed down counts
// only when it is the holder's own lock.

#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/FolderLock.h"

#include <QProcess>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <memory>

class TestFolderLock : public QObject {
    Q_OBJECT

    WorkingFolder m_folder;

private slots:
    void initTestCase() { QVERIFY(m_folder.isValid()); }

    // The lock goes with its holder; a program started meanwhile (the engine)
    // does not keep it.
    void lockEndsWithItsHolder() {
        auto holder = std::make_unique<FolderLock>();
        QCOMPARE(holder->acquire(), FolderLock::Outcome::Locked);
        qint64 engine = 0;
        QVERIFY(QProcess::startDetached(QStringLiteral("sleep"), {QStringLiteral("30")}, QString(), &engine));
        FolderLock other;
        QCOMPARE(other.acquire(), FolderLock::Outcome::Held);
        holder.reset();
        const FolderLock::Outcome taken = other.acquire();
        ::kill(static_cast<pid_t>(engine), SIGKILL);
        QCOMPARE(taken, FolderLock::Outcome::Locked);
    }

    // A descriptor handed down counts only when it is the holder's own lock:
    // another descriptor of the same file, or of another file, does not let
    // a second program in; the holder's does, and its lock then stays with
    // the program it was handed to.
    void handedLockCountsOnlyWhenItIsTheHolders() {
        auto holder = std::make_unique<FolderLock>();
        QCOMPARE(holder->acquire(), FolderLock::Outcome::Locked);
        const int sameFile = ::open(QFile::encodeName(FolderLock::kFileName).constData(), O_RDONLY);
        QVERIFY(sameFile >= 0);
        FolderLock withSameFile;
        QCOMPARE(withSameFile.acquire(sameFile), FolderLock::Outcome::Held);
        QVERIFY(TestSupport::writeRaw(QStringLiteral("other"), "x"));
        FolderLock withOtherFile;
        QCOMPARE(withOtherFile.acquire(::open("other", O_RDONLY)), FolderLock::Outcome::Held);

        FolderLock handedDown;
        QCOMPARE(handedDown.acquire(holder->handOver()), FolderLock::Outcome::Locked);
        holder.reset();
        FolderLock later;
        QCOMPARE(later.acquire(), FolderLock::Outcome::Held);
    }
};

QTEST_GUILESS_MAIN(TestFolderLock)
#include "tst_folderlock.moc"
