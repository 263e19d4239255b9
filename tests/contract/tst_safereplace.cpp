// The safe replace on the files users' machines have: files protected
// against writing, files of other owners and groups, files that are symbolic
// links into other folders, and the temporary files of saves that were
// killed. Every check looks at the disk: bytes, mode, owner, group, links.
#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/TextFile.h"

#include <QProcess>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using TestSupport::readAll;

namespace {

const QByteArray kOld = "Počítač starý\r\n 10\r\nKarta\r\nPaměť\r\n";
const QByteArray kNew = "Počítač nový\r\n 20\r\nKarta\r\nPaměť\r\n";
// Symbolic links: where each lies and what it says.
using Links = QList<QPair<QString, QString>>;
// A group the unprivileged writer is made a member of.
constexpr gid_t kSharedGroup = 4321;

struct Status {
    bool exists = false;
    bool link = false;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
};

Status statusOf(const QString& name) {
    struct stat st {};
    Status status;
    if (::lstat(QFile::encodeName(name).constData(), &st) == 0) {
        status = {true, S_ISLNK(st.st_mode), st.st_mode & 07777, st.st_uid, st.st_gid};
    }
    return status;
}

QByteArray linkText(const QString& name) {
    char text[4096];
    const ssize_t length = ::readlink(QFile::encodeName(name).constData(), text, sizeof text);
    return length < 0 ? QByteArray("<no link>") : QByteArray(text, length);
}

QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray hostName() {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

QString temporaryOf(const QString& base, const QByteArray& host, qint64 pid) {
    return '.' + base + ".vykon3d-" + QString::fromLocal8Bit(host) + '-' + QString::number(pid) + ".tmp";
}

// Runs the replace in a child process that has given up root for the user
// "nobody" (with one more group), as a user's own program runs. The reason
// of a refusal, or empty on success.
std::optional<QString> replaceAsNobody(const QString& name, const QByteArray& bytes) {
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody) {
        return QStringLiteral("<no user nobody>");
    }
    int channel[2];
    if (::pipe(channel) != 0) {
        return QStringLiteral("<no pipe>");
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const gid_t groups[] = {nobody->pw_gid, kSharedGroup};
        if (::setgroups(2, groups) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0 ||
            ::setuid(0) == 0) {
            ::_exit(3);
        }
        const std::optional<FileError> error = TextFile::Replace(name, bytes);
        const QByteArray reason = error ? error->reason.toUtf8() : QByteArray();
        const bool sent =
            ::write(channel[1], reason.constData(), static_cast<size_t>(reason.size())) == reason.size();
        ::_exit(sent ? (error ? 1 : 0) : 4);
    }
    ::close(channel[1]);
    QByteArray reason;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        reason.append(buffer, got);
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
        return QStringLiteral("<child failed: %1>").arg(status);
    }
    return WEXITSTATUS(status) == 0 ? QString() : QString::fromUtf8(reason);
}

} // namespace

