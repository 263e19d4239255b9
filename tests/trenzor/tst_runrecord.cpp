#include "RepeatTable.h"
#include "RunRecord.h"
#include "TestSupport.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

// The run's record without OpenGL: how often a repeated run goes on, and what
// a finished, aborted or failing run leaves on disk with which exit status.
class TestRunRecord : public QObject {
    Q_OBJECT

private:
    // A run through tests per round, each test's 20 values the round's
    // rate (roundRates over again when there are more rounds), until the
    // record stops it or abortAfter tests have finished.
    struct Run {
        int rounds = 0;
        RunRecord::Outcome outcome;
    };
    static Run run(RunRecord& record, int tests, const QList<double>& roundRates, int glErrors = 0,
                   int abortAfter = -1) {
        record.begin({"trenzor", "2024-01-01", "cpu", "mem", "640x480", "opengl", "renderer"}, {});
        if (abortAfter == 0) {
            return {0, record.finish(true)};
        }
        int finished = 0;
        for (Run result;; ++result.rounds) {
            for (int test = 0; test < tests; ++test) {
                record.beginTest();
                record.countGlErrors(result.rounds == 0 && test == 0 ? glErrors : 0);
                const double rate = roundRates[result.rounds % roundRates.size()];
                record.addTest(test, QVector<double>(20, rate), BlockSampling{});
                if (++finished == abortAfter) {
                    result.outcome = record.finish(true);
                    return result;
                }
            }
            record.closeRound();
            if (!record.nextRound()) {
                result.outcome = record.finish(false);
                ++result.rounds;
                return result;
            }
        }
    }

    static RunOptions options(int tests, int repeat, double until) {
        RunOptions options;
        for (int test = 0; test < tests; ++test) {
            options.tests << test;
        }
        options.repeat = repeat;
        options.repeatUntilPercent = until;
        options.summaryPath = QStringLiteral("souhrn.json");
        return options;
    }

    QTemporaryDir m_folder;
    RunConfig m_config;

private slots:
    // Each case in an empty folder of its own.
    void init() {
        QVERIFY(m_folder.isValid());
        QVERIFY(QDir(m_folder.path()).removeRecursively() && QDir().mkpath(m_folder.path()));
        QVERIFY(QDir::setCurrent(m_folder.path()));
    }

