#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/RunHistory.h"

#include <QDir>
#include <QtTest>

// The run history on disk: the kept bytes, the sidecar, no second copy of a
// log, the oldest runs gone beyond the limit, a folder that cannot be made.
class tst_runhistory : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void keepsTheLogAndItsSidecar();
    void keepsAtMostTheLastRuns();
    void unwritableFolderIsReported();

private:
    static QByteArray log(const QByteArray& date, int variant) {
        return "Trenzor 1.0\r\n" + date +
               "\r\n512 MB\r\nLinux\r\nokno 640x480, barvy 24 b, Z 24 b, vsync vypnuta\r\n" + "CPU\r\n\x8a" +
               "koda GL\r\n1\r\n" + QByteArray::number(variant) + "\r\n0\r\nkonec\r\n";
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

void tst_runhistory::keepsAtMostTheLastRuns() {
    for (int run = 0; run < RunHistory::kMaxRuns + 3; ++run) {
        const QByteArray date = QDateTime(QDate(2026, 1, 1), QTime(0, 0))
                                    .addSecs(run)
                                    .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                    .toLatin1();
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log(date, run)));
        QVERIFY(!RunHistory::Keep(QStringLiteral("vysledek.log"), run));
    }
    const FileResult<QList<RunHistory::Entry>> entries = RunHistory::List();
    QCOMPARE(entries->size(), RunHistory::kMaxRuns);
    QCOMPARE(entries->first().score, QString::number(RunHistory::kMaxRuns + 2));
    QCOMPARE(entries->last().score, QStringLiteral("3"));
    QCOMPARE(QDir(QStringLiteral("historie")).entryList(QDir::Files).size(), 2 * RunHistory::kMaxRuns);
}

void tst_runhistory::unwritableFolderIsReported() {
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log("2026-03-04 05:06:07", 1)));
    // A file in the folder's place stops even root.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("historie"), "x"));
    const std::optional<FileError> error = RunHistory::Keep(QStringLiteral("vysledek.log"), 1);
    QVERIFY(error);
    QVERIFY2(error->message().contains(QStringLiteral("historie")), qPrintable(error->message()));
    QCOMPARE(TestSupport::readAll(QStringLiteral("historie")), QByteArray("x"));
    QVERIFY(!RunHistory::Keep(QStringLiteral("chybí.log"), 1).value().message().isEmpty());
}

QTEST_GUILESS_MAIN(tst_runhistory)
#include "tst_runhistory.moc"
