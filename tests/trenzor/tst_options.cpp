// The engine's command line as a script uses it: each option in a real run
// of the engine program on the X display the test starts, the summary's
// figures against the results log of the same run (and as the front end's
// reader of summaries takes them in), repeated runs with their spread, the
// exit status of a complete, an aborted and a failed run, and command lines
// that are refused without a display and without touching the old results
// log.

#include "EngineFolder.h"
#include "EngineProcess.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/ResultsLogReader.h"
#include "contract/RunSummaryCodec.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

class TestOptions : public QObject {
    Q_OBJECT

    static constexpr char kOldLog[] = "left from an earlier run\r\n";
    // A summary an earlier run left where this run writes its own.
    static constexpr char kOldSummary[] = "{\"complete\": true}\n";
    // The browser files' own path length, as the generator writes quick ones.
    static constexpr double kBrowserSeconds = 0.3;

    EngineFolder m_folder;

    struct Outcome {
        int code = -1;
        QByteArray out;
        QByteArray errors;
        // A mapped window of the engine's process was seen during the run.
        bool windowSeen = false;
        // From the first message on standard error to the end of the process.
        qint64 msAfterError = -1;
    };

    // Runs the engine with these arguments; without a display when asked.
    // key, if given, is pressed in its window once standard output holds
    // keyAfter.
    static Outcome runEngine(const QStringList& arguments, bool display = true, const QString& key = {},
                             const QByteArray& keyAfter = {}) {
        EngineProcess engine(arguments,
                             display ? QStringList() : QStringList{"-DISPLAY", "QT_QPA_PLATFORM=xcb"});
        bool keyPressed = key.isEmpty();
        const int code = engine.end(120000, [&](const QString& window) {
            if (!keyPressed && !window.isEmpty() && engine.out().contains(keyAfter)) {
                QTest::qWait(500);
                EngineProcess::pressKey(window, key);
                keyPressed = true;
            }
        });
        return {code, engine.out(), engine.errors(), !engine.windowSeen().isEmpty(), engine.msAfterMessage()};
    }

