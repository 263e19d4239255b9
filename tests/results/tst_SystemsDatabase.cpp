#include "ResultsFixture.h"
#include "WorkingFolder.h"
#include "contract/LineReader.h"
#include "results/SystemsDatabase.h"

#include <QDir>
#include <QTest>

using namespace ResultsFixture;

class tst_SystemsDatabase : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reads_data();
    void reads();
    void roundTripIsByteExact_data();
    void roundTripIsByteExact();
    void failedWriteKeepsWhatWasThere();
    void unencodableTextIsRefused();
    void lineTooLongIsRefused();
    void recordCountLimit();
    void fileSizeLimit();

private:
    std::optional<WorkingFolder> m_folder;
};

void tst_SystemsDatabase::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_SystemsDatabase::cleanup() {
    m_folder.reset();
}

void tst_SystemsDatabase::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("computers");
    QTest::addColumn<QStringList>("scores");

    QTest::newRow("empty") << QByteArray() << QStringList() << QStringList();
    QTest::newRow("three records") << database({" 10", " 20", " 40"})
                                   << QStringList{"Počítač 10", "Počítač 20", "Počítač 40"}
                                   << QStringList{" 10", " 20", " 40"};
    QTest::newRow("out of order kept")
        << database({" 40", "abc"}) << QStringList{"Počítač 40", "Počítač abc"} << QStringList{" 40", "abc"};
    QTest::newRow("one extra empty line") << database({" 10"}) + "\r\n"
                                          << QStringList{"Počítač 10"} << QStringList{" 10"};
    QTest::newRow("last record cut short") << database({" 10"}) + "Počítač\r\n 5\r\n"
                                           << QStringList{"Počítač 10"} << QStringList{" 10"};
    QTest::newRow("empty texts") << QByteArray("\r\n\r\n\r\n\r\n") << QStringList{""} << QStringList{""};
}

void tst_SystemsDatabase::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, computers);
    QFETCH(QStringList, scores);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), bytes));
    QVERIFY(SystemsDatabase::SystemsDatabaseExists());
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records.ok());
    QStringList readComputers;
    QStringList readScores;
    for (const SystemRecord& record : *records) {
        readComputers << record.computerText;
        readScores << record.scoreText;
    }
    QCOMPARE(readComputers, computers);
    QCOMPARE(readScores, scores);
}

void tst_SystemsDatabase::roundTripIsByteExact_data() {
    QTest::addColumn<QByteArray>("bytes");
    QByteArray everyByte;
    for (int b = 0x80; b <= 0xff; ++b) {
        everyByte += char(b);
    }
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("Czech letters") << database({" 10", " 3.33333333333333", "abc"});
    QTest::newRow("every upper byte, blanks kept")
        << QByteArray("  Počítač  \r\n 1.5E+20\r\n" + everyByte + "\r\n\t\r\n");
}

void tst_SystemsDatabase::roundTripIsByteExact() {
    QFETCH(QByteArray, bytes);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), bytes));
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records.ok());
    QFile::remove(QStringLiteral("systemy.dtb"));
    QCOMPARE(SystemsDatabase::WriteSystemsDatabase(*records), std::nullopt);
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), bytes);
}

void tst_SystemsDatabase::failedWriteKeepsWhatWasThere() {
    QVERIFY(QDir().mkdir(QStringLiteral("systemy.dtb")));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb/obsah"), "x"));
    const std::optional<FileError> error =
        SystemsDatabase::WriteSystemsDatabase({{"Počítač", " 1", "Karta", "Paměť"}});
    QVERIFY(error);
    QVERIFY(error->message().contains(QStringLiteral("systemy.dtb")));
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb/obsah")), QByteArray("x"));
}

void tst_SystemsDatabase::unencodableTextIsRefused() {
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10"})));
    const std::optional<FileError> error =
        SystemsDatabase::WriteSystemsDatabase({{QStringLiteral("Počítač 日本"), " 1", "Karta", "Paměť"}});
    QVERIFY(error);
    QVERIFY(error->message().contains(QStringLiteral("日")));
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), database({" 10"}));
}

// A line longer than any text of a record makes the database unusable,
// named with its line; at the limit the line is a text like any other.
void tst_SystemsDatabase::lineTooLongIsRefused() {
    const QByteArray atLimit(LineReader::kMaxLineLength, 'x');
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"),
                                  database({" 10"}) + "A\r\n 20\r\n" + atLimit + "\r\nB\r\n"));
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records.ok());
    QCOMPARE(records->size(), 2);
    QCOMPARE(records->at(1).graphicsCardText, QString::fromLatin1(atLimit));

    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"),
                                  database({" 10"}) + "A\r\n 20\r\n" + atLimit + "x\r\nB\r\n"));
    const std::optional<FileError> error = SystemsDatabase::ReadSystemsDatabase().error();
    QVERIFY(error);
    QCOMPARE(error->fileName, QStringLiteral("systemy.dtb"));
    QCOMPARE(error->reason, QStringLiteral("Řádek 7 je delší než 65536 bajtů."));
}

// As many records as the limit are read; one more and the database is
// refused with the limit in the reason. A last record cut short does not
// count.
void tst_SystemsDatabase::recordCountLimit() {
    const QByteArray record("P\r\n 1\r\nG\r\nM\r\n");
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"),
                                  record.repeated(SystemsDatabase::kMaxRecordCount) + "P\r\n 1\r\n"));
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records.ok());
    QCOMPARE(records->size(), SystemsDatabase::kMaxRecordCount);

    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"),
                                  record.repeated(SystemsDatabase::kMaxRecordCount + 1)));
    const std::optional<FileError> error = SystemsDatabase::ReadSystemsDatabase().error();
    QVERIFY(error);
    QCOMPARE(error->fileName, QStringLiteral("systemy.dtb"));
    QCOMPARE(error->reason, QStringLiteral("Databáze má více než 100000 záznamů, víc než seznam pojme."));
}

// A file larger than the limit is refused before it is read. The files are
// sparse: at the limit the reader meets a line of zero bytes that is too
// long; one byte over it reads nothing.
void tst_SystemsDatabase::fileSizeLimit() {
    QFile file(QStringLiteral("systemy.dtb"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(SystemsDatabase::kMaxFileSize));
    file.close();
    std::optional<FileError> error = SystemsDatabase::ReadSystemsDatabase().error();
    QVERIFY(error);
    QCOMPARE(error->reason, QStringLiteral("Řádek 1 je delší než 65536 bajtů."));
    for (const qint64 size : {SystemsDatabase::kMaxFileSize + 1, 1024LL * 1024 * 1024}) {
        QVERIFY(file.resize(size));
        error = SystemsDatabase::ReadSystemsDatabase().error();
        QVERIFY(error);
        QCOMPARE(error->reason, QStringLiteral("Soubor je větší než 16 MB."));
    }
    // Nor is a file written that the reader would refuse: the old one stays.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 10"})));
    const QString longText(64 * 1024, u'x');
    const QList<SystemRecord> large(70, SystemRecord{longText, longText, longText, longText});
    error = SystemsDatabase::WriteSystemsDatabase(large);
    QVERIFY(error);
    QCOMPARE(error->reason, QStringLiteral("Databáze by byla větší než 16 MB, víc než program přečte."));
    QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), database({" 10"}));
}

QTEST_GUILESS_MAIN(tst_SystemsDatabase)
#include "tst_SystemsDatabase.moc"
