#include "ResultsFixture.h"
#include "WorkingFolder.h"
#include "results/ResultsCsv.h"
#include "results/ResultsDetails.h"

#include <QDir>
#include <QTest>
#include <algorithm>
#include <numeric>

using namespace ResultsFixture;
using ResultsDetails::Details;

class tst_ResultsDetails : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void blockFigures_data();
    void blockFigures();
    void runFigures();
    void testNames_data();
    void testNames();
    void damagedLogHasNoTests();
    void frameTimeRunsBreakAtGaps();
    void thinnedBlocksShowAllTheirFrames();
    void thinningKeepsEverySpike();
    void histogram_data();
    void histogram();
    void csvBytes();
    void csvFileNames_data();
    void csvFileNames();
    void csvWriteFailure_data();
    void csvWriteFailure();

private:
    std::optional<WorkingFolder> m_folder;
};

void tst_ResultsDetails::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_ResultsDetails::cleanup() {
    m_folder.reset();
}

// One block as the log holds it, its figures computed by hand: frames, left
// out, seconds, frames / seconds, the 99th-percentile frame time, the slowest
// and fastest frame's rate. The percentile's ranks are tst_framestatistics'.
void tst_ResultsDetails::blockFigures_data() {
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("leftOut");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<double>("average");
    QTest::addColumn<double>("p99Ms");
    QTest::addColumn<double>("slowest");
    QTest::addColumn<double>("fastest");
    // 10, 20, 40 and 50 ms: the mean of the rates is 48.75, but 4 frames in
    // 0.12 s are 33.3 per second.
    QTest::newRow("uneven") << QByteArray("4\r\n100\r\n50\r\n25\r\n20\r\n0\r\n") << 4 << 0 << 0.12 << 4 / 0.12
                            << 50.0 << 20.0 << 100.0;
    QTest::newRow("gaps") << QByteArray("4\r\n0\r\n-5\r\n40\r\nabc\r\n0\r\n") << 1 << 3 << 0.025 << 40.0
                          << 25.0 << 40.0 << 40.0;
    QTest::newRow("1 frame, closing value no frame")
        << QByteArray("1\r\n50\r\n1\r\n") << 1 << 0 << 0.02 << 50.0 << 20.0 << 50.0 << 50.0;
    QTest::newRow("count 0") << QByteArray("0\r\n7\r\n") << 0 << 0 << 0.0 << 0.0 << 0.0 << 0.0 << 0.0;
}

void tst_ResultsDetails::blockFigures() {
    QFETCH(QByteArray, block);
    // A second block keeps the run's frame total above 0 for "count 0".
    QVERIFY(writeLog(block + "1\r\n10\r\n0\r\nkonec\r\n"));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.outcome, ResultsLog::Outcome::Ok);
    QCOMPARE(details.tests.size(), 2);
    const FrameStatistics::BlockFigures& f = details.tests[0].figures;
    QTEST(f.frames, "frames");
    QTEST(f.leftOut, "leftOut");
    QCOMPARE(f.frames + f.leftOut, int(details.tests[0].rates.size()));
    QTEST(f.seconds, "seconds");
    QTEST(f.averageRate, "average");
    QTEST(f.percentile99Ms, "p99Ms");
    QCOMPARE(f.low1PercentRate, f.frames ? 1000 / f.percentile99Ms : 0.0);
    QTEST(f.slowestRate, "slowest");
    QTEST(f.fastestRate, "fastest");
}

