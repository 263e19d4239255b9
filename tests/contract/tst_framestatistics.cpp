#include "contract/FrameStatistics.h"
#include "contract/RepeatStatistics.h"

#include <QtTest>
#include <cmath>
#include <limits>
#include <numeric>

using namespace FrameStatistics;

Q_DECLARE_METATYPE(BlockSampling)

class TestFrameStatistics : public QObject {
    Q_OBJECT

private slots:
    // Nearest rank on 1..n: the small sizes are where an off-by-one shows.
    void percentile_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("expected");
        QTest::newRow("1") << 1 << 1.0;
        QTest::newRow("2") << 2 << 2.0;
        QTest::newRow("99") << 99 << 99.0;
        QTest::newRow("100") << 100 << 99.0;
        QTest::newRow("101") << 101 << 100.0;
        QTest::newRow("none") << 0 << 0.0;
    }
    void percentile() {
        QFETCH(int, count);
        QFETCH(double, expected);
        QList<double> values(count);
        std::iota(values.begin(), values.end(), 1.0);
        QCOMPARE(Percentile(values, 99), expected);
    }

    void block_data() {
        QTest::addColumn<QList<double>>("rates");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("leftOut");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("average");
        QTest::addColumn<double>("p99Ms");
        QTest::addColumn<double>("slowest");
        QTest::addColumn<double>("fastest");
        // Uneven frames: the mean of the rates would be 55, the rate over
        // the time taken is 2 / 0.11 s.
        QTest::newRow("uneven") << QList<double>{100, 10} << 2 << 0 << 0.11 << 2 / 0.11 << 100.0 << 10.0
                                << 100.0;
        QTest::newRow("steady") << QList<double>(50, 25.0) << 50 << 0 << 2.0 << 25.0 << 40.0 << 25.0 << 25.0;
        QTest::newRow("gaps left out") << QList<double>{0, -5, std::numeric_limits<double>::infinity(),
                                                        std::numeric_limits<double>::quiet_NaN(), 50}
                                       << 1 << 4 << 0.02 << 50.0 << 20.0 << 50.0 << 50.0;
        QTest::newRow("frame time beyond double")
            << QList<double>{1e-310, 50} << 1 << 1 << 0.02 << 50.0 << 20.0 << 50.0 << 50.0;
        QTest::newRow("nothing usable") << QList<double>{0, -1} << 0 << 2 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    }
    void block() {
        QFETCH(QList<double>, rates);
        const BlockFigures figures = Block(rates, {});
        QCOMPARE(figures.values, int(rates.size()));
        QTEST(figures.frames, "frames");
        QTEST(figures.leftOut, "leftOut");
        QTEST(figures.seconds, "seconds");
        QTEST(figures.averageRate, "average");
        QTEST(figures.percentile99Ms, "p99Ms");
        QCOMPARE(figures.low1PercentRate, figures.percentile99Ms > 0 ? 1000 / figures.percentile99Ms : 0.0);
        QTEST(figures.slowestRate, "slowest");
        QTEST(figures.fastestRate, "fastest");
    }

    // How evenly the frames came. The worked example of docs/smoothness.md:
    // one 200 ms frame among 999 of 8 ms is 1 % of the frames but 2.4 % of
    // the time; it leaves the 99th percentile at 8 ms, while the slowest 1 %
    // of the time runs at 5 fps. A thinned block's 2 kept stutters of every
    // 3rd frame stand for 6 frames; a gap parts its neighbours.
    void smoothness_data() {
        QTest::addColumn<QList<double>>("rates");
        QTest::addColumn<BlockSampling>("sampling");
        QTest::addColumn<double>("p99Ms");
        QTest::addColumn<double>("limitMs");
        QTest::addColumn<int>("stutterFrames");
        QTest::addColumn<double>("stutterPercent");
        QTest::addColumn<double>("slowestTimeRate");
        QTest::addColumn<double>("jitterMs");
        QList<double> example(999, 125.0);
        example.insert(500, 5.0);
        QTest::newRow("worked example")
            << example << BlockSampling{} << 8.0 << 20.0 << 1 << 100 * 200.0 / 8192 << 5.0 << 0.0;
        QList<double> thinned;
        for (int pair = 0; pair < 48; ++pair) {
            thinned << 100.0 << 1000.0 / 12;
        }
        thinned << 25.0 << 25.0;
        QTest::newRow("thinned") << thinned << BlockSampling{3, 294, 3.408} << 40.0 << 30.0 << 6
                                 << 100 * 80.0 / 1136 << 25.0 << 28.0;
        QTest::newRow("gap parts neighbours")
            << QList<double>{100, 0, 50, 50} << BlockSampling{} << 20.0 << 50.0 << 0 << 0.0 << 50.0 << 0.0;
        QTest::newRow("steps") << QList<double>{100, 50, 100, 50} << BlockSampling{} << 20.0 << 25.0 << 0
                               << 0.0 << 50.0 << 10.0;
    }
    void smoothness() {
        QFETCH(QList<double>, rates);
        QFETCH(BlockSampling, sampling);
        const BlockFigures figures = Block(rates, sampling);
        QTEST(figures.percentile99Ms, "p99Ms");
        QVERIFY(figures.smoothness);
        QTEST(figures.smoothness->stutterLimitMs, "limitMs");
        QTEST(figures.smoothness->stutterFrames, "stutterFrames");
        QTEST(figures.smoothness->stutterPercent, "stutterPercent");
        QTEST(figures.smoothness->slowestTimeRate, "slowestTimeRate");
        QTEST(figures.smoothness->jitter99Ms, "jitterMs");
        QVERIFY(!Block(QList<double>{0, -1}, sampling).smoothness);
    }

    // Frames over time weighs the long test; the geometric mean weighs each
    // test the same; a test without usable frames adds only its gaps.
    void run() {
        const BlockFigures slow = Block(QList<double>(10, 10.0), {});
        const BlockFigures fast = Block(QList<double>(40, 40.0), {});
        const BlockFigures empty = Block(QList<double>{0, 0, 0}, {});
        const RunFigures figures = Run({slow, fast, empty});
        QCOMPARE(figures.framesPerSecond, 25.0);
        QCOMPARE(figures.geometricMeanRate, 20.0);
        QCOMPARE(figures.leftOut, 3);
        QCOMPARE(Run({empty}).geometricMeanRate, 0.0);
    }

    // The spread of a repeated run's figures against values worked out by
    // hand: sample deviation (n - 1), t(0.975) of n - 1 degrees of freedom.
    void repeatSpread_data() {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("mean");
        QTest::addColumn<double>("deviation");
        QTest::addColumn<double>("reach");
        QTest::addColumn<double>("cvPercent");
        // The worst run's value / the best run's, in percent.
        QTest::addColumn<double>("stability");
        QTest::newRow("two runs") << QList<double>{1, 3} << 2.0 << std::sqrt(2.0) << 12.706205 << 70.710678
                                  << 100.0 / 3;
        QTest::newRow("three runs, the best in the middle")
            << QList<double>{12, 14, 10} << 12.0 << 2.0 << 4.302653 * 2 / std::sqrt(3.0) << 100.0 / 6
            << 100.0 * 10 / 14;
        QTest::newRow("twenty runs, no spread")
            << QList<double>(20, 50.0) << 50.0 << 0.0 << 0.0 << 0.0 << 100.0;
        QTest::newRow("a single run") << QList<double>{7} << 7.0 << 0.0 << 0.0 << 0.0 << 100.0;
        // A very slow machine's scores.
        QTest::newRow("scores below 1") << QList<double>{0.25, 0.5} << 0.375 << 0.125 * std::sqrt(2.0)
                                        << 12.706205 * 0.125 << 100 * std::sqrt(2.0) / 3 << 50.0;
        QTest::newRow("zero mean") << QList<double>{-1, 1} << 0.0 << std::sqrt(2.0) << 12.706205 << 0.0
                                   << 0.0;
        QTest::newRow("no run above 0") << QList<double>{0, 0} << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
    }
    void repeatSpread() {
        QFETCH(QList<double>, values);
        QFETCH(double, mean);
        QFETCH(double, deviation);
        QFETCH(double, reach);
        QFETCH(double, cvPercent);
        QFETCH(double, stability);
        const RepeatStatistics::Spread spread = RepeatStatistics::Of(values);
        QCOMPARE(spread.count, int(values.size()));
        QCOMPARE(spread.mean, mean);
        QVERIFY(qAbs(spread.standardDeviation - deviation) < 1e-9);
        QVERIFY(qAbs(spread.confidenceLow - (mean - reach)) < 1e-5);
        QVERIFY(qAbs(spread.confidenceHigh - (mean + reach)) < 1e-5);
        QVERIFY(qAbs(spread.coefficientOfVariationPercent - cvPercent) < 1e-5);
        QVERIFY2(qAbs(spread.stabilityPercent.value_or(-1) - stability) < 1e-9,
                 qPrintable(QString::number(spread.stabilityPercent.value_or(-1))));
    }

    // Beyond the table the expansion joins it smoothly.
    void studentQuantileBeyondTheTable() {
        QVERIFY(qAbs(RepeatStatistics::StudentT95(31) - 2.039513) < 2e-4);
        QVERIFY(qAbs(RepeatStatistics::StudentT95(1000) - 1.962339) < 1e-5);
        QCOMPARE(RepeatStatistics::StudentT95(0), 0.0);
    }
};

QTEST_APPLESS_MAIN(TestFrameStatistics)
#include "tst_framestatistics.moc"
