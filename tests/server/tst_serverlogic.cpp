// The service's pure logic without sockets or databases: the command
// line, line 5 of the log, the comparison
// key, the rankable rule, the ranking as the front end's systems database
// and its pages, the rankings kept between requests, the chart and the
// upload limit.
#include "ComparisonKey.h"
#include "KeyRuns.h"
#include "Pages.h"
#include "RankRule.h"
#include "Ranking.h"
#include "RankingCache.h"
#include "RateLimiter.h"
#include "ServerOptions.h"
#include "SvgChart.h"
#include "UploadCheck.h"
#include "WorkingFolder.h"
#include "contract/ResultsLogWriter.h"
#include "contract/RunEvaluation.h"
#include "results/SystemsDatabase.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>
#include <atomic>
#include <functional>
#include <mutex>

namespace {

const QStringList kHeader = {QStringLiteral("Trenzor 1.0.2"),
                             QStringLiteral("2024-05-01 10:00:00"),
                             QStringLiteral("Operační paměť 16 GB"),
                             QStringLiteral("Debian 12"),
                             QStringLiteral("640x480 mimo obrazovku (EGL 0 software), barvy 24 b, Z 16 b, "
                                            "nezobrazuje se"),
                             QStringLiteral("Procesor Č"),
                             QStringLiteral("llvmpipe")};

QByteArray Log(const QStringList& header, int tests) {
    ResultsLogWriter writer(header);
    for (int test = 0; test < tests; ++test) {
        writer.addBlock({100.0 + test, 200.0, 50.0}, BlockSampling());
    }
    return writer.encode();
}

RunSummaryCodec::Summary Validation(const QStringList& header, int failingTest) {
    RunSummaryCodec::Summary validation;
    validation.header = header;
    QJsonArray tests;
    for (int test = 0; test < 7; ++test) {
        tests.append(QJsonObject{{"index", test}, {"passed", test != failingTest}, {"differingPixels", 0}});
    }
    validation.validation = QJsonObject{{"passed", failingTest < 0}, {"tests", tests}};
    validation.scenes = QStringLiteral("5ce7e5");
    return validation;
}

// A store whose rankable runs the test sets, counting how often they are read.
class CountingStore final : public RunStore {
public:
    std::atomic<int> reads = 0;
    // Called once, when the rankable runs are next read, before they are
    // handed over, on the reader's thread.
    std::function<void()> duringRead;

    void setRuns(const QList<Ranked>& runs) {
        const std::lock_guard lock(m_mutex);
        m_runs = runs;
    }
    QString migrate() override { return {}; }
    Result<Added> add(const Run&) override { return {}; }
    Result<std::optional<Run>> find(const QString&) override { return {}; }
    Result<bool> remove(const QString&, const QString&) override { return {}; }
    Result<QList<Ranked>> rankable(const QString& keyId) override {
        ++reads;
        QList<Ranked> runs;
        if (keyId == "k") {
            const std::lock_guard lock(m_mutex);
            runs = m_runs;
        }
        if (const std::function<void()> once = std::exchange(duringRead, nullptr)) {
            once();
        }
        return {runs, {}};
    }
    Result<QList<Key>> keys() override {
        ++reads;
        const std::lock_guard lock(m_mutex);
        return {{Key{"k", "klíč", m_runs.size()}}, {}};
    }
    Result<qint64> runCount() override { return {0, {}}; }

private:
    std::mutex m_mutex;
    QList<Ranked> m_runs;
};

} // namespace