// Frames / total time, the geometric mean of the tests' rates and the score
// differ on uneven tests; the score still sums every value line.
void tst_ResultsDetails::runFigures() {
    QVERIFY(writeLog("4\r\n100\r\n50\r\n25\r\n20\r\n0\r\n"
                     "2\r\n0\r\n40\r\n0\r\n"
                     "0\r\n0\r\nkonec\r\n"));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.outcome, ResultsLog::Outcome::Ok);
    QCOMPARE(details.tests.size(), 3);
    QCOMPARE(details.run.framesPerSecond, 5 / 0.145);
    QCOMPARE(details.run.geometricMeanRate, std::sqrt(4 / 0.12 * 40));
    QCOMPARE(details.run.leftOut, 1);
    QCOMPARE(details.summary.score, 235.0 / 6);
    QCOMPARE(details.tests[2].rates, QList<double>{});
    QCOMPARE(details.tests[1].rates, (QList<double>{0, 40}));
}

void tst_ResultsDetails::testNames_data() {
    QTest::addColumn<int>("blocks");
    // What the engine adds to the conditions line for other tests or order.
    QTest::addColumn<QString>("note");
    QTest::addColumn<QStringList>("names");
    // The tests' numbers, for comparing with another run; empty when the
    // log does not say which tests its blocks are.
    QTest::addColumn<QList<int>>("numbers");
    QStringList rated;
    for (const QStringView name : EngineContract::kTestNames) {
        rated << name.toString();
    }
    const QList<int> all = {0, 1, 2, 3, 4, 5, 6};
    QTest::newRow("7 blocks") << 7 << QString() << rated << all;
    QTest::newRow("3 blocks") << 3 << QString() << QStringList{"Test 1", "Test 2", "Test 3"} << QList<int>();
    QStringList eight;
    for (int i = 1; i <= 8; ++i) {
        eight << QStringLiteral("Test %1").arg(i);
    }
    QTest::newRow("8 blocks") << 8 << QString() << eight << QList<int>();
    QStringList reversed = rated;
    std::reverse(reversed.begin(), reversed.end());
    QTest::newRow("7 blocks in reverse order")
        << 7 << QStringLiteral(", testy 6,5,4,3,2,1,0") << reversed << QList<int>{6, 5, 4, 3, 2, 1, 0};
    QTest::newRow("2 blocks of 3 tests named, the run aborted")
        << 2 << QStringLiteral(", testy 5,2,0") << QStringList{rated[5], rated[2]} << QList<int>{5, 2};
    QStringList seven;
    for (int i = 1; i <= 7; ++i) {
        seven << QStringLiteral("Test %1").arg(i);
    }
    QTest::newRow("7 blocks, a test named twice")
        << 7 << QStringLiteral(", testy 6,5,4,3,2,1,6") << seven << QList<int>();
}

void tst_ResultsDetails::testNames() {
    QFETCH(int, blocks);
    QFETCH(QString, note);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, numbers);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"),
                                  ResultsFixture::logHeader().replace(cp1250(kExtra), cp1250(kExtra + note)) +
                                      blocksScoring(30, blocks)));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.summary.extraText, kExtra + note);
    QStringList shown;
    QList<int> indices;
    for (const ResultsDetails::TestDetails& test : details.tests) {
        shown << test.name;
        indices << test.index;
    }
    QCOMPARE(shown, names);
    QCOMPARE(details.testsNumbered, !numbers.isEmpty());
    // Without numbers, a block's index is its position.
    QList<int> positions(blocks);
    std::iota(positions.begin(), positions.end(), 0);
    QCOMPARE(indices, numbers.isEmpty() ? positions : numbers);
    // The names reach the CSV in UTF-8.
    QVERIFY(ResultsCsv::FramesCsv(details).contains("," + names.last().toUtf8() + ","));
}

// The blocks before the place where the log breaks off are no evaluation's.
void tst_ResultsDetails::damagedLogHasNoTests() {
    QVERIFY(writeLog("1\r\n10\r\n0\r\n3\r\n10\r\n"));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.outcome, ResultsLog::Outcome::Damaged);
    QVERIFY(details.tests.isEmpty());
}

