#include "LogFixture.h"
#include "SyntheticRuns.h"
#include "contract/EngineContract.h"
#include "results/RunComparison.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <cmath>
#include <cstring>

using RunComparison::Verdict;
// Each row's test: its number in the current run and in the other run, -1
// where that run lacks it.
using Rows = QList<std::pair<int, int>>;

namespace {

// A run of this many synthetic tests at this speed, as a log gives it.
ResultsDetails::Details Run(int tests, double speed) {
    ResultsDetails::Details details;
    details.outcome = ResultsLog::Outcome::Ok;
    details.summary.extraText = QStringLiteral("okno 640x480, barvy 24 b, Z 24 b, vsync vypnuta");
    details.summary.graphicsCardText = QStringLiteral("llvmpipe");
    SyntheticRuns::Shape shape;
    shape.speed = speed;
    for (int i = 0; i < tests; ++i) {
        ResultsDetails::TestDetails test;
        test.index = i;
        test.name = RunEvaluation::TestName(i, tests);
        test.rates = SyntheticRuns::Rates(shape, unsigned(i));
        test.figures = FrameStatistics::Block(test.rates, test.sampling);
        details.tests.append(test);
    }
    details.testsNumbered = tests == EngineContract::kTestCount;
    return details;
}

// The engine's summary of the given tests of a seven-test run at this
// speed, as the comparison reads it.
ResultsDetails::Details SummaryOf(const QList<int>& numbers, double speed) {
    const ResultsDetails::Details all = Run(EngineContract::kTestCount, speed);
    ResultsDetails::Details some = all;
    some.tests.clear();
    for (const int number : numbers) {
        some.tests.append(all.tests[number]);
    }
    return ResultsDetails::DetailsOf(RunEvaluation::OfSummary(
        RunSummaryCodec::decode(SyntheticRuns::Summary(some, QStringList(7, QString()))).summary));
}

// 10 s at about 1000 fps with 5 % jitter, on a path that costs the same
// everywhere (a costly place would stutter by the median's measure), with
// frames drawn 8 times as long at random, this share of them.
QList<double> Stuttering(double share, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> jitter(0, 0.05);
    std::bernoulli_distribution stutters(share);
    QList<double> rates;
    for (double seconds = 0; seconds < 10; seconds += 1 / rates.constLast()) {
        rates.append(1000 * std::exp(jitter(random)) / (stutters(random) ? 8 : 1));
    }
    return rates;
}

// Whether two tests' stutter differs, each judged beyond its own limit.
RunComparison::Judgement JudgeStutter(const QList<double>& current, const QList<double>& other) {
    return RunComparison::JudgeStutter(current,
                                       FrameStatistics::Block(current, {}).smoothness->stutterLimitMs, other,
                                       FrameStatistics::Block(other, {}).smoothness->stutterLimitMs);
}

} // namespace

