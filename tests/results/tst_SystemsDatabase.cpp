#include "ResultsFixture.h"
#include "results/SystemsDatabase.h"

#include <QDir>
#include <QTemporaryDir>
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

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previous;
};

void tst_SystemsDatabase::init() {
    m_previous = QDir::currentPath();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void tst_SystemsDatabase::cleanup() {
    QDir::setCurrent(m_previous);
    m_dir.reset();
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
    writeFile(QStringLiteral("systemy.dtb"), bytes);
    QVERIFY(SystemsDatabase::SystemsDatabaseExists());
    const std::optional<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records);
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
    writeFile(QStringLiteral("systemy.dtb"), bytes);
    const std::optional<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    QVERIFY(records);
    QFile::remove(QStringLiteral("systemy.dtb"));
    QCOMPARE(SystemsDatabase::WriteSystemsDatabase(*records), std::nullopt);
    QCOMPARE(readFile(QStringLiteral("systemy.dtb")), bytes);
}

void tst_SystemsDatabase::failedWriteKeepsWhatWasThere() {
    QVERIFY(QDir().mkdir(QStringLiteral("systemy.dtb")));
    writeFile(QStringLiteral("systemy.dtb/obsah"), "x");
    const std::optional<FileError> error =
        SystemsDatabase::WriteSystemsDatabase({{"Počítač", " 1", "Karta", "Paměť"}});
    QVERIFY(error);
    QVERIFY(error->message().contains(QStringLiteral("systemy.dtb")));
    QCOMPARE(readFile(QStringLiteral("systemy.dtb/obsah")), QByteArray("x"));
}

void tst_SystemsDatabase::unencodableTextIsRefused() {
    writeFile(QStringLiteral("systemy.dtb"), database({" 10"}));
    const std::optional<FileError> error =
        SystemsDatabase::WriteSystemsDatabase({{QStringLiteral("Počítač 日本"), " 1", "Karta", "Paměť"}});
    QVERIFY(error);
    QVERIFY(error->message().contains(QStringLiteral("日")));
    QCOMPARE(readFile(QStringLiteral("systemy.dtb")), database({" 10"}));
}

QTEST_GUILESS_MAIN(tst_SystemsDatabase)
#include "tst_SystemsDatabase.moc"
