#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/EngineContract.h"
#include "contract/ResultsLogReader.h"
#include "contract/RunHistory.h"

#include <QDir>
#include <QtTest>
#include <cerrno>
#include <cstring>

// The run history on disk: the kept bytes, the sidecar, no second copy of a
// log, the oldest of its own runs gone beyond the limit whatever else lies in
// the folder, logs it does not keep and folders it refuses.
class tst_runhistory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keepsTheLogAndItsSidecar();
    void keepsAtMostTheLastRuns_data();
    void keepsAtMostTheLastRuns();
    void refusals_data();
    void refusals();
    void headerAsTheFileReaderGivesIt_data();
    void headerAsTheFileReaderGivesIt();

private:
    static QByteArray log(const QByteArray& date, int variant, const QByteArray& note = {}) {
        return "Trenzor 1.0\r\n" + date +
               "\r\n512 MB\r\nLinux\r\nokno 640x480, barvy 24 b, Z 24 b, vsync vypnuta" + note +
               "\r\nCPU\r\n\x8a" + "koda GL\r\n1\r\n" + QByteArray::number(variant) + "\r\n0\r\nkonec\r\n";
    }

    static QByteArray dated(int run) {
        return QDateTime(QDate(2026, 1, 1), QTime(0, 0))
            .addSecs(run)
            .toString(EngineContract::kLogDateFormat)
            .toLatin1();
    }

    static QStringList files(const QString& folder = QStringLiteral("historie")) {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

    std::optional<WorkingFolder> m_folder;
};

void tst_runhistory::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_runhistory::cleanup() {
    m_folder.reset();
}

void tst_runhistory::keepsTheLogAndItsSidecar() {
    const QByteArray bytes = log("2026-03-04 05:06:07", 1);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), bytes));
    QVERIFY(!RunHistory::Keep(QStringLiteral("vysledek.log"), 2.5));
    // The same log again, even under another name: no second copy.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("kopie.log"), bytes));
    QVERIFY(!RunHistory::Keep(QStringLiteral("kopie.log"), 2.5));

    const QStringList files = QDir(QStringLiteral("historie")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files.size(), 2);
    QVERIFY2(
        QRegularExpression(QStringLiteral("^20260304-050607-[0-9a-f]{12}\\.log$")).match(files[0]).hasMatch(),
        qPrintable(files[0]));
    QCOMPARE(TestSupport::readAll(QStringLiteral("historie/") + files[0]), bytes);
    QCOMPARE(
        TestSupport::readAll(QStringLiteral("historie/") + files[1]),
        QByteArray("2026-03-04 05:06:07\r\n 2.5\r\nokno 640x480, barvy 24 b, Z 24 b, vsync vypnuta\r\n\x8a"
                   "koda GL\r\n"));

    // A log without a date is named after its file's time, which a copy does
    // not keep: still one run.
    const QByteArray dateless = log("", 2);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("bez-data.log"), dateless));
    QVERIFY(!RunHistory::Keep(QStringLiteral("bez-data.log"), 1));
    QFile copy(QStringLiteral("bez-data.log"));
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QVERIFY(copy.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime));
    copy.close();
    QVERIFY(!RunHistory::Keep(QStringLiteral("bez-data.log"), 1));
    QCOMPARE(QDir(QStringLiteral("historie")).entryList(QDir::Files).size(), 4);

    const FileResult<QList<RunHistory::Entry>> entries = RunHistory::List();
    QVERIFY(entries.ok());
    QCOMPARE(entries->size(), 2);
    // Newest first: the dated run of March comes after the one from now.
    QCOMPARE(entries->last().logFile, QStringLiteral("historie/") + files[0]);
    QCOMPARE(entries->last().score, QStringLiteral("2.5"));
    QCOMPARE(entries->last().graphicsCard, QStringLiteral("Škoda GL"));
}

void tst_runhistory::keepsAtMostTheLastRuns_data() {
    // Files in the folder before the first run is kept, which are none of
    // the history's: they sort before and after its runs' names.
    QTest::addColumn<QStringList>("others");
    QTest::newRow("only runs") << QStringList();
    QStringList others = {"junk-1.log",
                          "00000000-000000-0123456789ab.log",
                          "20261399-000000-0123456789ab.log",
                          "20260101-000000-0123456789AB.log",
                          "20260101-000000-0123456789ab.log.txt",
                          "20260101-000000-0123456789a.log",
                          "zzz.log",
                          "poznámky.txt"};
    for (int i = 0; i < RunHistory::kMaxRuns + 10; ++i) {
        others << QStringLiteral("junk-%1.log").arg(i, 5, 10, QLatin1Char('0'));
    }
    QTest::newRow("among other files") << others;
}

