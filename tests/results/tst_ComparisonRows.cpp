#include "results/ComparisonRows.h"

#include <QtTest>

namespace {

// Records named after their position in the database ("r0", "r1", …) with
// these score texts.
QList<SystemRecord> records(const QStringList& scores) {
    QList<SystemRecord> list;
    for (const QString& score : scores) {
        const QString name = QStringLiteral("r%1").arg(list.size());
        list.append(
            SystemRecord{name, score, name + QStringLiteral(" karta"), name + QStringLiteral(" paměť")});
    }
    return list;
}

const SystemRecord kUser{QStringLiteral("user"), QStringLiteral(" 30"), QStringLiteral("user karta"),
                         QStringLiteral("user paměť")};

} // namespace

class TestComparisonRows : public QObject {
    Q_OBJECT

private slots:
    void placeUser_data() {
        QTest::addColumn<QStringList>("scores");
        QTest::addColumn<bool>("withUser");
        QTest::addColumn<double>("score");
        QTest::addColumn<QStringList>("order");

        QTest::newRow("empty database") << QStringList{} << true << 30.0 << QStringList{"user"};
        QTest::newRow("empty database, no user") << QStringList{} << false << 30.0 << QStringList{};
        QTest::newRow("between") << QStringList{" 10", " 40"} << true << 30.0
                                 << QStringList{"r0", "user", "r1"};
        QTest::newRow("below all") << QStringList{" 10", " 40"} << true << 5.0
                                   << QStringList{"user", "r0", "r1"};
        QTest::newRow("above all") << QStringList{" 10", " 40"} << true << 50.0
                                   << QStringList{"r0", "r1", "user"};
        QTest::newRow("ties keep the older results first")
            << QStringList{" 10", " 30", " 30", " 40"} << true << 30.0
            << QStringList{"r0", "r1", "r2", "user", "r3"};
        QTest::newRow("tie with the last record")
            << QStringList{" 10", " 30"} << true << 30.0 << QStringList{"r0", "r1", "user"};
        QTest::newRow("tie with the first record")
            << QStringList{" 30", " 40"} << true << 30.0 << QStringList{"r0", "user", "r1"};
        QTest::newRow("no user: the records as they are")
            << QStringList{" 40", " 10"} << false << 30.0 << QStringList{"r0", "r1"};
        // Not sorted: the first greater score decides, whatever follows.
        QTest::newRow("unsorted database")
            << QStringList{" 50", " 10", " 20"} << true << 30.0 << QStringList{"user", "r0", "r1", "r2"};
        QTest::newRow("score read as its leading number")
            << QStringList{" 2.5E+1 bodů", "3.1E1", "abc"} << true << 30.0
            << QStringList{"r0", "user", "r1", "r2"};
        QTest::newRow("negative scores")
            << QStringList{"-20", "-5"} << true << -10.0 << QStringList{"r0", "user", "r1"};
    }

    void placeUser() {
        QFETCH(QStringList, scores);
        QFETCH(bool, withUser);
        QFETCH(double, score);
        QFETCH(QStringList, order);
        const QList<SystemRecord> database = records(scores);
        const QList<SystemRecord> rows = ComparisonRows::PlaceUser(
            database, withUser ? std::optional<SystemRecord>(kUser) : std::nullopt, score);
        QStringList names;
        for (const SystemRecord& row : rows) {
            names.append(row.computerText);
            // Every row is a whole record, the user's included.
            const SystemRecord& expected =
                row.computerText == kUser.computerText ? kUser : database.at(row.computerText.mid(1).toInt());
            QCOMPARE(row, expected);
        }
        QCOMPARE(names, order);
    }
};

QTEST_APPLESS_MAIN(TestComparisonRows)
#include "tst_ComparisonRows.moc"