// Time advances by each frame's time; a value that is no rate breaks the
// line and takes no time.
void tst_ResultsDetails::frameTimeRunsBreakAtGaps() {
    const QList<QList<QPointF>> runs = ResultsDetails::FrameTimeRuns({0, 100, 0, 50, 25, -1, 20, 0}, 1);
    const QList<QList<QPointF>> expected = {
        {QPointF(0.01, 10)},
        {QPointF(0.03, 20), QPointF(0.07, 40)},
        {QPointF(0.12, 50)},
    };
    QCOMPARE(runs, expected);
}

// A thinned block (every 2nd of 8 frames in 0.25 s) is shown with all its
// frames and its whole time, its sample spread over that time and numbered
// as the test's frames; the score still sums its values and counts them.
// A closing line whose figures do not fit its block thins nothing.
void tst_ResultsDetails::thinnedBlocksShowAllTheirFrames() {
    const QByteArray blocks =
        "4\r\n100\r\n50\r\n25\r\n20\r\n" +
        cp1250(QStringLiteral("0 vzorek: každý 2. snímek; zobrazeno 8 snímků za 0.25 s\r\n")) +
        "1\r\n10\r\n0\r\n"
        "2\r\n50\r\n50\r\n" +
        cp1250(QStringLiteral("0 vzorek: každý 2. snímek; zobrazeno 9 snímků za 1 s\r\n")) + "konec\r\n";
    QVERIFY(writeLog(blocks));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.outcome, ResultsLog::Outcome::Ok);
    QCOMPARE(details.summary.totalFrames, 7);
    QCOMPARE(details.summary.score, 305.0 / 7);
    QCOMPARE(details.tests.size(), 3);

    const ResultsDetails::TestDetails& thinned = details.tests[0];
    QCOMPARE(thinned.figures.stride, 2);
    QCOMPARE(thinned.figures.frames, 8);
    QCOMPARE(thinned.figures.seconds, 0.25);
    QCOMPARE(thinned.figures.averageRate, 32.0);
    QCOMPARE(thinned.figures.slowestRate, 20.0);
    QCOMPARE(thinned.figures.fastestRate, 100.0);
    QCOMPARE(ResultsDetails::SampleMark(thinned), QStringLiteral("vzorek: každý 2. snímek"));
    QCOMPARE(details.tests[1].figures.stride, 1);
    QCOMPARE(ResultsDetails::SampleMark(details.tests[1]), QString());
    QCOMPARE(details.tests[2].figures.stride, 1);
    QCOMPARE(details.tests[2].figures.frames, 2);
    QCOMPARE(details.run.framesPerSecond, 11 / (0.25 + 0.1 + 0.04));

    // The graph ends with the test.
    const QList<QList<QPointF>> runs =
        ResultsDetails::FrameTimeRuns(thinned.rates, thinned.figures.timeScale);
    QCOMPARE(runs.size(), 1);
    QCOMPARE(runs[0].size(), 4);
    QCOMPARE(runs[0].constLast().x(), 0.25);
    QCOMPARE(runs[0].constLast().y(), 50.0);

    // The frames 1, 3, 5 and 7 at 10, 30, 70 and 120 ms of the sample's
    // 120 ms, stretched over 250 ms.
    const QByteArray frames = ResultsCsv::FramesCsv(details);
    QVERIFY2(frames.contains("0,Test 1,1,20.833,10.000,100\r\n"
                             "0,Test 1,3,62.500,20.000,50\r\n"
                             "0,Test 1,5,145.833,40.000,25\r\n"
                             "0,Test 1,7,250.000,50.000,20\r\n"
                             "1,Test 2,1,100.000,100.000,10\r\n"
                             "2,Test 3,1,20.000,20.000,50\r\n"
                             "2,Test 3,2,40.000,20.000,50\r\n"),
             frames.constData());
    const QByteArray tests = ResultsCsv::TestsCsv(details);
    QVERIFY2(tests.contains("\r\n0,Test 1,8,0,0.25,32,20,50,20,100,2,0,0,50,20,20\r\n"
                            "1,Test 2,1,0,0.1,10,10,100,10,10,1,0,0,250,10,0\r\n"),
             tests.constData());
}