class TestServerLogic : public QObject {
    Q_OBJECT

private slots:
    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("database");
        QTest::newRow("defaults") << QStringList() << true << "127.0.0.1:8080"
                                  << "0 vykon3d-server.sqlite";
        QTest::newRow("postgresql") << QStringList{"--listen", "[::1]:9000", "--database",
                                                   "postgresql://vykon@db.example:5433/vysledky"}
                                    << true << "::1:9000"
                                    << "1 vysledky vykon@db.example:5433";
        QTest::newRow("sqlite") << QStringList{"--database", "sqlite:/var/lib/v/runs.sqlite"} << true
                                << "127.0.0.1:8080"
                                << "0 /var/lib/v/runs.sqlite";
        QTest::newRow("port 1") << QStringList{"--listen", "127.0.0.1:1"} << true << "127.0.0.1:1"
                                << "0 vykon3d-server.sqlite";
        QTest::newRow("port 65535") << QStringList{"--listen", "127.0.0.1:65535"} << true << "127.0.0.1:65535"
                                    << "0 vykon3d-server.sqlite";
        QTest::newRow("port 0") << QStringList{"--listen", "127.0.0.1:0"} << false << ""
                                << "";
        QTest::newRow("port 65536") << QStringList{"--listen", "127.0.0.1:65536"} << false << ""
                                    << "";
        QTest::newRow("no port") << QStringList{"--listen", "127.0.0.1"} << false << ""
                                 << "";
        QTest::newRow("other database") << QStringList{"--database", "mysql://a@b:1/c"} << false << ""
                                        << "";
        QTest::newRow("no value") << QStringList{"--database"} << false << ""
                                  << "";
        QTest::newRow("unknown") << QStringList{"--verbose"} << false << ""
                                 << "";
        QTest::newRow("negative limit") << QStringList{"--upload-limit", "-1"} << false << ""
                                        << "";
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, usable);
        QFETCH(QString, listen);
        QFETCH(QString, database);
        const ParsedServerOptions parsed = ServerOptions::parse(arguments);
        QCOMPARE(parsed.options.has_value(), usable);
        QVERIFY(!parsed.help);
        if (!usable) {
            QVERIFY(parsed.text.contains(QLatin1String("--help")));
            return;
        }
        const ServerOptions::Database& db = parsed.options->database;
        QCOMPARE(QStringLiteral("%1:%2").arg(parsed.options->address).arg(parsed.options->port), listen);
        QCOMPARE(db.backend == ServerOptions::Backend::Sqlite
                     ? QStringLiteral("0 %1").arg(db.name)
                     : QStringLiteral("1 %1 %2@%3:%4").arg(db.name, db.user, db.host).arg(db.port),
                 database);
        QVERIFY(ServerOptions::parse({"--upload-limit", "5", "--help"}).help);
    }

    // Line 5 as the engine writes it, and the key the runs are ranked by.
    void conditionsAndKey_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("parsed");
        QTest::newRow("window") << "okno 640x480, barvy 24 b, Z 24 b, synchr. vypnuta"
                                << "640x480 24/24 off";
        QTest::newRow("full screen")
            << "800x600 na obrazovce 1920x1080, barvy 16 b, Z 16 b, ovladač nevypnul synchr."
            << "800x600 16/16 on";
        QTest::newRow("off screen, safe")
            << "320x240 mimo obrazovku (EGL 0 software), barvy 24 b, Z 16 b, nezobrazuje se, bezpečný mód"
            << "320x240 24/16 off safe";
        QTest::newRow("chosen tests, safe")
            << "okno 640x480, barvy 24 b, Z 24 b, synchr. vypnuta, bezpečný mód, testy 4,2"
            << "640x480 24/24 off safe";
        QTest::newRow("window not shown") << "okno 640x480, barvy 24 b, Z 24 b, nezobrazuje se"
                                          << "640x480 24/24 on";
        QTest::newRow("other text") << "640x480"
                                    << "";
    }
    void conditionsAndKey() {
        QFETCH(QString, line);
        QFETCH(QString, parsed);
        const std::optional<RunConditions> conditions = RunConditions::parse(line);
        QCOMPARE(conditions.has_value(), !parsed.isEmpty());
        if (!conditions) {
            return;
        }
        QCOMPARE(QStringLiteral("%1x%2 %3/%4 %5%6")
                     .arg(conditions->width)
                     .arg(conditions->height)
                     .arg(conditions->colourBits)
                     .arg(conditions->depthBits)
                     .arg(conditions->vsyncOff() ? "off" : "on", conditions->safe ? " safe" : ""),
                 parsed);
        // A patch level leaves the key; a minor version, the scenes, the bits or the path change it.
        const QString scenes = QStringLiteral("0123456789abcdef");
        const ComparisonKey key = ComparisonKey::of(QStringLiteral("Trenzor 1.2.3"), *conditions, scenes);
        QCOMPARE(ComparisonKey::of(QStringLiteral("Trenzor 1.2.9"), *conditions, scenes).id, key.id);
        QVERIFY(ComparisonKey::of(QStringLiteral("Trenzor 1.3.0"), *conditions, scenes).id != key.id);
        QVERIFY(ComparisonKey::of(QStringLiteral("Trenzor 1.2.3"), *conditions, "0123456789abcdeF").id !=
                key.id);
        RunConditions other = *conditions;
        other.depthBits += 8;
        QVERIFY(ComparisonKey::of(QStringLiteral("Trenzor 1.2.3"), other, scenes).id != key.id);
        other = *conditions;
        other.safe = !other.safe;
        QVERIFY(ComparisonKey::of(QStringLiteral("Trenzor 1.2.3"), other, scenes).id != key.id);
        QCOMPARE(key.id.size(), 16);
        QVERIFY(key.description.startsWith("verze 1.2, scény 0123456789ab, "));
        QVERIFY(ComparisonKey::of(QStringLiteral("Trenzor 1.2.3"), *conditions, {})
                    .description.startsWith("verze 1.2, scény neuvedené, "));
    }

    void rankRule_data() {
        QTest::addColumn<int>("tests");
        QTest::addColumn<QString>("conditions");
        QTest::addColumn<int>("glErrors");
        QTest::addColumn<int>("validation");
        QTest::addColumn<QString>("validationRenderer");
        QTest::addColumn<QString>("reason");
        // The scene files' hash the run's summary names: "" for none, "-"
        // when neither it nor the validation names any.
        QTest::addColumn<QString>("scenes");
        const QString standard = kHeader[4];
        QTest::newRow("rankable") << 7 << standard << 0 << -1 << "llvmpipe"
                                  << ""
                                  << "";
        QTest::newRow("six tests") << 6 << standard << 0 << -1 << "llvmpipe"
                                   << "Neproběhlo právě všech 7 testů (proběhlo 6)."
                                   << "";
        QTest::newRow("eight tests") << 8 << standard << 0 << -1 << "llvmpipe"
                                     << "Neproběhlo právě všech 7 testů (proběhlo 8)."
                                     << "";
        QTest::newRow("320x240") << 7 << "okno 320x240, barvy 24 b, Z 24 b, synchr. vypnuta" << 0 << -1
                                 << "llvmpipe"
                                 << "Velikost obrazu 320x240 není standardní 640x480."
                                 << "";
        QTest::newRow("vsync on") << 7 << "okno 640x480, barvy 24 b, Z 24 b, synchr. neověřitelná" << 0 << -1
                                  << "llvmpipe"
                                  << "Vertikální synchronizace nebyla vypnuta (synchr. neověřitelná)."
                                  << "";
        QTest::newRow("gl errors") << 7 << standard << 3 << -1 << "llvmpipe"
                                   << "OpenGL při běhu ohlásilo 3 chyb."
                                   << "";
        QTest::newRow("no validation") << 7 << standard << 0 << -2 << ""
                                       << "Chybí ověření obrazu (trenzor.exe --validate)."
                                       << "";
        QTest::newRow("validation failed") << 7 << standard << 0 << 6 << "llvmpipe"
                                           << "Ověření obrazu neprošlo v testu 6 (Materiály)."
                                           << "";
        QTest::newRow("validation failed in the first test")
            << 7 << standard << 0 << 0 << "llvmpipe"
            << "Ověření obrazu neprošlo v testu 0 (Průlet krajinou)."
            << "";
        QTest::newRow("other renderer") << 7 << standard << 0 << -1 << "zink"
                                        << "Ověření obrazu proběhlo na jiném vykreslovači (zink)."
                                        << "";
        QTest::newRow("scenes as validated") << 7 << standard << 0 << -1 << "llvmpipe"
                                             << ""
                                             << "5ce7e5";
        QTest::newRow("other scenes than validated") << 7 << standard << 0 << -1 << "llvmpipe"
                                                     << "Běh a ověření obrazu proběhly s jinými soubory scén."
                                                     << "5ce7e6";
        QTest::newRow("validation names no scenes")
            << 7 << standard << 0 << -1 << "llvmpipe"
            << "Ověření obrazu neuvádí, se kterými soubory scén proběhlo."
            << "-";
    }
    void rankRule() {
        QFETCH(int, tests);
        QFETCH(QString, conditions);
        QFETCH(int, glErrors);
        QFETCH(int, validation);
        QFETCH(QString, validationRenderer);
        QFETCH(QString, reason);
        QFETCH(QString, scenes);
        QStringList header = kHeader;
        header[4] = conditions;
        const RunEvaluation evaluation = RunEvaluation::OfBytes(Log(header, tests));
        QVERIFY2(UploadCheck::LogProblem(evaluation).isEmpty(),
                 qPrintable(UploadCheck::LogProblem(evaluation)));
        QCOMPARE(evaluation.tests().size(), tests);
        RunSummaryCodec::Summary summary;
        summary.complete = glErrors == 0;
        summary.glErrors = glErrors;
        summary.scenes = scenes == "-" ? QString() : scenes;
        QStringList validationHeader = header;
        validationHeader[6] = validationRenderer;
        std::optional<RunSummaryCodec::Summary> checked =
            validation == -2 ? std::nullopt : std::optional(Validation(validationHeader, validation));
        if (checked && scenes == "-") {
            checked->scenes.clear();
        }
        const QStringList reasons =
            RankRule::Reasons(evaluation, RunConditions::parse(conditions), summary, checked);
        QCOMPARE(reasons, reason.isEmpty() ? QStringList() : QStringList{reason});
    }

    // The score as the front end computes it, and logs it cannot evaluate.
    void evaluation() {
        const RunEvaluation evaluation = RunEvaluation::OfBytes(Log(kHeader, 7));
        QCOMPARE(evaluation.totalFrames(), 21);
        // Per test 100 + i + 200 + 50 and the closing 0.
        QCOMPARE(evaluation.score(), (7 * 350.0 + 21) / 21);
        QCOMPARE(evaluation.header(), kHeader);
        QCOMPARE(evaluation.tests()[2].rates, QList<double>({102, 200, 50}));
        // The run page's smoothness of frames of 9.8, 5 and 20 ms: the slowest
        // 1 % of the time at 50 fps, no stutter, neighbours 15 ms apart.
        const QString page = QString::fromUtf8(Pages::RunPage(RunStore::Run{}, evaluation));
        QVERIFY(page.contains("<td class=\"n\">50.0</td><td class=\"n\">0</td><td class=\"n\">0.00</td>"
                              "<td class=\"n\">15.00</td></tr>"));
        QVERIFY(page.contains("<tr><td>Průlet krajinou</td>"));
        // A run of test 4 alone names it.
        QStringList chosen = kHeader;
        chosen[4] += QStringLiteral(", testy 4");
        const QString one =
            QString::fromUtf8(Pages::RunPage(RunStore::Run{}, RunEvaluation::OfBytes(Log(chosen, 1))));
        QVERIFY(one.contains("<tr><td>Procedurální textury</td>") && !one.contains("Průlet krajinou"));
        const QByteArray log = Log(kHeader, 7);
        QVERIFY(!UploadCheck::LogProblem(RunEvaluation::OfBytes(log.first(log.size() / 2))).isEmpty());
        QVERIFY(!UploadCheck::LogProblem(RunEvaluation::OfBytes("a\r\nb\r\n")).isEmpty());
    }

    // The ranking read back by the front end's own reader: one record a
    // system with its median, ascending, Windows-1250 and CR LF.
    void systemsDatabase() {
        const QList<RunStore::Ranked> runs = {
            {"a1", "Procesor Č", "llvmpipe", "Paměť 8", 30}, {"a2", "Procesor Č", "llvmpipe", "Paměť 8", 50},
            {"a3", "Procesor Č", "llvmpipe", "Paměť 8", 40}, {"b1", "Rychlý", "GPU", "Paměť 32", 300},
            {"c1", "Pomalý", "GPU", "Paměť 2", 10},          {"c2", "Pomalý", "GPU", "Paměť 2", 11},
        };
        KeyRuns keyRuns(runs);
        // A run already there, or one not there, changes nothing.
        keyRuns.add(runs[1]);
        keyRuns.remove({"a9", "Procesor Č", "llvmpipe", "Paměť 8", 30});
        const Ranking ranking = keyRuns.ranking({});
        QCOMPARE(ranking.runCount, 6);
        QCOMPARE(ranking.percentiles[2], 30.0);
        QCOMPARE(ranking.percentiles[4], 300.0);
        QCOMPARE(ranking.systems[1].bestRunId, QStringLiteral("a2"));
        QCOMPARE(ranking.systems[1].runs, 3);
        const WorkingFolder folder;
        QFile file(SystemsDatabase::kFileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QByteArray bytes = ranking.systemsDatabase();
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        QVERIFY(bytes.startsWith("Pomal\xfd\r\n 10.5\r\nGPU\r\nPam\xec\x9d 2\r\n"));
        const FileResult<QList<SystemRecord>> read = SystemsDatabase::ReadSystemsDatabase();
        QVERIFY(read.ok());
        QCOMPARE(read.value(), (QList<SystemRecord>{{"Pomalý", " 10.5", "GPU", "Paměť 2"},
                                                    {"Procesor Č", " 40", "llvmpipe", "Paměť 8"},
                                                    {"Rychlý", " 300", "GPU", "Paměť 32"}}));
        QCOMPARE(KeyRuns().ranking({}).systemsDatabase(), QByteArray());
    }

    // 120 systems: the best 50 on the first page, the 51st first on the
    // second, the last page links back only; the other keys are linked.
    void rankingPages() {
        QList<RunStore::Ranked> runs;
        for (int i = 0; i < 120; ++i) {
            runs.append({QStringLiteral("r%1").arg(i), QStringLiteral("Procesor %1").arg(i), "GPU", "Paměť",
                         1000.0 - i});
        }
        const Ranking ranking = KeyRuns(runs).ranking({});
        const RunStore::Key key{"k1", "klíč", 120};
        QCOMPARE(Pages::PageCount(ranking), 3);
        QCOMPARE(Pages::PageCount(KeyRuns().ranking({})), 1);
        const RunStore::Key other{"k2", "jiný klíč", 3};
        const QString first = QString::fromUtf8(Pages::RankingPage(ranking, {key, other}, key, 1));
        // The other keys are linked, the one shown is not.
        QVERIFY(first.contains("<a href=\"/?key=k2\">jiný klíč</a>") && !first.contains("href=\"/?key=k1\""));
        QVERIFY(first.contains("<td class=\"n\">1</td><td>Procesor 0</td>"));
        QVERIFY(first.contains("<td>Procesor 49</td>") && !first.contains("<td>Procesor 50</td>"));
        QVERIFY(first.contains("Strana 1 z 3 <a href=\"/?key=k1&amp;page=2\">další</a></p>"));
        const QString second = QString::fromUtf8(Pages::RankingPage(ranking, {key}, key, 2));
        QVERIFY(second.contains("<td class=\"n\">51</td><td>Procesor 50</td>"));
        QVERIFY(second.contains("page=1\">předchozí</a> <a href=\"/?key=k1&amp;page=3\">další</a>"));
        const QString last = QString::fromUtf8(Pages::RankingPage(ranking, {key}, key, 3));
        QVERIFY(last.contains("<td>Procesor 119</td>") && !last.contains("další"));
    }

    // A ranking is read once and then kept: this service's own uploads and
    // deletions change it at once, also while it is being read; what another
    // instance stored comes in the background once it is 10 s old, while the
    // kept one is handed out without waiting.
    void rankingsKept() {
        CountingStore store;
        const RunStore::Ranked a{"a", "P", "G", "M", 10}, b{"b", "P", "G", "M", 20},
            c{"c", "Q", "H", "M", 30};
        store.setRuns({a});
        RankingCache cache(store);
        const RankingCache::Clock::time_point start{};
        const auto count = [&](const QString& renderer, int seconds) {
            return cache.ranking("k", renderer, start + std::chrono::seconds(seconds)).value->runCount;
        };
        RunStore::Run run;
        run.keyId = "k";
        run.id = c.id, run.processor = c.processor, run.graphicsCard = c.graphicsCard, run.memory = c.memory;
        run.score = c.score;
        // Before the key's runs are kept, each change counts by one in the
        // keys.
        QCOMPARE(cache.keys(start).value.first().rankableRuns, 1);
        cache.added(run);
        QCOMPARE(cache.keys(start).value.first().rankableRuns, 2);
        cache.removed(run);
        const QList<RunStore::Key> keys = cache.keys(start).value;
        QVERIFY(keys.size() == 1 && keys.first().rankableRuns == 1);
        QCOMPARE(count({}, 0), 1);
        QCOMPARE(store.reads, 2);
        store.setRuns({a, c});
        cache.added(run);
        QCOMPARE(count({}, 9), 2);
        QCOMPARE(count("H", 9), 1);
        QCOMPARE(cache.keys(start + std::chrono::seconds(9)).value.first().rankableRuns, 2);
        QCOMPARE(store.reads, 2);
        // Another instance stored b.
        store.setRuns({a, b, c});
        QCOMPARE(count({}, 10), 2);
        QTRY_COMPARE(count({}, 10), 3);
        QCOMPARE(store.reads, 3);
        // Deleted while a reading that still saw it ran; stored while one
        // that did not see it ran. Each reading also brings another
        // instance's run.
        store.setRuns({a, b, c, {"d", "R", "G", "M", 40}});
        store.duringRead = [&] { cache.removed(run); };
        QCOMPARE(count({}, 100), 3);
        QTRY_COMPARE(count("G", 100), 3);
        QCOMPARE(count("H", 100), 0);
        store.setRuns({a, b, {"d", "R", "G", "M", 40}, {"e", "R", "G", "M", 50}});
        store.duringRead = [&] { cache.added(run); };
        QTRY_COMPARE(count("G", 200), 4);
        QCOMPARE(count("H", 200), 1);
        // Keys beyond the bound push out the one used longest ago.
        const int reads = store.reads;
        for (int i = 0; i < RankingCache::kMaxKeys; ++i) {
            cache.ranking(QString::number(i), {}, start + std::chrono::seconds(300));
        }
        QCOMPARE(count({}, 300), 4);
        QCOMPARE(store.reads, reads + RankingCache::kMaxKeys + 1);
    }

    // A stutter among many frames stays in the chart, which loads nothing.
    void chart() {
        QList<double> rates(10000, 100.0);
        rates[5000] = 4.0;
        const QString svg = SvgChart::FrameTimes({rates, {50.0, 50.0}, {}});
        QCOMPARE(svg.count(QLatin1String("<polyline")), 3);
        QVERIFY(svg.contains(QLatin1String(">262.5 ms<")));
        QVERIFY(!svg.contains(QLatin1String("script")) && !svg.contains(QLatin1String("href")));
    }

    void uploadLimit() {
        RateLimiter limiter(2);
        const RateLimiter::Clock::time_point start{};
        QVERIFY(limiter.allow("a", start));
        QVERIFY(limiter.allow("a", start + std::chrono::seconds(30)));
        QVERIFY(!limiter.allow("a", start + std::chrono::seconds(59)));
        QVERIFY(limiter.allow("b", start + std::chrono::seconds(59)));
        QVERIFY(limiter.allow("a", start + std::chrono::seconds(61)));
        RateLimiter unlimited(0);
        for (int i = 0; i < 100; ++i) {
            QVERIFY(unlimited.allow("a", start));
        }
    }
};

QTEST_GUILESS_MAIN(TestServerLogic)
#include "tst_serverlogic.moc"
