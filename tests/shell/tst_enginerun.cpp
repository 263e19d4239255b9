// What the results window makes of the run "Spustit" started, with stand-in
// engines (shell scripts in the engine's place) that end in each way a real
// one can: the old results log left in place and a failure status, a signal,
// still running, a new log (also one of the very same bytes and size, and
// one left by an engine ended with Esc), no log at all. The old log is a
// complete rated one, so showing it would show its score.
#include "TestSupport.h"
#include "WaitDialog.h"
#include "WorkingFolder.h"
#include "common/MessageBox.h"
#include "contract/FolderLock.h"
#include "results/ResultsLog.h"
#include "results/Vysledky_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <unistd.h>

namespace {

QByteArray ratedLog() {
    QByteArray log;
    for (int line = 0; line < 7; ++line) {
        log += "popis\r\n";
    }
    for (int block = 0; block < 7; ++block) {
        log += "3\r\n1\r\n2\r\n3\r\n4\r\n";
    }
    return log + "Konec\r\n";
}

const QByteArray kOldLog = ratedLog();

} // namespace

class TestEngineRun : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;

    // The stand-in engine: a shell script run with the engine's argument.
    static void engineDoes(const QByteArray& script) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("trenzor.exe"), "#!/bin/sh\n" + script + "\n", 0755));
    }

    // "Spustit", then "Zobrazit výsledky" once the engine has ended (or at
    // once when it is meant to be still running). What the user sees: the
    // message, or the score label; whether "Podrobnosti…" is enabled, and
    // whether the wait dialog was hidden.
    struct Seen {
        QString message;
        int style = -1;
        QString score;
        bool details = false;
        bool waitHidden = false;
    };
    static Seen runAndShow(bool waitForTheEnd = true) {
        Hlavni_Form* main = Hlavni_Form::instance();
        main->Command1_Click();
        if (waitForTheEnd &&
            !QTest::qWaitFor([main] { return main->Run.verdict() != EngineRun::Verdict::Running; }, 20000)) {
            return Seen{QStringLiteral("<the engine did not end>")};
        }
        MessageBox::clearRecorded();
        WaitDialog::showResults();
        Seen seen;
        if (!MessageBox::recorded().isEmpty()) {
            seen.message = MessageBox::recorded().first().text;
            seen.style = MessageBox::recorded().first().style;
        }
        const Vysledky_Form* results = Vysledky_Form::existing();
        if (results && results->isVisible()) {
            seen.score = results->Label2->text();
            seen.details = results->Command3->isEnabled();
        }
        seen.waitHidden = !Cekejte_form::existing() || !Cekejte_form::existing()->isVisible();
        return seen;
    }