void tst_runhistory::keepsAtMostTheLastRuns() {
    QFETCH(QStringList, others);
    QVERIFY(QDir().mkdir(QStringLiteral("historie")));
    for (const QString& name : others) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("historie/") + name, log(dated(0), -1)));
    }
    for (int run = 0; run < RunHistory::kMaxRuns + 3; ++run) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log(dated(run), run)));
        QVERIFY(!RunHistory::Keep(QStringLiteral("vysledek.log"), run));
    }
    const auto scores = [] {
        QStringList listed;
        const FileResult<QList<RunHistory::Entry>> entries = RunHistory::List();
        for (const RunHistory::Entry& entry : entries.value()) {
            listed << entry.score;
        }
        return listed;
    };
    QStringList expected;
    for (int run = RunHistory::kMaxRuns + 2; run >= 3; --run) {
        expected << QString::number(run);
    }
    QCOMPARE(scores(), expected);
    QCOMPARE(files().size(), 2 * RunHistory::kMaxRuns + others.size());

    // A run dated before all others stays when it is kept, listed last, and
    // is the oldest to go at the next.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log("2020-05-06 07:08:09", 1000)));
    QVERIFY(!RunHistory::Keep(QStringLiteral("vysledek.log"), 1000));
    QCOMPARE(scores(), expected.first(RunHistory::kMaxRuns - 1) + QStringList{"1000"});
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log(dated(1000), 1001)));
    QVERIFY(!RunHistory::Keep(QStringLiteral("vysledek.log"), 1001));
    QCOMPARE(scores(), QStringList{"1001"} + expected.first(RunHistory::kMaxRuns - 1));
    for (const QString& name : others) {
        QVERIFY2(files().contains(name), qPrintable(name));
    }
}

void tst_runhistory::refusals_data() {
    // What stands in the folder's place: nothing, a file or a link to a
    // folder elsewhere.
    QTest::addColumn<QString>("inPlace");
    QTest::addColumn<QByteArray>("note");
    // What the error says beside the folder's name; empty when the log is
    // left out without an error.
    QTest::addColumn<QString>("reason");
    QTest::newRow("tests in another order") << QString() << QByteArray(", testy 6,5,4,3,2,1,0") << QString();
    QTest::newRow("some tests") << QString() << QByteArray(", testy 4") << QString();
    // A file there stops even root.
    QTest::newRow("a file") << QStringLiteral("file") << QByteArray()
                            << QString::fromLocal8Bit(std::strerror(ENOTDIR));
    QTest::newRow("a link") << QStringLiteral("link") << QByteArray()
                            << QStringLiteral("Je to symbolický odkaz na „%1“, ne složka.");
}

void tst_runhistory::refusals() {
    QFETCH(QString, inPlace);
    QFETCH(QByteArray, note);
    QFETCH(QString, reason);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log("2026-03-04 05:06:07", 1, note)));
    QVERIFY(QDir().mkdir(QStringLiteral("jinde")));
    if (inPlace == QLatin1String("file")) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("historie"), "x"));
    } else if (inPlace == QLatin1String("link")) {
        QVERIFY(QFile::link(QStringLiteral("jinde"), QStringLiteral("historie")));
        reason = reason.arg(QFileInfo(QStringLiteral("jinde")).absoluteFilePath());
    }
    const std::optional<FileError> error = RunHistory::Keep(QStringLiteral("vysledek.log"), 1);
    QCOMPARE(bool(error), !reason.isEmpty());
    if (error) {
        QVERIFY2(error->message().startsWith(QStringLiteral("Soubor „historie")) &&
                     error->message().contains(reason),
                 qPrintable(error->message()));
    }
    QCOMPARE(QFileInfo(QStringLiteral("historie")).isDir(), inPlace == QLatin1String("link"));
    QCOMPARE(files(QStringLiteral("jinde")), QStringList());
    if (inPlace == QLatin1String("file")) {
        QCOMPARE(TestSupport::readAll(QStringLiteral("historie")), QByteArray("x"));
    }
    // The list refuses the link alike, and only a folder's runs are read.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("jinde/20260101-000000-0123456789ab.log"), "1"));
    const FileResult<QList<RunHistory::Entry>> listed = RunHistory::List();
    QCOMPARE(listed.ok(), inPlace != QLatin1String("link"));
    if (listed.ok()) {
        QVERIFY(listed->isEmpty());
    } else {
        QVERIFY2(listed.error()->message().contains(reason), qPrintable(listed.error()->message()));
    }
    QVERIFY(!RunHistory::Keep(QStringLiteral("chybí.log"), 1).value().message().isEmpty());
}

// The history takes the header from the bytes it keeps: the same lines as
// the file's reader gives, also of a log cut within its header.
void tst_runhistory::headerAsTheFileReaderGivesIt_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("whole") << log("2026-03-04 05:06:07", 1);
    QTest::newRow("cut after a CR LF") << QByteArray("a\r\nb\r\n");
    QTest::newRow("cut after a CR") << QByteArray("a\r\nb\r");
    QTest::newRow("LF and lone CR") << QByteArray("a\nb\rc\r\n\r\nd");
    QTest::newRow("empty") << QByteArray();
}

void tst_runhistory::headerAsTheFileReaderGivesIt() {
    QFETCH(QByteArray, bytes);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), bytes));
    QCOMPARE(ResultsLogReader(bytes).header(), ResultsLogReader(QStringLiteral("vysledek.log")).header());
}

QTEST_GUILESS_MAIN(tst_runhistory)
#include "tst_runhistory.moc"