    static QByteArray readFile(const QString& name) {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    struct Log {
        ResultsLogReader::Status status = ResultsLogReader::Status::NoLog;
        QStringList header;
        QList<QList<double>> blocks;
    };

    // The results log's header lines and its blocks' frame rates.
    static Log readLog() {
        ResultsLogReader reader(QStringLiteral("vysledek.log"));
        Log log;
        log.header = reader.header();
        while (reader.nextBlock()) {
            log.blocks.append(reader.block().values.mid(0, reader.block().frameCount));
        }
        log.status = reader.status();
        return log;
    }

    static bool near(double actual, double expected) {
        return std::abs(actual - expected) <= 1e-9 * std::max(1.0, std::abs(expected));
    }

    // Compares a test's figures in the summary with those worked out here
    // from the log's values.
    static void checkBlock(const QJsonObject& test, const QList<double>& rates) {
        QVERIFY(!rates.isEmpty());
        double seconds = 0;
        for (const double rate : rates) {
            seconds += 1 / rate;
        }
        QList<double> ascending = rates;
        std::sort(ascending.begin(), ascending.end());
        const int n = int(rates.size());
        QCOMPARE(test[QStringLiteral("values")].toInt(), n);
        QCOMPARE(test[QStringLiteral("frames")].toInt(), n);
        QCOMPARE(test[QStringLiteral("leftOut")].toInt(), 0);
        QVERIFY(near(test[QStringLiteral("seconds")].toDouble(), seconds));
        QVERIFY(near(test[QStringLiteral("averageRate")].toDouble(), n / seconds));
        QCOMPARE(test[QStringLiteral("slowestRate")].toDouble(), ascending.first());
        QCOMPARE(test[QStringLiteral("fastestRate")].toDouble(), ascending.last());
        // 99 % of the frames take no longer than the frame at rank
        // ceil(0.99 n) from the fastest, which is the ceil(0.01 n)-th slowest
        // when 0.99 n is not whole.
        const int slowRank = n - int(std::ceil(0.99 * n));
        const double low = ascending[qsizetype(slowRank)];
        QVERIFY(near(test[QStringLiteral("low1PercentRate")].toDouble(), low));
        QVERIFY(near(test[QStringLiteral("percentile99Ms")].toDouble(), 1000 / low));
    }

    // The summary's figures against the log of the same run; returns the
    // summary, or fails the test.
    static QJsonObject checkSummary(const QByteArray& json, const QList<int>& tests, bool complete) {
        QJsonObject summary;
        [&] {
            QJsonParseError error{};
            const QJsonDocument document = QJsonDocument::fromJson(json, &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString() + json));
            summary = document.object();
            // The front end's reader takes in every field the engine wrote.
            const RunSummaryCodec::Decoded decoded = RunSummaryCodec::decode(json);
            QVERIFY2(decoded.ok(), qPrintable(decoded.error));
            QCOMPARE(QJsonDocument::fromJson(RunSummaryCodec::encode(decoded.summary)).object(), summary);
            const Log log = readLog();
            QCOMPARE(log.status, ResultsLogReader::Status::Ok);
            const QStringList fields = {"program",    "date",      "memory",      "operatingSystem",
                                        "conditions", "processor", "graphicsCard"};
            QCOMPARE(log.header.size(), fields.size());
            for (qsizetype line = 0; line < fields.size(); ++line) {
                QCOMPARE(summary[fields[line]].toString(), log.header[line]);
            }
            QVERIFY(log.header[0].startsWith(QStringLiteral("Trenzor")));
            QCOMPARE(summary[QStringLiteral("complete")].toBool(), complete);
            // OpenGL reported nothing wrong, in any test.
            QCOMPARE(summary[QStringLiteral("glErrors")].toInt(-1), 0);
            const QJsonArray entries = summary[QStringLiteral("tests")].toArray();
            QCOMPARE(entries.size(), log.blocks.size());
            QCOMPARE(entries.size(), tests.size());
            double frames = 0;
            double seconds = 0;
            double logSum = 0;
            for (qsizetype i = 0; i < entries.size(); ++i) {
                const QJsonObject test = entries[i].toObject();
                QCOMPARE(test[QStringLiteral("index")].toInt(), tests[i]);
                QCOMPARE(test[QStringLiteral("glErrors")].toInt(-1), 0);
                QCOMPARE(test[QStringLiteral("name")].toString(),
                         EngineContract::kTestNames[std::size_t(tests[i])].toString());
                checkBlock(test, log.blocks[i]);
                frames += test[QStringLiteral("frames")].toInt();
                seconds += test[QStringLiteral("seconds")].toDouble();
                logSum += std::log(test[QStringLiteral("averageRate")].toDouble());
            }
            const QJsonObject run = summary[QStringLiteral("run")].toObject();
            QVERIFY(near(run[QStringLiteral("framesPerSecond")].toDouble(), frames / seconds));
            QVERIFY(
                near(run[QStringLiteral("geometricMeanRate")].toDouble(), std::exp(logSum / tests.size())));
            QCOMPARE(run[QStringLiteral("leftOut")].toInt(), 0);
            // The score as the front end computes it from the log.
            double valueSum = 0;
            double valueCount = 0;
            for (const QList<double>& block : log.blocks) {
                valueSum += std::accumulate(block.begin(), block.end(), 0.0);
                valueCount += double(block.size());
            }
            QVERIFY(near(run[QStringLiteral("score")].toDouble(), valueSum / valueCount));
        }();
        return summary;
    }