class tst_RunComparison : public QObject {
    Q_OBJECT

private slots:
    void judgement_data();
    void judgement();
    void handWorkedExamples_data();
    void handWorkedExamples();
    void falseAlarmsStayNearFivePercent();
    void stutterJudgement_data();
    void stutterJudgement();
    void compareKeepsTestsOfEitherRun();
    void rowsPairTheSameTest_data();
    void rowsPairTheSameTest();
    void summaryAsTheOtherRun_data();
    void summaryAsTheOtherRun();
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

// Examples worked by hand. The other run draws 256 fps throughout; in the
// current run each of the 32 parts takes 1/32 s at 256 × 2^a fps, so the
// part's log ratio is a × ln 2. Powers of two keep every frame's start exact,
// so no frame falls into a neighbouring part.
void tst_RunComparison::handWorkedExamples_data() {
    QTest::addColumn<QList<int>>("exponents");
    QTest::addColumn<int>("parts");
    QTest::addColumn<double>("differencePercent");
    QTest::addColumn<double>("marginPercent");
    QTest::addColumn<int>("verdict");

    // a = 1, 0, 1, 0, …: mean ln2 / 2, deviations ±ln2 / 2 alternate, so
    // r = −31/32 + 1/32 < 0 and all 32 parts stay (r clamped to 0).
    // s² = 32 (ln2 / 2)² / 31, SE = s / √32 = ln2 / √124 = 0.062246.
    // t(0.975; 31 degrees of freedom) = 2.039513: half-width 0.126953,
    // margin e^0.126953 − 1 = 13.536 % (with 32 degrees of freedom 13.518 %,
    // with 30 13.556 %); difference e^(ln2 / 2) − 1 = √2 − 1 = 41.421 %.
    QList<int> alternating;
    for (int part = 0; part < RunComparison::kParts; ++part) {
        alternating.append(1 - part % 2);
    }
    QTest::newRow("32 parts, 31 degrees of freedom")
        << alternating << 32 << 41.421356 << 13.5363 << int(Verdict::Faster);

    // Blocks of eight parts at a = 1, 0, 1, −1 are merged down to the least
    // four parts: d = ln2 × (1, 0, 1, −1), mean ln2 / 4, squared deviations
    // (9 + 1 + 9 + 25) / 16 × ln2², s = ln2 × √(11/12) = 0.663636;
    // r = −21/44 + 1/4 < 0, clamped to 0. t(0.975; 3) = 3.182446: half-width
    // 3.182446 × 0.663636 / 2 = 1.055996 > mean 0.173287, margin
    // e^1.055996 − 1 = 187.484 % (with 4 degrees of freedom, 2.776445: 151.250 %);
    // difference 2^(1/4) − 1 = 18.921 %.
    QList<int> blocks;
    for (const int a : {1, 0, 1, -1}) {
        blocks += QList<int>(8, a);
    }
    QTest::newRow("4 parts, 3 degrees of freedom")
        << blocks << 4 << 18.920712 << 187.4837 << int(Verdict::WithinNoise);

    // The small-sample correction decides: Σa = 0, Σa² = 34 and
    // Σ a_i a_(i+1) = −1, so the plain lag-1 autocorrelation is −1/34, below 0,
    // but −1/34 + 1/32 = 1/544 is above it, and the parts are merged once.
    // A merged part's rate is the mean of its two: the 16 ratios are
    // 2, 1.25, 1.25, 1.25, 1.25, 2, 0.5, 1.25, 0.75, 0.5, 2, 0.5, 1.25, 0.5,
    // 3, 1.25, their product 2³ × 1.25⁷ × 0.5⁴ × 0.75 × 3 = 1.25⁷ × 1.125 =
    // 5.364418, the mean log ratio ln(5.364418) / 16 and the difference
    // 5.364418^(1/16) − 1 = 11.070 % (on the 32 parts unmerged it is 0 %).
    // At 16 parts r = −0.3977 + 1/16 < 0 and merging stops; the logs' s =
    // 0.567161, t(0.975; 15) = 2.131450, half-width 2.131450 × 0.567161 / 4 =
    // 0.302218 > mean 0.104987, margin e^0.302218 − 1 = 35.286 %.
    QTest::newRow("merged by the correction alone")
        << QList<int>{1, 1,  -1, 1,  1, -1, 1,  -1, -1, 1, 1,  1,  -1, -1, -1, 1,
                      0, -1, -1, -1, 1, 1,  -1, -1, -1, 1, -1, -1, 1,  2,  -1, 1}
        << 16 << 11.069589 << 35.2857 << int(Verdict::WithinNoise);
}

void tst_RunComparison::handWorkedExamples() {
    QFETCH(QList<int>, exponents);
    QFETCH(int, parts);
    QFETCH(double, differencePercent);
    QFETCH(double, marginPercent);
    QFETCH(int, verdict);
    QCOMPARE(exponents.size(), RunComparison::kParts);
    constexpr double kOtherRate = 256;
    QList<double> current;
    for (const int a : exponents) {
        const double rate = kOtherRate * std::exp2(a);
        current += QList<double>(qsizetype(rate) / RunComparison::kParts, rate);
    }
    const QList<double> other(qsizetype(kOtherRate), kOtherRate);

    const RunComparison::Judgement judgement = RunComparison::Judge(current, other);
    QCOMPARE(judgement.parts, parts);
    QVERIFY2(std::abs(judgement.differencePercent - differencePercent) < 1e-4,
             qPrintable(QString::number(judgement.differencePercent, 'f', 6)));
    // Beyond 30 degrees of freedom the quantile is approximated within 1e-4,
    // far less than the step to the next degree of freedom.
    QVERIFY2(std::abs(judgement.marginPercent - marginPercent) < 0.005,
             qPrintable(QString::number(judgement.marginPercent, 'f', 6)));
    QCOMPARE(int(judgement.verdict), verdict);
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
    // Nor does the stutter's share, however rare or common the stutter.
    for (const double share : {0.003, 0.03}) {
        alarms = 0;
        for (unsigned pair = 0; pair < kPairs; ++pair) {
            alarms +=
                JudgeStutter(Stuttering(share, 2 * pair + 100), Stuttering(share, 2 * pair + 101)).verdict !=
                        Verdict::WithinNoise
                    ? 1
                    : 0;
        }
        QVERIFY2(alarms <= 10, qPrintable(QStringLiteral("%1: %2").arg(share).arg(alarms)));
    }
}

void tst_RunComparison::stutterJudgement_data() {
    QTest::addColumn<double>("currentShare");
    QTest::addColumn<double>("otherShare");
    QTest::addColumn<int>("verdict");
    QTest::newRow("neither stutters") << 0.0 << 0.0 << int(Verdict::WithinNoise);
    QTest::newRow("both alike") << 0.01 << 0.01 << int(Verdict::WithinNoise);
    QTest::newRow("four times as often") << 0.02 << 0.005 << int(Verdict::Slower);
    QTest::newRow("a quarter as often") << 0.005 << 0.02 << int(Verdict::Faster);
}

// Frames drawn 8 times as long at random, this share of them, in runs that
// are otherwise alike: whether the stutter's share of the time differs.
void tst_RunComparison::stutterJudgement() {
    QFETCH(double, currentShare);
    QFETCH(double, otherShare);
    QFETCH(int, verdict);
    const QList<double> current = Stuttering(currentShare, 11);
    const QList<double> other = Stuttering(otherShare, 12);
    const Smoothness::Figures mine = *FrameStatistics::Block(current, {}).smoothness;
    const Smoothness::Figures theirs = *FrameStatistics::Block(other, {}).smoothness;
    const RunComparison::Judgement judgement = JudgeStutter(current, other);
    QCOMPARE(int(judgement.verdict), verdict);
    QVERIFY(judgement.parts >= RunComparison::kMinParts);
    // The parts' mean difference is near the tests' whole difference.
    QVERIFY2(std::abs(judgement.differencePercent - (mine.stutterPercent - theirs.stutterPercent)) <=
                 std::max(judgement.marginPercent, 1e-9),
             qPrintable(QString::number(judgement.differencePercent)));
    if (currentShare == 0 && otherShare == 0) {
        QCOMPARE(mine.stutterFrames, 0);
        QCOMPARE(judgement.differencePercent, 0.0);
    }
}

void tst_RunComparison::compareKeepsTestsOfEitherRun() {
    const RunComparison::Comparison comparison = RunComparison::Compare(Run(7, 1.1), Run(6, 1));
    QCOMPARE(comparison.tests.size(), 7);
    QCOMPARE(comparison.tests[0].name, QStringLiteral("Průlet krajinou"));
    QCOMPARE(int(comparison.tests[0].judgement.verdict), int(Verdict::Faster));
    QVERIFY(std::abs(RunComparison::DifferencePercent(comparison.tests[0].current.averageRate,
                                                      comparison.tests[0].other.averageRate) -
                     10) < 0.5);
    QVERIFY(comparison.tests[6].inCurrent());
    QVERIFY(!comparison.tests[6].inOther());
    QCOMPARE(int(comparison.tests[6].judgement.verdict), int(Verdict::NotJudged));
    QCOMPARE(RunComparison::VerdictText(Verdict::NotJudged), QStringLiteral("–"));
}

void tst_RunComparison::rowsPairTheSameTest_data() {
    QTest::addColumn<ResultsDetails::Details>("current");
    QTest::addColumn<ResultsDetails::Details>("other");
    QTest::addColumn<Rows>("rows");

    QTest::newRow("all seven, a summary of two")
        << Run(7, 1.1) << SummaryOf({2, 5}, 1)
        << Rows{{0, -1}, {1, -1}, {2, 2}, {3, -1}, {4, -1}, {5, 5}, {6, -1}};
    QTest::newRow("summaries of different tests")
        << SummaryOf({5}, 1.1) << SummaryOf({2, 5}, 1) << Rows{{-1, 2}, {5, 5}};
    // Three blocks of a log do not say which tests they were: by position.
    QTest::newRow("a log of three, a summary of two")
        << Run(3, 1.1) << SummaryOf({2, 5}, 1) << Rows{{0, 2}, {1, 5}, {2, -1}};
}

// A row compares one test with itself, and its graph draws that test's
// frames from each run.
void tst_RunComparison::rowsPairTheSameTest() {
    QFETCH(ResultsDetails::Details, current);
    QFETCH(ResultsDetails::Details, other);
    QFETCH(Rows, rows);
    const RunComparison::Comparison comparison = RunComparison::Compare(current, other);
    QCOMPARE(comparison.tests.size(), rows.size());
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const RunComparison::TestComparison& test = comparison.tests[row];
        const auto [mine, theirs] = rows[row];
        const auto numberAt = [](const ResultsDetails::Details& run, qsizetype at) {
            return at < 0 ? -1 : run.tests[at].index;
        };
        QCOMPARE(numberAt(current, test.currentAt), mine);
        QCOMPARE(numberAt(other, test.otherAt), theirs);
        QCOMPARE(test.current.averageRate, mine < 0 ? 0 : current.tests[test.currentAt].figures.averageRate);
        QCOMPARE(test.other.averageRate, theirs < 0 ? 0 : other.tests[test.otherAt].figures.averageRate);
    }
}