    void repeatPolicy_data() {
        QTest::addColumn<int>("repeat");
        QTest::addColumn<double>("until");
        QTest::addColumn<QList<double>>("roundRates");
        QTest::addColumn<int>("rounds");
        // --sustain's minutes, the seconds each run takes on the record's
        // clock, and the lines that end the run: each run's start and score,
        // the verdict.
        QTest::addColumn<int>("sustain");
        QTest::addColumn<double>("runSeconds");
        QTest::addColumn<QStringList>("lastLines");
        const auto row = [](const char* name, int repeat, double until, const QList<double>& rates,
                            int rounds, const QStringList& lastLines = {}) {
            QTest::addRow("%s", name) << repeat << until << rates << rounds << 0 << 1.0 << lastLines;
        };
        row("once", 0, 0, {100}, 1);
        row("--repeat 3", 3, 0, {100}, 3);
        row("--repeat 20", 20, 0, {100}, 20);
        row("--repeat-until, steady: the least runs", 0, 2, {100, 100}, 2);
        row("--repeat-until, never steady: the most runs", 0, 2, {50, 150}, 10);
        // Coefficients of variation after 2 to 5 runs: 47.1 %, 33.3 %, 27.2 %,
        // 23.6 %.
        const QList<double> settling{100, 200, 150, 150, 150, 150};
        // Mean 150, deviation 40.82, t(3) = 3.182 times 40.82 / 2 either side,
        // deviation / mean, worst / best.
        row("--repeat-until 30: below at the fourth", 0, 30, settling, 4,
            {"skóre                       150.00     40.82     85.04 až 214.96     27.22 %   50.00 %"});
        row("--repeat-until 25: below at the fifth", 0, 25, settling, 5);
        // Another run starts while the time since the first started is not
        // up; the last one runs to its end.
        QTest::addRow("--sustain 1, runs of 25 s: the third ends after the minute")
            << 0 << 0.0 << QList<double>{100, 98} << 3 << 1 << 25.0
            << QStringList{"   1     0:00     100.00", "   2     0:25      98.00", "   3     0:50     100.00",
                           "Stabilita 98.00 %: grafická karta pod zátěží drží výkon."};
        QTest::newRow("--sustain 1, 97 %: it slows down")
            << 0 << 0.0 << QList<double>{100, 97} << 3 << 1 << 25.0
            << QStringList{"   3     0:50     100.00",
                           "Stabilita 97.00 %: grafická karta pod zátěží zpomaluje."};
        QTest::addRow("--sustain 1, the first run ends just before the minute")
            << 0 << 0.0 << QList<double>{100} << 2 << 1 << 59.999
            << QStringList{"běh  začátek      skóre", "   1     0:00     100.00", "   2     0:59     100.00",
                           "Stabilita 100.00 %: grafická karta pod zátěží drží výkon."};
        QTest::addRow("--sustain 1, a run of a minute: no stability")
            << 0 << 0.0 << QList<double>{100} << 1 << 1 << 60.0
            << QStringList{"Za 1 min neproběhly dva celé běhy, stabilitu nelze posoudit."};
        QTest::addRow("--sustain 120, runs of 30 min")
            << 0 << 0.0 << QList<double>{90, 100} << 4 << 120 << 1800.0
            << QStringList{"   4    90:00     100.00",
                           "Stabilita 90.00 %: grafická karta pod zátěží zpomaluje."};
    }
    void repeatPolicy() {
        QFETCH(int, repeat);
        QFETCH(double, until);
        QFETCH(QList<double>, roundRates);
        QFETCH(int, rounds);
        QFETCH(int, sustain);
        QFETCH(double, runSeconds);
        QFETCH(QStringList, lastLines);
        RunOptions runOptions = options(2, repeat, until);
        runOptions.sustainMinutes = sustain;
        // The record reads its clock when the first run starts and after each
        // run: each read is a run later.
        qint64 reads = 0;
        RunRecord record(m_config, runOptions,
                         [&reads, runSeconds] { return std::llround(double(reads++) * runSeconds * 1000); });
        const Run result = run(record, 2, roundRates);
        QCOMPARE(result.rounds, rounds);
        QCOMPARE(result.outcome.status, 0);
        const QByteArray bytes = TestSupport::readAll(QStringLiteral("souhrn.json"));
        const QJsonObject summary = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(summary.value("complete").toBool(), true);
        const QJsonArray runs = summary.value("runs").toArray();
        QCOMPARE(runs.size(), runOptions.repeated() ? result.rounds : 0);
        QCOMPARE(summary.value("sustainMinutes").toInt(), sustain);
        const RunSummaryCodec::Decoded decoded = RunSummaryCodec::decode(bytes);
        QVERIFY2(decoded.ok(), qPrintable(decoded.error));
        const QStringList table = RepeatTable::lines(decoded.summary);
        QCOMPARE(table.mid(table.size() - lastLines.size()), lastLines);
        if (sustain == 0) {
            for (const QJsonValue pass : runs) {
                QVERIFY(!pass.toObject().contains("startSeconds"));
            }
            // Only the spread, ending with the score's, as before.
            QCOMPARE(table.isEmpty() ? QString() : table.last().left(6),
                     runs.size() > 1 ? "skóre " : QString());
            return;
        }
        for (qsizetype i = 0; i < runs.size(); ++i) {
            QCOMPARE(runs[i]["startSeconds"].toDouble(-1), double(i) * runSeconds);
            QCOMPARE(runs[i]["run"]["score"].toDouble(), roundRates[i % roundRates.size()]);
        }
    }