class TestSafeReplace : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() {
        // A folder made read-only for a test must be writable to be removed.
        ::chmod(QFile::encodeName(m_folder->filePath("work")).constData(), 0755);
        m_folder.reset();
    }

    // What an unprivileged user may and may not replace. The folder "work"
    // belongs to the writer; the file belongs to the row's owner.
    void unprivilegedWriter_data() {
        QTest::addColumn<bool>("fileOfRoot");
        QTest::addColumn<gid_t>("group");
        QTest::addColumn<mode_t>("mode");
        QTest::addColumn<mode_t>("folderMode");
        QTest::addColumn<bool>("replaced");
        const gid_t nogroup = ::getpwnam("nobody") ? ::getpwnam("nobody")->pw_gid : 0;
        QTest::newRow("read-only, another user's")
            << true << gid_t(0) << mode_t(0444) << mode_t(0755) << false;
        QTest::newRow("read-only, the user's own")
            << false << nogroup << mode_t(0444) << mode_t(0755) << false;
        QTest::newRow("writable only by its owner, another user")
            << true << gid_t(0) << mode_t(0644) << mode_t(0755) << false;
        QTest::newRow("read-only folder") << false << nogroup << mode_t(0644) << mode_t(0555) << false;
        QTest::newRow("writable by all, another user's")
            << true << gid_t(0) << mode_t(0666) << mode_t(0755) << true;
        QTest::newRow("the user's own, in a shared group")
            << false << kSharedGroup << mode_t(0640) << mode_t(0755) << true;
        QTest::newRow("group-writable, another user's, shared group")
            << true << kSharedGroup << mode_t(0664) << mode_t(0755) << true;
    }
    void unprivilegedWriter() {
        QFETCH(bool, fileOfRoot);
        QFETCH(gid_t, group);
        QFETCH(mode_t, mode);
        QFETCH(mode_t, folderMode);
        QFETCH(bool, replaced);
        if (::geteuid() != 0) {
            QSKIP("Files of another user and a change to the user nobody need root.");
        }
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QCOMPARE(::chmod(QFile::encodeName(m_folder->path()).constData(), 0755), 0);
        QVERIFY(QDir().mkdir("work"));
        QCOMPARE(::chown("work", nobody->pw_uid, nobody->pw_gid), 0);
        QVERIFY(TestSupport::writeRaw("work/systemy.dtb", kOld, mode));
        QCOMPARE(::chown("work/systemy.dtb", fileOfRoot ? 0 : nobody->pw_uid, group), 0);
        QCOMPARE(::chmod("work/systemy.dtb", mode), 0);
        QCOMPARE(::chmod("work", folderMode), 0);
        QVERIFY(QDir::setCurrent("work"));

        const std::optional<QString> reason = replaceAsNobody("systemy.dtb", kNew);
        QVERIFY(reason.has_value());
        const Status status = statusOf("systemy.dtb");
        QVERIFY(status.exists && !status.link);
        QCOMPARE(entries("."), QStringList{"systemy.dtb"});
        if (replaced) {
            QCOMPARE(*reason, QString());
            QCOMPARE(readAll("systemy.dtb"), kNew);
            QCOMPARE(status.mode, mode);
            // The group stays when the writer belongs to it.
            QCOMPARE(status.group, group == 0 ? nobody->pw_gid : group);
            QCOMPARE(status.owner, nobody->pw_uid);
        } else {
            QCOMPARE(*reason, QString::fromLocal8Bit(std::strerror(EACCES)));
            QCOMPARE(readAll("systemy.dtb"), kOld);
            QCOMPARE(status.mode, mode);
            QCOMPARE(status.group, group);
            QCOMPARE(status.owner, fileOfRoot ? uid_t(0) : nobody->pw_uid);
        }
    }

    // The writer as it is: its own files, and for root everyone's, keep
    // their mode, owner and group.
    void keepsModeOwnerAndGroup_data() {
        QTest::addColumn<mode_t>("mode");
        QTest::addColumn<bool>("otherOwner");
        QTest::newRow("0600") << mode_t(0600) << false;
        QTest::newRow("0640") << mode_t(0640) << false;
        QTest::newRow("0755") << mode_t(0755) << false;
        QTest::newRow("0604, another owner and group") << mode_t(0604) << true;
        QTest::newRow("0444, another owner: root may write it") << mode_t(0444) << true;
    }
    void keepsModeOwnerAndGroup() {
        QFETCH(mode_t, mode);
        QFETCH(bool, otherOwner);
        QVERIFY(TestSupport::writeRaw("data.txt", kOld, mode));
        if (otherOwner) {
            if (::geteuid() != 0) {
                QSKIP("Giving a file to another user needs root.");
            }
            QCOMPARE(::chown("data.txt", 1234, 5678), 0);
        }
        const Status before = statusOf("data.txt");
        QVERIFY(!TextFile::Replace("data.txt", kNew));
        const Status after = statusOf("data.txt");
        QCOMPARE(readAll("data.txt"), kNew);
        QCOMPARE(after.mode, mode);
        QCOMPARE(after.owner, before.owner);
        QCOMPARE(after.group, before.group);
        QCOMPARE(entries("."), QStringList{"data.txt"});
    }

    // A new file gets the usual mode of new files, 0666 less the mask: with
    // the mask 002 of a shared group, the group may write it too.
    void newFileFollowsTheMask_data() {
        QTest::addColumn<mode_t>("mask");
        QTest::addColumn<mode_t>("mode");
        QTest::newRow("027") << mode_t(027) << mode_t(0640);
        QTest::newRow("002") << mode_t(002) << mode_t(0664);
        QTest::newRow("022") << mode_t(022) << mode_t(0644);
        QTest::newRow("000") << mode_t(0) << mode_t(0666);
    }
    void newFileFollowsTheMask() {
        QFETCH(mode_t, mask);
        QFETCH(mode_t, mode);
        const mode_t previous = ::umask(mask);
        const bool failed = TextFile::Replace("new.txt", kNew).has_value();
        ::umask(previous);
        QVERIFY(!failed);
        QCOMPARE(statusOf("new.txt").mode, mode);
    }

    // The new content is on the disk before it takes the old file's place:
    // a crash right after the rename must not leave an empty file. The
    // system calls of a real save, traced with strace: the temporary file
    // is synced, and only then renamed over the file.
    void syncedBeforeTheRename() {
        if (QStandardPaths::findExecutable(QStringLiteral("strace")).isEmpty()) {
            QSKIP("strace is needed to see the order of the system calls.");
        }
        QVERIFY(TestSupport::writeRaw("data.txt", kOld, 0644));
        QProcess strace;
        // LeakSanitizer cannot run in a traced process; the writer's leaks
        // are checked in the other tests.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ASAN_OPTIONS"), environment.value(QStringLiteral("ASAN_OPTIONS")) +
                                                               QStringLiteral(":detect_leaks=0"));
        strace.setProcessEnvironment(environment);
        strace.start(QStringLiteral("strace"),
                     {"-f", "-y", "-e", "trace=fsync,fdatasync,rename,renameat,renameat2", "-o", "trace.txt",
                      QStringLiteral(SAFEREPLACE_WRITER), "data.txt", QString::fromUtf8(kNew)});
        QVERIFY(strace.waitForFinished(30000));
        QCOMPARE(strace.exitCode(), 0);
        QCOMPARE(readAll("data.txt"), kNew);
        const QList<QByteArray> calls = readAll("trace.txt").split('\n');
        const QByteArray temporary = temporaryOf("data.txt", hostName(), 0).section('-', 0, -2).toUtf8();
        qsizetype synced = -1;
        qsizetype renamed = -1;
        for (qsizetype i = 0; i < calls.size(); ++i) {
            const QByteArray& call = calls.at(i);
            const bool onTemporary = call.contains(temporary);
            if (synced < 0 && (call.contains("fsync(") || call.contains("fdatasync(")) && onTemporary &&
                call.endsWith("= 0")) {
                synced = i;
            }
            if (renamed < 0 && call.contains("rename") && onTemporary && call.contains("\"data.txt\"")) {
                renamed = i;
            }
        }
        QVERIFY2(renamed >= 0, readAll("trace.txt").constData());
        QVERIFY2(synced >= 0 && synced < renamed, readAll("trace.txt").constData());
    }

    // A temporary file whose writer still runs as another user (the system
    // refuses to signal it, EPERM) is another save in progress and stays;
    // one whose writer is gone is removed. The save runs as "nobody"; the
    // live writer is a process of root.
    void liveWriterOfAnotherUserIsKept() {
        if (::geteuid() != 0) {
            QSKIP("A process of another user needs root to set up.");
        }
        const passwd* nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        QCOMPARE(::chmod(QFile::encodeName(m_folder->path()).constData(), 0755), 0);
        QVERIFY(QDir().mkdir("work"));
        QCOMPARE(::chown("work", nobody->pw_uid, nobody->pw_gid), 0);
        QVERIFY(QDir::setCurrent("work"));
        const pid_t gone = ::fork();
        if (gone == 0) {
            ::_exit(0);
        }
        QCOMPARE(::waitpid(gone, nullptr, 0), gone);
        const pid_t live = ::fork();
        if (live == 0) {
            ::pause();
            ::_exit(0);
        }
        // Killing -1 would kill every process the test may.
        QVERIFY(live > 0);
        const QString ofLive = temporaryOf("systemy.dtb", hostName(), live);
        const QString ofGone = temporaryOf("systemy.dtb", hostName(), gone);
        const bool written =
            TestSupport::writeRaw(ofLive, "x", 0644) && TestSupport::writeRaw(ofGone, "x", 0644);
        const std::optional<QString> reason = replaceAsNobody("systemy.dtb", kNew);
        const QStringList left = entries(".");
        ::kill(live, SIGKILL);
        ::waitpid(live, nullptr, 0);
        QVERIFY(written);
        QCOMPARE(reason, std::optional<QString>(QString()));
        QCOMPARE(readAll("systemy.dtb"), kNew);
        QCOMPARE(left, (QStringList{ofLive, "systemy.dtb"}));
    }

    // Databases kept elsewhere and linked into the working folder. Each link
    // is relative to its own folder unless absolute.
    void linksAreWrittenThrough_data() {
        QTest::addColumn<Links>("links");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("targetExists");
        QTest::newRow("one link into another folder")
            << Links{{"systemy.dtb", "data/db.dtb"}} << QStringLiteral("data/db.dtb") << true;
        QTest::newRow("chain: relative, absolute, relative") << Links{{"systemy.dtb", "store/second"},
                                                                      {"store/second", "@/data/third"},
                                                                      {"data/third", "db.dtb"}}
                                                             << QStringLiteral("data/db.dtb") << true;
        QTest::newRow("relative to the link's folder, not the current one")
            << Links{{"systemy.dtb", "store/second"}, {"store/second", "../data/db.dtb"}}
            << QStringLiteral("data/db.dtb") << true;
        QTest::newRow("dangling: the target is created")
            << Links{{"systemy.dtb", "data/new.dtb"}} << QStringLiteral("data/new.dtb") << false;
        QTest::newRow("dangling at the end of a chain")
            << Links{{"systemy.dtb", "store/second"}, {"store/second", "../data/new.dtb"}}
            << QStringLiteral("data/new.dtb") << false;
    }
    void linksAreWrittenThrough() {
        QFETCH(Links, links);
        QFETCH(QString, target);
        QFETCH(bool, targetExists);
        QVERIFY(QDir().mkdir("data"));
        QVERIFY(QDir().mkdir("store"));
        QVERIFY(TestSupport::writeRaw("data/db.dtb", kOld, 0640));
        for (QPair<QString, QString>& link : links) {
            link.second.replace('@', m_folder->path());
            QCOMPARE(::symlink(QFile::encodeName(link.second).constData(),
                               QFile::encodeName(link.first).constData()),
                     0);
        }
        const QStringList folderBefore = entries(".");
        const QStringList storeBefore = entries("store");
        QStringList dataExpected = entries("data");
        if (!targetExists) {
            dataExpected << QFileInfo(target).fileName();
            dataExpected.sort();
        }

        QVERIFY(!TextFile::Replace("systemy.dtb", kNew));

        for (const auto& link : links) {
            QVERIFY2(statusOf(link.first).link, qPrintable(link.first));
            QCOMPARE(linkText(link.first), QFile::encodeName(link.second));
        }
        QCOMPARE(readAll(target), kNew);
        QVERIFY(!statusOf(target).link);
        if (targetExists) {
            QCOMPARE(statusOf(target).mode, mode_t(0640));
        } else {
            QCOMPARE(readAll("data/db.dtb"), kOld);
        }
        QCOMPARE(readAll("systemy.dtb"), kNew);
        QCOMPARE(entries("."), folderBefore);
        QCOMPARE(entries("store"), storeBefore);
        QCOMPARE(entries("data"), dataExpected);
    }

    // A loop of links cannot be written; nothing changes.
    void linkLoopIsRefused() {
        QCOMPARE(::symlink("b", "systemy.dtb"), 0);
        QCOMPARE(::symlink("systemy.dtb", "b"), 0);
        const std::optional<FileError> error = TextFile::Replace("systemy.dtb", kNew);
        QVERIFY(error);
        QCOMPARE(error->reason, QString::fromLocal8Bit(std::strerror(ELOOP)));
        QCOMPARE(linkText("systemy.dtb"), QByteArray("b"));
        QCOMPARE(linkText("b"), QByteArray("systemy.dtb"));
        QCOMPARE(entries("."), (QStringList{"b", "systemy.dtb"}));
    }

    // A save killed while writing leaves a temporary file that says whose it
    // is; the next successful save of the same file removes it, and only it.
    void killedSaveIsCleanedUpByTheNext() {
        QVERIFY(TestSupport::writeRaw("data.txt", kOld, 0644));
        const pid_t killed = ::fork();
        if (killed == 0) {
            // The file-size limit kills the process in the middle of writing.
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            const rlimit size{4096, 4096};
            ::setrlimit(RLIMIT_FSIZE, &size);
            std::signal(SIGXFSZ, SIG_DFL);
            TextFile::Replace("data.txt", QByteArray(1 << 20, 'x'));
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(killed, &status, 0), killed);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGXFSZ);
        const QString leftover = temporaryOf("data.txt", hostName(), killed);
        QCOMPARE(entries("."), (QStringList{leftover, "data.txt"}));
        QCOMPARE(QFileInfo(leftover).size(), 4096);
        QCOMPARE(readAll("data.txt"), kOld);

        // Others' files that must stay: a live writer's, another file's, one
        // of another computer, and names that only look alike.
        const pid_t live = ::fork();
        if (live == 0) {
            ::pause();
            ::_exit(0);
        }
        // Killing -1 would kill every process the test may.
        QVERIFY(live > 0);
        const QStringList kept = {
            temporaryOf("data.txt", hostName(), live),
            temporaryOf("other.txt", hostName(), killed),
            temporaryOf("data.txt", "jiny-pocitac", killed),
            QStringLiteral(".data.txt.vykon3d-%1-12ab.tmp").arg(QString::fromLocal8Bit(hostName())),
            QStringLiteral("data.txt.tmp"),
        };
        for (const QString& name : kept) {
            QVERIFY(TestSupport::writeRaw(name, "x", 0600));
        }
        const bool failed = TextFile::Replace("data.txt", kNew).has_value();
        ::kill(live, SIGKILL);
        ::waitpid(live, nullptr, 0);
        QVERIFY(!failed);
        QCOMPARE(readAll("data.txt"), kNew);
        QStringList expected = kept;
        expected << "data.txt";
        expected.sort();
        QCOMPARE(entries("."), expected);
    }
};

QTEST_GUILESS_MAIN(TestSafeReplace)
#include "tst_safereplace.moc"