void tst_RunComparison::summaryAsTheOtherRun_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    // A part of the message naming the file; empty for a summary read.
    QTest::addColumn<QString>("reason");

    QStringList header = LogFixture::header();
    header[int(EngineContract::LogLine::Conditions)] = "okno 800x600, barvy 24 b, Z 24 b, vsync vypnuta";
    header[int(EngineContract::LogLine::GraphicsCard)] = "Radeon";
    QTest::newRow("summary") << "jiny.JSON" << SyntheticRuns::Summary(Run(7, 1), header) << QString();
    // An engine before the smoothness figures wrote none of them.
    QJsonObject older = QJsonDocument::fromJson(SyntheticRuns::Summary(Run(7, 1), header)).object();
    QJsonArray tests;
    for (const QJsonValue test : older.value("tests").toArray()) {
        QJsonObject fields = test.toObject();
        for (const char* name :
             {"stutterLimitMs", "stutterFrames", "stutterPercent", "slowestTimeRate", "jitter99Ms"}) {
            QVERIFY(fields.contains(QLatin1String(name)));
            fields.remove(QLatin1String(name));
        }
        tests.append(fields);
    }
    older.insert("tests", tests);
    QTest::newRow("older summary") << "stary.json" << QJsonDocument(older).toJson() << QString();
    QTest::newRow("broken JSON") << "jiny.json" << QByteArray("{\"program\": ") << "není platný JSON";
    QTest::newRow("JSON that is no summary")
        << "jiny.json" << QByteArray("{}") << "není souhrn běhu: pole \"program\" chybí";
    QTest::newRow("summary without a test")
        << "jiny.json" << SyntheticRuns::Summary(Run(0, 1), header) << "souhrn běhu neobsahuje žádný test";
    QTest::newRow("no file") << "chybi.json" << QByteArray() << QString::fromLocal8Bit(std::strerror(ENOENT));
}

