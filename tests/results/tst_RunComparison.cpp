#include "SyntheticRuns.h"
#include "results/RunComparison.h"

#include <QtTest>

using RunComparison::Verdict;

class tst_RunComparison : public QObject {
    Q_OBJECT

private slots:
    void judgement_data();
    void judgement();
    void falseAlarmsStayNearFivePercent();
    void compareKeepsTestsOfEitherRun();
    void conditionDifferences_data();
    void conditionDifferences();
};

void tst_RunComparison::judgement_data() {
    QTest::addColumn<double>("speed");
    QTest::addColumn<double>("slowNoise");
    QTest::addColumn<double>("slowCorrelation");
    QTest::addColumn<unsigned>("seed");
    QTest::addColumn<int>("verdict");
    QTest::addColumn<int>("mostParts");

    QTest::newRow("same distribution, little noise")
        << 1.0 << 0.01 << 0.999 << 1u << int(Verdict::WithinNoise) << 8;
    QTest::newRow("same distribution, 20 % noise")
        << 1.0 << 0.2 << 0.999 << 2u << int(Verdict::WithinNoise) << 8;
    QTest::newRow("same distribution, jitter only")
        << 1.0 << 0.0 << 0.0 << 3u << int(Verdict::WithinNoise) << 32;
    QTest::newRow("5 % faster, little noise") << 1.05 << 0.01 << 0.999 << 4u << int(Verdict::Faster) << 8;
    QTest::newRow("5 % slower, little noise") << 1 / 1.05 << 0.01 << 0.999 << 5u << int(Verdict::Slower) << 8;
    QTest::newRow("5 % faster, 20 % noise") << 1.05 << 0.2 << 0.999 << 6u << int(Verdict::WithinNoise) << 8;
    QTest::newRow("1 % faster, jitter only") << 1.01 << 0.0 << 0.0 << 7u << int(Verdict::Faster) << 32;
}

// The other run always has the base speed; both share the path's costs.
void tst_RunComparison::judgement() {
    QFETCH(double, speed);
    QFETCH(double, slowNoise);
    QFETCH(double, slowCorrelation);
    QFETCH(unsigned, seed);
    QFETCH(int, verdict);
    QFETCH(int, mostParts);
    SyntheticRuns::Shape shape;
    shape.slowNoise = slowNoise;
    shape.slowCorrelation = slowCorrelation;
    const QList<double> other = SyntheticRuns::Rates(shape, seed * 1000);
    shape.speed = speed;
    const QList<double> current = SyntheticRuns::Rates(shape, seed * 1000 + 1);

    const RunComparison::Judgement judgement = RunComparison::Judge(current, other);
    QCOMPARE(int(judgement.verdict), verdict);
    // Noise that lasts for many frames makes neighbouring parts alike, and
    // they are merged.
    QVERIFY2(judgement.parts <= mostParts, qPrintable(QString::number(judgement.parts)));
    QVERIFY(judgement.parts >= RunComparison::kMinParts);
    if (verdict != int(Verdict::WithinNoise)) {
        QVERIFY2(std::abs(judgement.differencePercent - (speed - 1) * 100) < judgement.marginPercent,
                 qPrintable(QString::number(judgement.differencePercent)));
    }
}

// The test says "different" for 5 % of the pairs drawn from one
// distribution; without taking the noise's duration into account it says so
// far more often.
void tst_RunComparison::falseAlarmsStayNearFivePercent() {
    SyntheticRuns::Shape shape;
    shape.slowNoise = 0.1;
    int alarms = 0;
    constexpr int kPairs = 100;
    for (unsigned pair = 0; pair < kPairs; ++pair) {
        const RunComparison::Judgement judgement = RunComparison::Judge(
            SyntheticRuns::Rates(shape, 2 * pair + 100), SyntheticRuns::Rates(shape, 2 * pair + 101));
        alarms += judgement.verdict != Verdict::WithinNoise ? 1 : 0;
    }
    QVERIFY2(alarms <= 10, qPrintable(QString::number(alarms)));
}

void tst_RunComparison::compareKeepsTestsOfEitherRun() {
    const auto details = [](int tests, double speed) {
        ResultsDetails::Details details;
        SyntheticRuns::Shape shape;
        shape.speed = speed;
        for (int i = 0; i < tests; ++i) {
            ResultsDetails::TestDetails test;
            test.index = i;
            test.name = ResultsDetails::TestName(i, tests);
            test.rates = SyntheticRuns::Rates(shape, unsigned(i));
            test.figures = FrameStatistics::Block(test.rates, test.sampling);
            details.tests.append(test);
        }
        return details;
    };
    const RunComparison::Comparison comparison = RunComparison::Compare(details(7, 1.1), details(6, 1));
    QCOMPARE(comparison.tests.size(), 7);
    QCOMPARE(comparison.tests[0].name, QStringLiteral("Průlet krajinou"));
    QCOMPARE(int(comparison.tests[0].judgement.verdict), int(Verdict::Faster));
    QVERIFY(std::abs(RunComparison::DifferencePercent(comparison.tests[0].current.averageRate,
                                                      comparison.tests[0].other.averageRate) -
                     10) < 0.5);
    QVERIFY(comparison.tests[6].inCurrent);
    QVERIFY(!comparison.tests[6].inOther);
    QCOMPARE(int(comparison.tests[6].judgement.verdict), int(Verdict::NotJudged));
    QCOMPARE(RunComparison::VerdictText(Verdict::NotJudged), QStringLiteral("–"));
}

void tst_RunComparison::conditionDifferences_data() {
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("other");
    QTest::addColumn<QString>("otherCard");
    QTest::addColumn<QString>("warning");

    const QString conditions = QStringLiteral("okno 640x480, barvy 24 b, Z 24 b, vsync vypnuta");
    const QString card = QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)");
    QTest::newRow("same") << conditions << conditions << card << QString();
    QTest::newRow("size and vsync")
        << conditions << QStringLiteral("okno 800x600, barvy 24 b, Z 24 b, vsync zapnuta") << card
        << QStringLiteral(
               "Podmínky běhů se liší: okno 640x480 / okno 800x600; vsync vypnuta / vsync zapnuta");
    QTest::newRow("safe mode and card")
        << conditions << conditions + QStringLiteral(", bezpečný mód") << QStringLiteral("Radeon")
        << QStringLiteral("Podmínky běhů se liší: – / bezpečný mód; grafická karta %1 / Radeon").arg(card);
}

void tst_RunComparison::conditionDifferences() {
    QFETCH(QString, current);
    QFETCH(QString, other);
    QFETCH(QString, otherCard);
    QFETCH(QString, warning);
    ResultsLog::ResultsLogSummary a;
    a.extraText = current;
    a.graphicsCardText = QStringLiteral("llvmpipe (LLVM 15.0.6, 256 bits)");
    ResultsLog::ResultsLogSummary b;
    b.extraText = other;
    b.graphicsCardText = otherCard;
    QCOMPARE(RunComparison::ConditionsWarning(RunComparison::ConditionDifferences(a, b)), warning);
}

QTEST_GUILESS_MAIN(tst_RunComparison)
#include "tst_RunComparison.moc"
