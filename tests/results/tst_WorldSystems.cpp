#include "ResultsFixture.h"
#include "results/SystemsDatabase.h"
#include "results/WorldSystems.h"

#include <QTest>

using namespace ResultsFixture;

namespace {

// The record the fixture's database() writes for this score text.
SystemRecord Record(const QString& score) {
    const QString name = score.trimmed();
    return {QStringLiteral("Počítač ") + name, score, QStringLiteral("Karta ") + name,
            QStringLiteral("Paměť ") + name};
}

QList<SystemRecord> Records(const QStringList& scores) {
    QList<SystemRecord> records;
    for (const QString& score : scores) {
        records.append(Record(score));
    }
    return records;
}

QStringList Scores(const QList<SystemRecord>& records) {
    QStringList scores;
    for (const SystemRecord& record : records) {
        scores.append(record.scoreText);
    }
    return scores;
}

} // namespace

class tst_WorldSystems : public QObject {
    Q_OBJECT

private slots:
    void decodesWhatTheServiceWrites();
    void refusesWhatIsNoDatabase_data();
    void refusesWhatIsNoDatabase();
    void merges_data();
    void merges();
    void mergeBeyondTheReadersLimitIsRefused();
};

void tst_WorldSystems::decodesWhatTheServiceWrites() {
    const WorldSystems::Decoded decoded = WorldSystems::Decode(database({" 3.5", " 10", " 10", " 1E3"}));
    QCOMPARE(decoded.problem, QString());
    QCOMPARE(decoded.records, Records({" 3.5", " 10", " 10", " 1E3"}));
    QCOMPARE(decoded.records.at(0).memoryText, QStringLiteral("Paměť 3.5"));
    QVERIFY(WorldSystems::Decode({}).records.isEmpty());
    QCOMPARE(WorldSystems::Decode({}).problem, QString());
}

void tst_WorldSystems::refusesWhatIsNoDatabase_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = database({" 10", " 20"});
    QTest::newRow("lines ended by LF")
        << QByteArray(good).replace("\r\n", "\n") << QStringLiteral("poslední řádek nekončí CR LF.");
    QTest::newRow("one line ended by LF") << QByteArray("a\nb\r\n 1\r\nc\r\nd\r\n")
                                          << QStringLiteral("řádek 1 není text v kódování Windows-1250.");
    QTest::newRow("a record cut short") << good + "X\r\n 30\r\n"
                                        << QStringLiteral("poslední záznam nemá čtyři řádky.");
    QTest::newRow("UTF-16") << QByteArray("a\0b\0\r\n 1\r\nc\r\nd\r\n", 16)
                            << QStringLiteral("řádek 1 není text v kódování Windows-1250.");
    QTest::newRow("an unassigned byte") << QByteArray("a\r\n 1\r\n\x81\r\nd\r\n")
                                        << QStringLiteral("řádek 3 není text v kódování Windows-1250.");
    QTest::newRow("score without a number")
        << database({" 10", "abc"}) << QStringLiteral("skóre na řádku 6 nezačíná číslem.");
    QTest::newRow("score of a blank")
        << database({" "}) << QStringLiteral("skóre na řádku 2 nezačíná číslem.");
    QTest::newRow("infinite score") << database({" 1E999"})
                                    << QStringLiteral("skóre na řádku 2 nezačíná číslem.");
    QTest::newRow("descending") << database({" 20", " 10"})
                                << QStringLiteral(
                                       "skóre na řádku 6 je menší než předchozí, záznamy nejsou seřazeny.");
    QTest::newRow("an HTML page") << QByteArray("<html><body>Chyba</body></html>\r\n")
                                  << QStringLiteral("poslední záznam nemá čtyři řádky.");
    QTest::newRow("a line too long") << QByteArray(64 * 1024 + 1, 'x') + "\r\n 1\r\nc\r\nd\r\n"
                                     << QStringLiteral("řádek 1 je delší než 65536 bajtů.");
    QTest::newRow("larger than the reader takes")
        << QByteArray(SystemsDatabase::kMaxFileSize + 1, ' ') << QStringLiteral("je větší než 16 MB.");
    QTest::newRow("more records than the reader takes")
        << QByteArray("a\r\n 1\r\nb\r\nc\r\n").repeated(SystemsDatabase::kMaxRecordCount + 1)
        << QStringLiteral("má více než 100000 záznamů.");
}