// A summary has the figures but no frame times: the figures are compared,
// the difference is not judged, and its header's conditions are.
void tst_RunComparison::summaryAsTheOtherRun() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QFile file(dir.filePath(fileName));
    QVERIFY(bytes.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()));
    file.close();

    const ResultsDetails::Details other = RunComparison::ReadRun(dir.filePath(fileName));
    if (!reason.isEmpty()) {
        QCOMPARE(int(other.outcome), int(ResultsLog::Outcome::ReadFailed));
        QVERIFY(other.error);
        QVERIFY2(other.error->message().contains(fileName) && other.error->message().contains(reason),
                 qPrintable(other.error->message()));
        return;
    }
    QCOMPARE(int(other.outcome), int(ResultsLog::Outcome::Ok));
    QCOMPARE(other.summary.score, 1234.5);
    QCOMPARE(other.run.framesPerSecond, 111.5);
    QCOMPARE(other.run.geometricMeanRate, 222.5);
    QCOMPARE(other.run.leftOut, 3);
    const ResultsDetails::Details log = Run(7, 1);
    const RunComparison::Comparison comparison = RunComparison::Compare(Run(7, 1.1), other);
    QCOMPARE(comparison.tests.size(), 7);
    for (qsizetype i = 0; i < comparison.tests.size(); ++i) {
        const RunComparison::TestComparison& test = comparison.tests[i];
        QCOMPARE(test.other.averageRate, log.tests[i].figures.averageRate);
        QCOMPARE(test.other.low1PercentRate, log.tests[i].figures.low1PercentRate);
        QCOMPARE(test.other.percentile99Ms, log.tests[i].figures.percentile99Ms);
        QCOMPARE(test.other.slowestRate, log.tests[i].figures.slowestRate);
        QCOMPARE(test.other.fastestRate, log.tests[i].figures.fastestRate);
        QCOMPARE(test.other.smoothness,
                 fileName.startsWith("stary") ? std::nullopt : log.tests[i].figures.smoothness);
        QCOMPARE(RunComparison::StutterVerdictText(test.stutter.verdict),
                 QStringLiteral("bez snímků nelze posoudit"));
        QVERIFY(std::abs(RunComparison::DifferencePercent(test.current.averageRate, test.other.averageRate) -
                         10) < 0.5);
        QCOMPARE(RunComparison::VerdictText(test.judgement.verdict),
                 QStringLiteral("bez snímků nelze posoudit"));
    }
    QCOMPARE(RunComparison::ConditionsWarning(comparison.conditionDifferences),
             QStringLiteral(
                 "Podmínky běhů se liší: okno 640x480 / okno 800x600; grafická karta llvmpipe / Radeon"));
    // No judgement, so the CSV's estimate, interval and parts stay empty.
    const QList<QByteArray> row = RunComparison::Csv(comparison).split('\n')[1].trimmed().split(',');
    QCOMPARE(row.mid(10, 4), (QList<QByteArray>{"", "", "", "bez snímků nelze posoudit"}));
    // The stutter's shares as each run has them, not judged either.
    const QByteArray theirs =
        fileName.startsWith("stary")
            ? QByteArray()
            : QByteArray::number(log.tests[0].figures.smoothness->stutterPercent, 'f', 3);
    QCOMPARE(
        row.mid(14),
        (QList<QByteArray>{QByteArray::number(comparison.tests[0].current.smoothness->stutterPercent, 'f', 3),
                           theirs, "", "", "bez snímků nelze posoudit"}));
    // A name from a summary keeps its row, whatever it holds.
    RunComparison::Comparison named = comparison;
    named.tests[0].name = QStringLiteral("Řádek\r\nzlomený");
    named.tests[1].name = QStringLiteral("Řádek\nzlomený");
    const QByteArray csv = RunComparison::Csv(named);
    QVERIFY(csv.contains("\n\"Řádek\r\nzlomený\",") && csv.contains("\n\"Řádek\nzlomený\","));
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