private slots:
    void init() {
        QVERIFY(m_folder.emplace().isValid());
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), kOldLog));
        MessageBox::startRecording();
    }
    void cleanup() {
        TestSupport::destroyAllWindows();
        MessageBox::stopRecording();
        m_folder.reset();
    }

    // An engine that ends without replacing the log: the run failed, and the
    // old score is not shown as this run's.
    void engineLeavingTheOldLog_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("how");
        QTest::newRow("status 1") << QByteArray("exit 1") << "skončil se stavem 1";
        QTest::newRow("status 0 all the same") << QByteArray("exit 0") << "skončil se stavem 0";
        QTest::newRow("killed") << QByteArray("kill -9 $$") << "byl ukončen signálem 9";
    }
    void engineLeavingTheOldLog() {
        QFETCH(QByteArray, script);
        QFETCH(QString, how);
        engineDoes(script);
        const Seen seen = runAndShow();
        QCOMPARE(seen.message, ResultsLog::FailedRunMessage(how));
        QVERIFY(
            seen.message.startsWith(QStringLiteral("Test se nepodařilo dokončit (testovací program ") + how));
        QCOMPARE(seen.style, int(MessageBox::Warning));
        QCOMPARE(seen.score, QString());
        QVERIFY(!seen.details);
        // The run is over: nothing to wait for any more.
        QVERIFY(seen.waitHidden);
        QCOMPARE(TestSupport::readAll(QStringLiteral("vysledek.log")), kOldLog);
    }

    // While the engine runs and the log is still the old one, there are no
    // results yet, and the wait dialog stays for the next try.
    void engineStillRunning() {
        engineDoes("sleep 2");
        const Seen seen = runAndShow(false);
        QCOMPARE(seen.message, QStringLiteral("Nejsou k dispozici výsledky testů"));
        QCOMPARE(seen.score, QString());
        QVERIFY(!seen.waitHidden);
        Hlavni_Form* main = Hlavni_Form::existing();
        QVERIFY(
            QTest::qWaitFor([main] { return main->Run.verdict() != EngineRun::Verdict::Running; }, 20000));
    }

    // A log the engine put in place is this run's, whatever it holds and
    // however the engine ended: a file of the very same bytes counts, since
    // it is another file; Esc after a finished test ends with status 1 and
    // leaves a log. An engine that removed the log and wrote none leaves no
    // results.
    void engineReplacingTheLog_data() {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("score");
        QTest::newRow("the same bytes, replaced")
            << QByteArray("cp vysledek.log new.tmp && mv new.tmp vysledek.log") << QString()
            << " 3.33333333333333 bodů";
        QTest::newRow("one test, then Esc: status 1")
            << QByteArray(
                   "head -n 12 vysledek.log > new.tmp && echo Konec >> new.tmp && mv new.tmp vysledek.log; "
                   "exit 1")
            << QString() << "Neproběhl dostatečný počet testů.";
        QTest::newRow("the same file touched a second later")
            << QByteArray("sleep 1.1; touch vysledek.log") << QString() << " 3.33333333333333 bodů";
        QTest::newRow("removed, none written")
            << QByteArray("rm vysledek.log; exit 1") << "Nejsou k dispozici výsledky testů" << QString();
    }
    void engineReplacingTheLog() {
        QFETCH(QByteArray, script);
        QFETCH(QString, message);
        QFETCH(QString, score);
        engineDoes(script);
        const Seen seen = runAndShow();
        QCOMPARE(seen.message, message);
        QCOMPARE(seen.score, score);
        QCOMPARE(seen.details, !score.isEmpty());
    }

    // The engine leads a session of its own, as a program started from the
    // desktop does: the terminal the front end was started from (its Ctrl+C,
    // its closing) does not end the test.
    void engineRunsInASessionOfItsOwn() {
        engineDoes("echo $$ $(cut -d' ' -f6 /proc/$$/stat) > session.txt");
        Hlavni_Form* main = Hlavni_Form::instance();
        main->Command1_Click();
        QVERIFY(
            QTest::qWaitFor([main] { return main->Run.verdict() != EngineRun::Verdict::Running; }, 20000));
        const QList<QByteArray> ids =
            TestSupport::readAll(QStringLiteral("session.txt")).simplified().split(' ');
        QCOMPARE(ids.size(), 2);
        QCOMPARE(ids.at(1), ids.at(0));
        QVERIFY(ids.at(1).toLongLong() != ::getsid(0));
    }

    // The front end hands its lock down to the engine it starts, but not to
    // a second one while the first still runs: that one finds the folder
    // held. Each stand-in writes what it was handed.
    void lockHandedToOneEngineAtATime() {
        FolderLock lock;
        QCOMPARE(lock.acquire(), FolderLock::Outcome::Locked);
        Hlavni_Form* main = Hlavni_Form::instance();
        main->Lock = &lock;
        engineDoes("echo \"${VYKON3D_LOCK_FD:-none}\" > handed.$$; "
                   "[ -e \"/proc/self/fd/${VYKON3D_LOCK_FD:-none}\" ] && echo open >> handed.$$; sleep 1");
        main->Command1_Click();
        main->Command1_Click();
        QVERIFY(
            QTest::qWaitFor([main] { return main->Run.verdict() != EngineRun::Verdict::Running; }, 20000));
        QTest::qWait(200);
        QStringList handed;
        for (const QString& name : QDir().entryList({QStringLiteral("handed.*")}, QDir::Files, QDir::Time)) {
            handed << QString::fromLatin1(TestSupport::readAll(name)).simplified().section(u' ', 1);
        }
        handed.sort();
        QCOMPARE(handed, (QStringList{QString(), QStringLiteral("open")}));
        // And after both have ended, the next one gets it again.
        for (const QString& name : QDir().entryList({QStringLiteral("handed.*")}, QDir::Files)) {
            QVERIFY(QFile::remove(name));
        }
        main->Command1_Click();
        QVERIFY(
            QTest::qWaitFor([main] { return main->Run.verdict() != EngineRun::Verdict::Running; }, 20000));
        const QStringList last = QDir().entryList({QStringLiteral("handed.*")}, QDir::Files);
        QCOMPARE(last.size(), 1);
        QVERIFY(TestSupport::readAll(last.first()).contains("open"));
    }
};

QTEST_MAIN(TestEngineRun)
#include "tst_enginerun.moc"