// A column's lowest and highest points survive, with the run's ends; a
// short run is drawn as it is.
void tst_ResultsDetails::thinningKeepsEverySpike() {
    QList<QPointF> points;
    for (int i = 0; i < 1000; ++i) {
        points.append(QPointF(i / 1000.0, i == 500 ? 100 : i == 701 ? 1 : 10 + i % 3));
    }
    QCOMPARE(ResultsDetails::Thinned(points, 0, 1, 250), points);
    const QList<QPointF> kept = ResultsDetails::Thinned(points, 0, 1, 10);
    QVERIFY(kept.size() <= 40);
    QVERIFY(kept.size() >= 20);
    QVERIFY(kept.contains(QPointF(0.5, 100)));
    QVERIFY(kept.contains(QPointF(0.701, 1)));
    QCOMPARE(kept.constFirst(), points.constFirst());
    QCOMPARE(kept.constLast(), points.constLast());
    QVERIFY(std::is_sorted(kept.cbegin(), kept.cend(),
                           [](const QPointF& a, const QPointF& b) { return a.x() <= b.x(); }));
    // Each column reaches as high and as low as before.
    for (int column = 0; column < 10; ++column) {
        const auto inColumn = [column](const QPointF& p) { return int(p.x() * 10) == column; };
        QList<double> before;
        QList<double> after;
        for (const QPointF& p : points) {
            if (inColumn(p)) {
                before.append(p.y());
            }
        }
        for (const QPointF& p : kept) {
            if (inColumn(p)) {
                after.append(p.y());
            }
        }
        QCOMPARE(*std::max_element(after.cbegin(), after.cend()),
                 *std::max_element(before.cbegin(), before.cend()));
        QCOMPARE(*std::min_element(after.cbegin(), after.cend()),
                 *std::min_element(before.cbegin(), before.cend()));
    }
}

void tst_ResultsDetails::histogram_data() {
    QTest::addColumn<QList<double>>("rates");
    QTest::addColumn<int>("bins");
    QTest::addColumn<int>("stride");
    QTest::addColumn<double>("firstMs");
    QTest::addColumn<double>("binMs");
    QTest::addColumn<QList<qint64>>("counts");
    // 10, 20, 20 and 40 ms in 10 ms bins; the longest falls in the last.
    QTest::newRow("spread") << QList<double>{100, 50, 50, 0, 25} << 3 << 1 << 10.0 << 10.0
                            << QList<qint64>{1, 2, 1};
    QTest::newRow("all equal") << QList<double>{50, 50} << 2 << 1 << 19.0 << 1.0 << QList<qint64>{0, 2};
    // Each kept frame of a thinned block stands for its stride's frames.
    QTest::newRow("every 3rd frame") << QList<double>{100, 50, 50, 25} << 3 << 3 << 10.0 << 10.0
                                     << QList<qint64>{3, 6, 3};
    QTest::newRow("no frame") << QList<double>{0, -1} << 3 << 1 << 0.0 << 0.0 << QList<qint64>{};
}

void tst_ResultsDetails::histogram() {
    QFETCH(QList<double>, rates);
    QFETCH(int, bins);
    QFETCH(int, stride);
    const ResultsDetails::Histogram histogram = ResultsDetails::FrameTimeHistogram(rates, bins, stride);
    QTEST(histogram.firstMs, "firstMs");
    QTEST(histogram.binMs, "binMs");
    QTEST(histogram.counts, "counts");
}