    // A spread in the summary against the one worked out here from the runs'
    // values: the mean, the sample standard deviation, the 95 % interval of
    // the mean with Student's t, the coefficient of variation.
    static void checkSpread(const QJsonObject& spread, const QList<double>& values) {
        const int n = int(values.size());
        const double mean = std::accumulate(values.begin(), values.end(), 0.0) / n;
        double squares = 0;
        for (const double value : values) {
            squares += (value - mean) * (value - mean);
        }
        const double deviation = std::sqrt(squares / (n - 1));
        // t(0.975) for the degrees of freedom of the rows' runs.
        const QMap<int, double> t = {{1, 12.706205}, {9, 2.262157}};
        QVERIFY(t.contains(n - 1));
        const double reach = t[n - 1] * deviation / std::sqrt(n);
        QCOMPARE(spread[QStringLiteral("count")].toInt(), n);
        QVERIFY(near(spread[QStringLiteral("mean")].toDouble(), mean));
        QVERIFY(near(spread[QStringLiteral("standardDeviation")].toDouble(), deviation));
        QVERIFY(near(spread[QStringLiteral("confidence95Low")].toDouble(), mean - reach));
        QVERIFY(near(spread[QStringLiteral("confidence95High")].toDouble(), mean + reach));
        QVERIFY(
            near(spread[QStringLiteral("coefficientOfVariationPercent")].toDouble(), 100 * deviation / mean));
        // Runs measured apart never give the very same figures.
        QVERIFY(deviation > 0);
    }

    // A repeated run: each run through the tests in the summary, the last of
    // them the log's; the spread of each test's average rate and of the
    // score over them; and the table that ends standard output.
    static void checkRepeated(const QJsonObject& summary, int runs, const QByteArray& out) {
        const QJsonArray passes = summary[QStringLiteral("runs")].toArray();
        QCOMPARE(passes.size(), runs);
        const QJsonArray tests = summary[QStringLiteral("tests")].toArray();
        QCOMPARE(passes.last()[QStringLiteral("tests")].toArray(), tests);
        QCOMPARE(passes.last()[QStringLiteral("run")].toObject(), summary[QStringLiteral("run")].toObject());
        const QJsonObject spread = summary[QStringLiteral("spread")].toObject();
        QList<double> scores;
        for (const QJsonValue pass : passes) {
            QCOMPARE(pass[QStringLiteral("tests")].toArray().size(), tests.size());
            scores.append(pass[QStringLiteral("run")][QStringLiteral("score")].toDouble());
        }
        checkSpread(spread[QStringLiteral("score")].toObject(), scores);
        const QJsonArray spreads = spread[QStringLiteral("tests")].toArray();
        QCOMPARE(spreads.size(), tests.size());
        const QList<QByteArray> lines = out.trimmed().split('\n');
        QVERIFY(lines.size() > tests.size() + 2);
        QVERIFY2(lines.last().startsWith(QByteArrayLiteral("skóre ")), out.constData());
        for (qsizetype i = 0; i < tests.size(); ++i) {
            QList<double> rates;
            for (const QJsonValue pass : passes) {
                rates.append(pass[QStringLiteral("tests")][i][QStringLiteral("averageRate")].toDouble());
            }
            const QJsonObject test = spreads[i].toObject();
            QCOMPARE(test[QStringLiteral("index")], tests[i][QStringLiteral("index")]);
            checkSpread(test, rates);
            const QString row = QStringLiteral("%1 %2")
                                    .arg(test[QStringLiteral("index")].toInt())
                                    .arg(test[QStringLiteral("name")].toString());
            QVERIFY2(QString::fromUtf8(lines[lines.size() - 1 - tests.size() + i]).startsWith(row),
                     out.constData());
        }
    }

private slots:
    void initTestCase() {
        // Short paths with room for every frame: a block's frame times add
        // up to its path.
        const QString error = m_folder.fill({"--frames", "32766"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty(),
                 "xdotool is needed to look for the engine's windows");
    }

    void init() {
        QFile::remove(QStringLiteral("vysledek.log"));
        QFile::remove(QStringLiteral("souhrn.json"));
        QFile old(QStringLiteral("vysledek.log"));
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(kOldLog) > 0);
        QFile oldSummary(QStringLiteral("souhrn.json"));
        QVERIFY(oldSummary.open(QIODevice::WriteOnly) && oldSummary.write(kOldSummary) > 0);
    }