    void saved_data() {
        QTest::addColumn<bool>("withOptions");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<int>("glErrors");
        QTest::addColumn<int>("abortAfter");
        QTest::addColumn<int>("status");
        // The rate of the round the log holds, 0 for no log.
        QTest::addColumn<double>("logRate");
        QTest::addColumn<int>("logBlocks");
        QTest::addColumn<bool>("summary");
        QTest::addColumn<bool>("complete");
        QTest::addRow("complete") << true << 0 << 0 << -1 << 0 << 100.0 << 3 << true << true;
        QTest::addRow("OpenGL errors: saved, not complete, status 1")
            << true << 0 << 2 << -1 << 1 << 100.0 << 3 << true << false;
        QTest::addRow("aborted in the second of 3 runs: the first is saved")
            << true << 3 << 0 << 4 << 1 << 100.0 << 3 << true << false;
        QTest::addRow("aborted in the first test: nothing")
            << true << 0 << 0 << 0 << 1 << 0.0 << 0 << false << false;
        QTest::addRow("aborted after one test") << true << 0 << 0 << 1 << 1 << 100.0 << 1 << true << false;
        QTest::addRow("configuration's run aborted after one test: status 0")
            << false << 0 << 0 << 1 << 0 << 100.0 << 1 << false << false;
    }
    void saved() {
        QFETCH(bool, withOptions);
        QFETCH(int, glErrors);
        QFETCH(int, abortAfter);
        QFETCH(double, logRate);
        QFETCH(bool, summary);
        QFETCH(int, repeat);
        QFETCH(int, status);
        QFETCH(int, logBlocks);
        QFETCH(bool, complete);
        std::optional<RunOptions> runOptions;
        if (withOptions) {
            runOptions = options(3, repeat, 0);
        }
        RunRecord record(m_config, runOptions);
        const Run result = run(record, 3, {100, 200}, glErrors, abortAfter);
        QCOMPARE(result.outcome.error, QString());
        QCOMPARE(result.outcome.status, status);
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QCOMPARE(QFile::exists(QStringLiteral("vysledek.log")), logRate != 0);
        QCOMPARE(log.count(ResultsLogWriter::formatRate(logRate).toLatin1()), 20 * logBlocks);
        QVERIFY(!log.contains(ResultsLogWriter::formatRate(200).toLatin1()));
        QCOMPARE(QFile::exists(QStringLiteral("souhrn.json")), summary);
        if (summary) {
            const QJsonObject json =
                QJsonDocument::fromJson(TestSupport::readAll(QStringLiteral("souhrn.json"))).object();
            QCOMPARE(json.value("complete").toBool(), complete);
        }
    }

    // The history keeps a complete run of all seven tests, and only that.
    void history_data() {
        QTest::addColumn<int>("tests");
        QTest::addColumn<int>("glErrors");
        QTest::addColumn<int>("kept");
        QTest::addRow("all seven") << 7 << 0 << 1;
        QTest::addRow("six") << 6 << 0 << 0;
        QTest::addRow("seven with an OpenGL error") << 7 << 1 << 0;
    }
    void history() {
        QFETCH(int, tests);
        QFETCH(int, glErrors);
        QFETCH(int, kept);
        RunOptions runOptions = options(tests, 0, 0);
        runOptions.history = true;
        RunRecord record(m_config, runOptions);
        run(record, tests, {100}, glErrors);
        QCOMPARE(QDir(QStringLiteral("historie")).entryList({QStringLiteral("*.log")}, QDir::Files).size(),
                 kept);
    }

    // A summary that cannot be written fails the run; the log stays.
    void summaryUnwritable() {
        RunOptions runOptions = options(1, 0, 0);
        runOptions.summaryPath = QStringLiteral("chybi/souhrn.json");
        RunRecord record(m_config, runOptions);
        const Run result = run(record, 1, {100});
        QVERIFY2(result.outcome.error.contains(QStringLiteral("chybi/souhrn.json")),
                 qPrintable(result.outcome.error));
        QVERIFY(QFile::exists(QStringLiteral("vysledek.log")));
    }
};

QTEST_GUILESS_MAIN(TestRunRecord)
#include "tst_runrecord.moc"