void tst_ResultsDetails::csvBytes() {
    QVERIFY(writeLog("2\r\n50\r\n0\r\n0\r\n"
                     "3\r\n40\r\n8\r\n12.5\r\n0\r\n"
                     "0\r\n0\r\nkonec\r\n"));
    const Details details = ResultsDetails::ReadDetails();
    QCOMPARE(details.outcome, ResultsLog::Outcome::Ok);
    QCOMPARE(ResultsCsv::FramesCsv(details),
             QStringLiteral("test,název,snímek,čas od začátku testu (ms),doba snímku (ms),"
                            "snímková frekvence (1/s)\r\n"
                            "0,Test 1,1,20.000,20.000,50\r\n"
                            "0,Test 1,2,,,0\r\n"
                            "1,Test 2,1,25.000,25.000,40\r\n"
                            "1,Test 2,2,150.000,125.000,8\r\n"
                            "1,Test 2,3,230.000,80.000,12.5\r\n")
                 .toUtf8());
    // Test 2: 3 frames in 0.23 s; the 99th percentile is the longest frame.
    // Its smoothness: the median 80 ms makes the stutter limit 200 ms, the
    // slowest 2.3 ms run at 8 fps, and 25 → 125 ms is the largest step.
    QCOMPARE(ResultsCsv::TestsCsv(details),
             QStringLiteral("test,název,snímky,vynecháno,doba (s),průměr (1/s),1% low (1/s),"
                            "99. percentil doby snímku (ms),nejpomalejší snímek (1/s),"
                            "nejrychlejší snímek (1/s),vzorek (každý n. snímek),záseky (snímky),"
                            "záseky (% času),mez záseku (ms),nejpomalejší 1 % času (1/s),"
                            "kolísání 99. percentil (ms)\r\n"
                            "0,Test 1,1,1,0.02,50,50,20,50,50,1,0,0,50,50,0\r\n"
                            "1,Test 2,3,0,0.23,13.0434782609,8,125,8,40,1,0,0,200,8,100\r\n"
                            "2,Test 3,0,0,,,,,,,1,,,,,\r\n")
                 .toUtf8());
}

void tst_ResultsDetails::csvFileNames_data() {
    QTest::addColumn<QString>("frames");
    QTest::addColumn<QString>("tests");
    QTest::newRow("default") << "vysledek.csv"
                             << "vysledek-testy.csv";
    QTest::newRow("other suffix") << "/tmp/beh.txt"
                                  << "/tmp/beh-testy.txt";
    QTest::newRow("no suffix, dotted folder") << "/tmp/a.b/beh"
                                              << "/tmp/a.b/beh-testy.csv";
}

void tst_ResultsDetails::csvFileNames() {
    QFETCH(QString, frames);
    QTEST(ResultsCsv::TestsFileName(frames), "tests");
}

// A directory in the place of either file fails for root too; the failure
// names that file, and a file not yet written stays as it was.
void tst_ResultsDetails::csvWriteFailure_data() {
    QTest::addColumn<QString>("directory");
    QTest::addColumn<bool>("framesWritten");
    QTest::newRow("frames file") << "vysledek.csv" << false;
    QTest::newRow("tests file") << "vysledek-testy.csv" << true;
}

void tst_ResultsDetails::csvWriteFailure() {
    QFETCH(QString, directory);
    QFETCH(bool, framesWritten);
    QVERIFY(writeLog("1\r\n50\r\n0\r\nkonec\r\n"));
    const Details details = ResultsDetails::ReadDetails();
    QVERIFY(QDir().mkdir(directory));
    const std::optional<FileError> error = ResultsCsv::Write(QStringLiteral("vysledek.csv"), details);
    QVERIFY(error.has_value());
    QCOMPARE(error->fileName, directory);
    QVERIFY(!error->reason.isEmpty());
    QCOMPARE(TestSupport::readAll(QStringLiteral("vysledek.csv")) == ResultsCsv::FramesCsv(details),
             framesWritten);
    QVERIFY(!QFileInfo::exists(QStringLiteral("vysledek-testy.csv")) || directory == "vysledek-testy.csv");
}

QTEST_MAIN(tst_ResultsDetails)
#include "tst_ResultsDetails.moc"