void tst_WorldSystems::refusesWhatIsNoDatabase() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const WorldSystems::Decoded decoded = WorldSystems::Decode(bytes);
    QCOMPARE(decoded.problem, QStringLiteral("Služba neposlala databázi systémů: ") + reason);
    QVERIFY(decoded.records.isEmpty());
}

void tst_WorldSystems::merges_data() {
    QTest::addColumn<QStringList>("local");
    QTest::addColumn<QStringList>("world");
    QTest::addColumn<QStringList>("merged");
    QTest::addColumn<int>("added");
    QTest::newRow("into nothing") << QStringList{} << QStringList{" 10", " 20"} << QStringList{" 10", " 20"}
                                  << 2;
    QTest::newRow("between and after") << QStringList{" 10", " 30"} << QStringList{" 5", " 20", " 40"}
                                       << QStringList{" 5", " 10", " 20", " 30", " 40"} << 3;
    QTest::newRow("present ones not twice") << QStringList{" 10", " 20"} << QStringList{" 10", " 15", " 20"}
                                            << QStringList{" 10", " 15", " 20"} << 1;
    QTest::newRow("nothing new") << QStringList{" 10"} << QStringList{" 10"} << QStringList{" 10"} << 0;
    QTest::newRow("a world record listed twice")
        << QStringList{} << QStringList{" 10", " 10"} << QStringList{" 10"} << 1;
    // Equal scores keep the user's records first, as the results window
    // places a run of an equal score after the older ones.
    QTest::newRow("equal scores after the local one")
        << QStringList{"10 body"} << QStringList{" 10"} << QStringList{"10 body", " 10"} << 1;
    // A file out of order keeps its order; each new record stands before
    // the first record of a greater score.
    QTest::newRow("local order kept") << QStringList{" 50", " 10", " 60", "abc"} << QStringList{" 20", " 55"}
                                      << QStringList{" 20", " 50", " 10", " 55", " 60", "abc"} << 2;
    QTest::newRow("letters count as 0")
        << QStringList{"abc", " 5"} << QStringList{" 1"} << QStringList{"abc", " 1", " 5"} << 1;
}

void tst_WorldSystems::merges() {
    QFETCH(QStringList, local);
    QFETCH(QStringList, world);
    QFETCH(QStringList, merged);
    QFETCH(int, added);
    const WorldSystems::Merged result = WorldSystems::Merge(Records(local), Records(world));
    QCOMPARE(result.problem, QString());
    QCOMPARE(Scores(result.records), merged);
    QCOMPARE(result.records, Records(merged));
    QCOMPARE(result.added, added);
}

void tst_WorldSystems::mergeBeyondTheReadersLimitIsRefused() {
    QList<SystemRecord> local;
    for (int i = 0; i < SystemsDatabase::kMaxRecordCount; ++i) {
        local.append(Record(QStringLiteral(" %1").arg(i)));
    }
    const WorldSystems::Merged full = WorldSystems::Merge(local, {local.constLast()});
    QCOMPARE(full.problem, QString());
    QCOMPARE(full.records.size(), SystemsDatabase::kMaxRecordCount);
    const WorldSystems::Merged over = WorldSystems::Merge(local, Records({" 0.5"}));
    QCOMPARE(over.problem,
             QStringLiteral("Databáze systémů by měla více než 100000 záznamů, víc než seznam pojme."));
    QVERIFY(over.records.isEmpty());
}

QTEST_GUILESS_MAIN(tst_WorldSystems)
#include "tst_WorldSystems.moc"