    void refusedWithoutDisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown option") << QStringList{"--bogus"} << "neznámý parametr --bogus";
        QTest::newRow("argument other than 0") << QStringList{"1"} << "neznámý parametr 1";
        QTest::newRow("0 and an option") << QStringList{"0", "--safe"} << "nelze spojit";
        QTest::newRow("test beyond the seven") << QStringList{"--tests", "7"} << "--tests čeká";
        QTest::newRow("negative test") << QStringList{"--tests", "-1"} << "--tests čeká";
        QTest::newRow("empty item") << QStringList{"--tests", "1,,2"} << "--tests čeká";
        QTest::newRow("test twice") << QStringList{"--tests", "0,3,0"} << "test 0 je uveden dvakrát";
        QTest::newRow("option without its value") << QStringList{"--tests"} << "--tests potřebuje hodnotu";
        QTest::newRow("switch with a value") << QStringList{"--safe=1"} << "--safe nemá hodnotu";
        QTest::newRow("no seconds") << QStringList{"--seconds", "0"} << "--seconds čeká";
        QTest::newRow("seconds not a number") << QStringList{"--seconds", "nan"} << "--seconds čeká";
        QTest::newRow("seconds just below the least")
            << QStringList{"--seconds", "0.0999"} << "--seconds čeká";
        QTest::newRow("too many seconds") << QStringList{"--seconds", "3601"} << "--seconds čeká";
        QTest::newRow("size without height") << QStringList{"--size", "640"} << "--size čeká";
        QTest::newRow("size too small") << QStringList{"--size", "15x480"} << "--size čeká";
        QTest::newRow("size too large") << QStringList{"--size", "640x16385"} << "--size čeká";
        QTest::newRow("full screen off screen")
            << QStringList{"--fullscreen", "--offscreen"} << "nelze spojit";
        QTest::newRow("summary without a name") << QStringList{"--summary="} << "--summary čeká";
        QTest::newRow("a single run repeated") << QStringList{"--repeat", "1"} << "--repeat čeká";
        QTest::newRow("too many runs") << QStringList{"--repeat", "21"} << "--repeat čeká";
        QTest::newRow("runs not whole") << QStringList{"--repeat", "2.5"} << "--repeat čeká";
        QTest::newRow("no variation") << QStringList{"--repeat-until", "0"} << "--repeat-until čeká";
        QTest::newRow("variation beyond 100 %")
            << QStringList{"--repeat-until", "101"} << "--repeat-until čeká";
        QTest::newRow("variation just above 100 %")
            << QStringList{"--repeat-until", "100.01"} << "--repeat-until čeká";
        QTest::newRow("both repeats") << QStringList{"--repeat", "3", "--repeat-until", "5"}
                                      << "--repeat a --repeat-until nelze spojit";
        QTest::newRow("upload to what is no address")
            << QStringList{"--upload", "ftp://vysledky"} << "--upload: „ftp://vysledky“ není adresa služby";
        const QString once = "--upload nahrává jeden běh s ověřením obrazu";
        QTest::newRow("upload of a validation")
            << QStringList{"--upload=http://127.0.0.1:9", "--validate"} << once;
        QTest::newRow("upload from sluzba.url of a repeated run")
            << QStringList{"--upload", "--repeat", "2"} << once;
        QTest::newRow("upload with the summary on standard output")
            << QStringList{"--summary", "-", "--upload"} << once;
    }

    void refusedWithoutDisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Outcome outcome = runEngine(arguments, false);
        QCOMPARE(outcome.code, 2);
        const QString errors = QString::fromUtf8(outcome.errors);
        QVERIFY2(errors.contains(message), qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("--help")), qPrintable(errors));
        QVERIFY(outcome.out.isEmpty());
        QCOMPARE(readFile(QStringLiteral("vysledek.log")), QByteArray(kOldLog));
    }

    void helpAndVersionWithoutDisplay_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QStringList>("shown");
        const QStringList help = {"Použití: trenzor.exe", "Parametry:",   "--tests <čísla>", "--seconds <S>",
                                  "--size <ŠxV>",         "--fullscreen", "--safe",          "--offscreen",
                                  "--summary <soubor>",   "--gl-debug",   "nastaveni.atr",   "--repeat <N>",
                                  "--repeat-until <VK>"};
        QTest::newRow("--help") << "--help" << help;
        QTest::newRow("-h") << "-h" << help;
        QTest::newRow("--version") << "--version" << QStringList{"Trenzor 1.0"};
    }

    void helpAndVersionWithoutDisplay() {
        QFETCH(QString, option);
        QFETCH(QStringList, shown);
        const Outcome outcome = runEngine({option}, false);
        QCOMPARE(outcome.code, 0);
        QVERIFY2(outcome.errors.isEmpty(), outcome.errors.constData());
        for (const QString& text : shown) {
            QVERIFY2(QString::fromUtf8(outcome.out).contains(text), qPrintable(text));
        }
        QCOMPARE(readFile(QStringLiteral("vysledek.log")), QByteArray(kOldLog));
    }

    void eachOption_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QList<int>>("tests");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<bool>("window");
        QTest::addColumn<int>("runs");
        const QList<int> all = {0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("all tests, the browser files' paths")
            << QStringList{"--size", "64x48"} << all << kBrowserSeconds
            << "^okno 64x48, barvy \\d+ b, Z \\d+ b, [^,]+$" << true << 1;
        QTest::newRow("tests in the order given")
            << QStringList{"--tests", "5,2", "--seconds", "0.2", "--size", "48x32"} << QList<int>{5, 2} << 0.2
            << "^okno 48x32, .*, testy 5,2$" << true << 1;
        QTest::newRow("a longer path") << QStringList{"--tests", "3", "--seconds", "1.5", "--size", "64x48"}
                                       << QList<int>{3} << 1.5 << "^okno 64x48, " << true << 1;
        QTest::newRow("the shortest path, the smallest window")
            << QStringList{"--tests", "4", "--seconds", "0.1", "--size", "16x16"} << QList<int>{4} << 0.1
            << "^okno 16x16, " << true << 1;
        QTest::newRow("safe") << QStringList{"--tests", "2", "--seconds", "0.2", "--size", "64x48", "--safe"}
                              << QList<int>{2} << 0.2 << ", bezpečný mód, testy 2$" << true << 1;
        QTest::newRow("full screen") << QStringList{"--tests", "6",     "--seconds",   "0.5",
                                                    "--size",  "64x48", "--fullscreen"}
                                     << QList<int>{6} << 0.5
                                     << "^64x48 na obrazovce 1024x768, barvy 15 b, Z 16 b, " << true << 1;
        QTest::newRow("off screen") << QStringList{"--tests", "0",     "--seconds",  "1.5",
                                                   "--size",  "64x48", "--offscreen"}
                                    << QList<int>{0} << 1.5
                                    << "^64x48 mimo obrazovku, barvy 15 b, Z 16 b, nezobrazuje se, testy 0$"
                                    << false << 1;
        QTest::newRow("repeated twice")
            << QStringList{"--tests", "1,4", "--seconds", "0.3", "--size", "64x48", "--repeat", "2"}
            << QList<int>{1, 4} << 0.3 << "^okno 64x48, " << true << 2;
        QTest::newRow("repeated until steady, at most ten runs")
            << QStringList{"--tests", "3",           "--seconds",      "0.2", "--size",
                           "32x32",   "--offscreen", "--repeat-until", "0.01"}
            << QList<int>{3} << 0.2 << "^32x32 mimo obrazovku" << false << 10;
        // Its blocks are no standard run's: the log says which they are, and
        // the history does not keep it.
        QTest::newRow("all tests in another order, with --history")
            << QStringList{"--tests", "6,5,4,3,2,1,0", "--seconds",   "0.2",
                           "--size",  "32x32",         "--offscreen", "--history"}
            << QList<int>{6, 5, 4, 3, 2, 1, 0} << 0.2 << "^32x32 mimo obrazovku, .*, testy 6,5,4,3,2,1,0$"
            << false << 1;
    }

    void eachOption() {
        QFETCH(QStringList, arguments);
        QFETCH(QList<int>, tests);
        QFETCH(double, seconds);
        QFETCH(QString, conditions);
        QFETCH(bool, window);
        QFETCH(int, runs);
        const Outcome outcome = runEngine(arguments + QStringList{"--summary", "souhrn.json"});
        QVERIFY2(outcome.code == 0, outcome.errors.constData());
        QCOMPARE(outcome.windowSeen, window);
        // What each test did is told on standard output.
        QCOMPARE(outcome.out.count("trenzor: scéna "), 2 * tests.size() * runs);
        // Ten runs did not bring the spread below the 0.01 % asked for.
        QCOMPARE(outcome.errors.contains("ani po 10 bězích neklesl"), runs == 10);
        const QJsonObject summary = checkSummary(readFile(QStringLiteral("souhrn.json")), tests, true);
        const QString line5 = summary[QStringLiteral("conditions")].toString();
        QVERIFY2(QRegularExpression(conditions).match(line5).hasMatch(), qPrintable(line5));
        QCOMPARE(readLog().header.value(int(EngineContract::LogLine::Conditions)), line5);
        if (arguments.contains(QStringLiteral("--history"))) {
            QVERIFY2(
                outcome.errors.contains("trenzor: běh se do historie neukládá, nejsou to všechny testy v "
                                        "obvyklém pořadí."),
                outcome.errors.constData());
            QVERIFY(!QFileInfo::exists(QStringLiteral("historie")));
        }
        if (runs > 1) {
            checkRepeated(summary, runs, outcome.out);
        } else {
            QVERIFY(!summary.contains(QStringLiteral("runs")) && !summary.contains(QStringLiteral("spread")));
        }
        // Each test flew its whole path: its frame times add up to the path
        // and at most the last two frames beyond it, which began before the
        // path's end and after it.
        for (const QJsonValue test : summary[QStringLiteral("tests")].toArray()) {
            const double measured = test[QStringLiteral("seconds")].toDouble();
            const double slowest = 1 / test[QStringLiteral("slowestRate")].toDouble();
            QVERIFY2(measured >= seconds - 0.002 && measured <= seconds + 2 * slowest + 0.002,
                     qPrintable(QStringLiteral("%1 s, slowest frame %2 s").arg(measured).arg(slowest)));
        }
    }

    // The summary on standard output is all that is there: the lines about
    // each test go to standard error.
    void summaryOnStandardOutput() {
        const Outcome outcome = runEngine(
            {"--tests", "4,1", "--seconds", "0.2", "--size", "32x32", "--offscreen", "--summary", "-"});
        QCOMPARE(outcome.code, 0);
        QCOMPARE(outcome.errors.count("trenzor: scéna "), 4);
        // The lines number the test, not its place in the run.
        QCOMPARE(outcome.errors.count("trenzor: scéna 4 \"Procedurální textury\": "), 1);
        QCOMPARE(outcome.errors.count("trenzor: scéna 1 \"Rotující hvězda\": "), 1);
        QCOMPARE(outcome.errors.count("trenzor: scéna 4: zobrazeno"), 1);
        QCOMPARE(outcome.errors.count("trenzor: scéna 1: zobrazeno"), 1);
        checkSummary(outcome.out, {4, 1}, true);
    }

    // --gl-debug asks for a debug context and prints what it reports; the
    // engine's calls give it nothing to report as an error.
    void debugOutputOnRequest() {
        const Outcome outcome = runEngine({"--tests", "2", "--seconds", "0.2", "--size", "32x32",
                                           "--gl-debug", "--summary", "souhrn.json"});
        QVERIFY2(outcome.code == 0, outcome.errors.constData());
        QVERIFY2(outcome.errors.contains("trenzor: ladicí hlášení OpenGL zapnuta."),
                 outcome.errors.constData());
        QVERIFY2(!outcome.errors.contains("(chyba,"), outcome.errors.constData());
        checkSummary(readFile(QStringLiteral("souhrn.json")), {2}, true);
    }

    // Esc in the engine's window: a script learns it from the status, and
    // finds the tests finished before it in the log and in the summary.
    void escapeIsAFailure_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QList<int>>("finished");
        QTest::newRow("in the first test")
            << QStringList{"--tests", "1", "--seconds", "60"} << QByteArray() << QList<int>{};
        QTest::newRow("in the second test") << QStringList{"--tests", "4,1", "--seconds", "2"}
                                            << QByteArray("trenzor: scéna 4:") << QList<int>{4};
        // The log and the summary's tests are those of the run that went
        // through every test, not of the one broken off.
        QTest::newRow("in the second of three runs")
            << QStringList{"--tests", "4", "--seconds", "2", "--repeat", "3"}
            << QByteArray("trenzor: dokončen běh 1") << QList<int>{4};
    }

    void escapeIsAFailure() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, after);
        QFETCH(QList<int>, finished);
        const Outcome outcome =
            runEngine(arguments + QStringList{"--size", "64x48", "--summary", "souhrn.json"}, true,
                      QStringLiteral("Escape"), after);
        QVERIFY2(outcome.windowSeen, outcome.errors.constData());
        QCOMPARE(outcome.code, 1);
        QVERIFY2(outcome.errors.contains("přerušeno"), outcome.errors.constData());
        if (finished.isEmpty()) {
            QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
            QVERIFY(!QFile::exists(QStringLiteral("souhrn.json")));
        } else {
            checkSummary(readFile(QStringLiteral("souhrn.json")), finished, false);
        }
    }

    void failuresEndAtOnce_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("logWritten");
        QTest::newRow("a damaged scene file") << QStringList{"--tests", "0,6",   "--seconds", "0.2",
                                                             "--size",  "64x48", "--summary", "souhrn.json"}
                                              << "test6.bin je vadný" << false;
        QTest::newRow("off screen, a damaged scene file")
            << QStringList{"--tests", "6", "--seconds", "0.2", "--size", "64x48", "--offscreen"}
            << "test6.bin je vadný" << false;
        QTest::newRow("a summary that cannot be written")
            << QStringList{"--tests",     "0",         "--seconds",        "0.2", "--size", "64x48",
                           "--offscreen", "--summary", "chybí/souhrn.json"}
            << "Soubor chybí/souhrn.json nelze zapsat: No such file or directory" << true;
    }

    void failuresEndAtOnce() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFETCH(bool, logWritten);
        QVERIFY(QFile::rename(QStringLiteral("test6.bin"), QStringLiteral("test6.keep")));
        QFile damaged(QStringLiteral("test6.bin"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a scene") > 0);
        damaged.close();
        const Outcome outcome = runEngine(arguments);
        QVERIFY(QFile::remove(QStringLiteral("test6.bin")));
        QVERIFY(QFile::rename(QStringLiteral("test6.keep"), QStringLiteral("test6.bin")));
        QVERIFY2(outcome.code == 1, outcome.errors.constData());
        QVERIFY2(QString::fromUtf8(outcome.errors).contains(message), outcome.errors.constData());
        // No message screen waits for a key or for its time to pass.
        QVERIFY2(outcome.msAfterError >= 0 && outcome.msAfterError < 2000,
                 qPrintable(QString::number(outcome.msAfterError)));
        QCOMPARE(readFile(QStringLiteral("vysledek.log")).startsWith("Trenzor"), logWritten);
        QVERIFY(readFile(QStringLiteral("vysledek.log")) != kOldLog);
        // An earlier run's summary is gone, or another file's.
        QCOMPARE(QFile::exists(QStringLiteral("souhrn.json")),
                 !arguments.contains(QStringLiteral("souhrn.json")));
    }

    // OpenGL errors the driver really reports fail the run: every glClear
    // of the engine is refused (a preloaded library passes the driver an
    // invalid bit). The log and the summary are still written, the summary
    // not complete.
    void openGlErrorsFailTheRun() {
        // The sanitizer build's runtime otherwise insists on being loaded
        // before any preloaded library.
        EngineProcess engine(
            {"--tests", "1,4", "--seconds", "0.3", "--size", "64x48", "--summary", "souhrn.json"},
            {"LD_PRELOAD=" GL_ERROR_SHIM,
             "ASAN_OPTIONS=" + qEnvironmentVariable("ASAN_OPTIONS") + ":verify_asan_link_order=0"});
        QCOMPARE(engine.end(120000), 1);
        const QString errors = QString::fromUtf8(engine.errors());
        QVERIFY2(errors.contains(QStringLiteral("trenzor: chyba OpenGL GL_INVALID_VALUE (0x0501) v testu 1")),
                 qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("v testu 4")), qPrintable(errors));
        QVERIFY2(errors.contains(QStringLiteral("běh není úplný")), qPrintable(errors));
        QVERIFY(readFile(QStringLiteral("vysledek.log")).startsWith("Trenzor"));
        const QJsonObject summary = QJsonDocument::fromJson(readFile(QStringLiteral("souhrn.json"))).object();
        QCOMPARE(summary.value("complete"), QJsonValue(false));
        QVERIFY(summary.value("glErrors").toInt() > 0);
    }

    // Two engines in one folder: the second, started while the first runs,
    // ends at once with its reason and status 1 and leaves the folder's log
    // alone (a file put in the log's place after the first had removed the
    // old one stays until the first replaces it); the first runs to its end
    // and writes its own log. Then, the first gone, an engine runs again:
    // the lock ended with its holder.
    void aSecondEngineInTheFolderIsRefused() {
        std::optional<EngineProcess> first;
        const QByteArray marker = "not the first engine's log yet\r\n";
        Outcome second;
        for (int attempt = 1;; ++attempt) {
            first.emplace(QStringList{"--tests", "1", "--seconds", "6", "--size", "32x32", "--offscreen"});
            QVERIFY(QTest::qWaitFor([] { return !QFile::exists(QStringLiteral("vysledek.log")); }, 30000));
            QFile placed(QStringLiteral("vysledek.log"));
            QVERIFY(placed.open(QIODevice::WriteOnly) && placed.write(marker) == marker.size());
            placed.close();

            second = runEngine({"--tests", "1", "--seconds", "0.5", "--size", "32x32", "--offscreen"});
            // The first engine takes the lock and removes the old log before
            // it connects to the display. When the test's X server refuses
            // that connection on a loaded machine, the first ends at once
            // and the second rightly gets the folder: start again.
            first->poll();
            if (attempt == 5 || first->running() ||
                !first->errors().contains("could not connect to display")) {
                break;
            }
            qInfo("the X server refused the first engine's connection; starting again");
            QTest::qWait(1000 * attempt);
        }
        QCOMPARE(second.code, 1);
        QVERIFY2(second.errors.contains("v této složce už běží jiný test"), second.errors.constData());
        QCOMPARE(readFile(QStringLiteral("vysledek.log")), marker);
        QVERIFY(first->running());

        QCOMPARE(first->end(120000), 0);
        const QByteArray log = readFile(QStringLiteral("vysledek.log"));
        QVERIFY(log.contains(Cp1250Codec::encode(QStringLiteral("Konec výsledků: 1 testů")).bytes));

        const Outcome again =
            runEngine({"--tests", "1", "--seconds", "0.5", "--size", "32x32", "--offscreen"});
        QCOMPARE(again.code, 0);
    }
};

QTEST_GUILESS_MAIN(TestOptions)
#include "tst_options.moc"
