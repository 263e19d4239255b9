// Load on the results service, printed as figures: the real engine makes a
// log and its validation, and from that log's header come seven-test logs of
// 1 000 values each, one different log an upload. 64 clients upload them at
// once over loopback, each upload on a connection of its own as the front
// end makes it, to vykon3d-server on an SQLite file and on a PostgreSQL 15 of
// the benchmark's own, first as fast as they are answered, then due at a
// steady rate. Printed: uploads a second, the latencies' p50 and p99,
// the service's memory, and the runs the database holds afterwards against
// those acknowledged. Then the database is filled to 100 000 runs and the
// ranking's page, its JSON and the systems database are timed.
//
//   build/bin/service_load_benchmark [--uploads N] [--clients N] [--rate N] [--runs N]
#include "EngineFolder.h"
#include "FreePort.h"
#include "PostgresInstance.h"
#include "PostgresRunStore.h"
#include "RankingCache.h"
#include "ServerOptions.h"
#include "SqliteRunStore.h"
#include "contract/BlockSampling.h"
#include "contract/EngineContract.h"
#include "contract/ResultsLogWriter.h"
#include "contract/RunEvaluation.h"

#include <httplib.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace {

QByteArray Read(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the engine off screen in its folder; the log it wrote, empty on failure.
QByteArray RunEngine(const EngineFolder& folder, const QStringList& arguments) {
    QProcess engine;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    engine.setProcessEnvironment(environment);
    engine.setWorkingDirectory(folder.path());
    engine.setProcessChannelMode(QProcess::MergedChannels);
    engine.start(folder.filePath(QStringLiteral("trenzor.exe")), arguments);
    if (!engine.waitForFinished(300000) || engine.exitCode() != 0) {
        std::fprintf(stderr, "trenzor.exe %s: %s\n", qPrintable(arguments.join(' ')),
                     engine.readAll().constData());
        return {};
    }
    return Read(folder.filePath(QStringLiteral("vysledek.log")));
}

// Seven tests of `values` frame rates around the real run's, as the engine's
// writer encodes them; the seed makes each log different.
QByteArray SyntheticLog(const QStringList& header, const QList<double>& rates, int values, quint32 seed) {
    QRandomGenerator random(seed);
    ResultsLogWriter writer(header);
    for (const double rate : rates) {
        QList<double> frames;
        frames.reserve(values);
        for (int i = 0; i < values; ++i) {
            frames.append(rate * (0.8 + 0.4 * random.generateDouble()));
        }
        writer.addBlock(frames, BlockSampling{});
    }
    return writer.encode();
}

double Percentile(std::vector<double> values, double percent) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(percent / 100.0 * double(values.size())));
    return values[index];
}

// The service as a process of its own on a free loopback port, stopped with
// the object.
class Service {
public:
    explicit Service(const QString& program)
        : m_program(program) {}
    ~Service() {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    bool start(const QString& database) {
        m_port = FreePort();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(m_program, {"--listen", QStringLiteral("127.0.0.1:%1").arg(m_port), "--database",
                                    database, "--upload-limit", "0"});
        QByteArray output;
        while (m_process.waitForReadyRead(30000)) {
            output += m_process.readAll();
            if (output.contains("naslouchá")) {
                return true;
            }
        }
        std::fprintf(stderr, "vykon3d-server: %s\n", output.constData());
        return false;
    }
    int port() const { return m_port; }
    // A line of /proc/PID/status, in MiB.
    double memory(const char* field) const {
        const QByteArray status = Read(QStringLiteral("/proc/%1/status").arg(m_process.processId()));
        for (const QByteArray& line : status.split('\n')) {
            if (line.startsWith(field)) {
                return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024.0;
            }
        }
        return 0;
    }

private:
    QString m_program;
    QProcess m_process;
    int m_port = 0;
};

struct Inputs {
    // The engine's own short log, which the runs filling the database keep.
    QByteArray log;
    QStringList header;
    QList<double> rates;
    QByteArray validation;
};

// Uploads `uploads` logs from `clients` threads; prints the figures and
// returns the ids acknowledged.
// rate = 0: each client uploads again as soon as it is answered, to find the
// most the service takes; else the uploads are due at that many a second and
// a latency is counted from when its upload was due, so a late start counts.
QStringList Upload(const Service& service, const Inputs& inputs, int uploads, int clients, double rate,
                   quint32 firstSeed) {
    // The logs are made before the clock starts, so the figures are the service's.
    std::vector<std::string> logs;
    logs.reserve(size_t(uploads));
    for (int i = 0; i < uploads; ++i) {
        logs.push_back(SyntheticLog(inputs.header, inputs.rates, 1000, firstSeed + quint32(i)).toStdString());
    }
    const std::string validation = inputs.validation.toStdString();
    std::atomic<int> next{0};
    std::mutex mutex;
    std::vector<double> latencies;
    QStringList ids;
    int failures = 0;
    QElapsedTimer clock;
    clock.start();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            for (int i = next++; i < uploads; i = next++) {
                const qint64 due = rate > 0 ? qint64(double(i) * 1e9 / rate) : clock.nsecsElapsed();
                if (const qint64 wait = due - clock.nsecsElapsed(); wait > 0) {
                    std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
                }
                httplib::Client client("127.0.0.1", service.port());
                client.set_read_timeout(60, 0);
                const httplib::Result result = client.Post(
                    "/api/v1/runs", httplib::MultipartFormDataItems{
                                        {"log", logs[size_t(i)], "vysledek.log", "text/plain"},
                                        {"validation", validation, "validace.json", "application/json"}});
                const double ms = double(clock.nsecsElapsed() - due) / 1e6;
                const std::lock_guard lock(mutex);
                if (result && result->status == 201) {
                    latencies.push_back(ms);
                    ids.append(QJsonDocument::fromJson(QByteArray::fromStdString(result->body))
                                   .object()
                                   .value("id")
                                   .toString());
                } else {
                    ++failures;
                    if (failures <= 3) {
                        std::fprintf(stderr, "  upload failed: %d %s\n", result ? result->status : -1,
                                     result ? result->body.c_str()
                                            : httplib::to_string(result.error()).c_str());
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    std::printf("  %d uploads from %d clients%s in %.1f s: %.1f uploads/s, p50 %.1f ms, p99 %.1f ms, "
                "%d failed\n",
                uploads, clients,
                rate > 0 ? qPrintable(QStringLiteral(", due at %1 a second").arg(rate)) : "", seconds,
                double(ids.size()) / seconds, Percentile(latencies, 50), Percentile(latencies, 99), failures);
    std::printf("  service memory: %.0f MiB resident now, %.0f MiB at most\n", service.memory("VmRSS:"),
                service.memory("VmHWM:"));
    return ids;
}

// Fills the store up to `total` runs: copies of a stored run under other
// systems and scores, written straight to the database.
bool Fill(RunStore& store, const QString& modelId, const QByteArray& log, qint64 total) {
    const auto model = store.find(modelId);
    if (!model.ok() || !model.value) {
        std::fprintf(stderr, "  the run %s is not there: %s\n", qPrintable(modelId), qPrintable(model.error));
        return false;
    }
    const auto count = store.runCount();
    QElapsedTimer clock;
    clock.start();
    std::atomic<qint64> next{count.value};
    std::atomic<bool> failed{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (qint64 i = next++; i < total && !failed; i = next++) {
                RunStore::Run run = *model.value;
                run.id = QStringLiteral("f%1").arg(i, 15, 16, QLatin1Char('0'));
                run.logHash = QString::fromLatin1(
                    QCryptographicHash::hash(run.id.toLatin1(), QCryptographicHash::Sha256).toHex());
                // 2 000 systems, each with runs a little apart.
                run.processor = QStringLiteral("%1 #%2").arg(run.processor).arg(i % 2000);
                run.score = run.score * (0.5 + double(i % 2000) / 2000.0) * (0.98 + double(i % 7) / 150.0);
                run.log = log;
                if (const auto added = store.add(run); !added.ok()) {
                    std::fprintf(stderr, "  %s\n", qPrintable(added.error));
                    failed = true;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    std::printf("  filled to %lld runs in %.0f s\n", total, double(clock.elapsed()) / 1000.0);
    return !failed;
}

// The first request of a path, which reads the database, and the median and
// slowest of 20 more, which the service answers from the ranking it keeps.
void TimeGet(const Service& service, const char* path, const char* when = "") {
    httplib::Client client("127.0.0.1", service.port());
    client.set_read_timeout(120, 0);
    std::vector<double> times;
    size_t bytes = 0;
    int status = 0;
    for (int i = 0; i < 21; ++i) {
        QElapsedTimer clock;
        clock.start();
        const httplib::Result result = client.Get(path);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        status = result ? result->status : -1;
        bytes = result ? result->body.size() : 0;
    }
    const double first = times.front();
    times.erase(times.begin());
    std::printf("  GET %-18s %d, %zu bytes: first%s %.1f ms, then median %.1f ms, slowest %.1f ms\n", path,
                status, bytes, when, first, Percentile(times, 50), Percentile(times, 100));
}

// One database's figures; false when something could not be measured.
bool Measure(const QString& program, const QString& database, const Inputs& inputs, int uploads, int clients,
             double rate, qint64 runs) {
    std::printf("%s\n", qPrintable(database));
    QStringList ids;
    {
        Service service(program);
        if (!service.start(database)) {
            return false;
        }
        ids = Upload(service, inputs, uploads, clients, 0, 1);
        ids += Upload(service, inputs, uploads, clients, rate, quint32(uploads) + 1);
    }
    const std::optional<ServerOptions::Database> parsed = ServerOptions::parseDatabase(database);
    const std::unique_ptr<RunStore> store =
        parsed->backend == ServerOptions::Backend::Sqlite
            ? std::unique_ptr<RunStore>(std::make_unique<SqliteRunStore>(parsed->name))
            : std::unique_ptr<RunStore>(std::make_unique<PostgresRunStore>(*parsed));
    const auto count = store->runCount();
    int missing = 0;
    for (const QString& id : std::as_const(ids)) {
        const auto found = store->find(id);
        missing += found.ok() && found.value ? 0 : 1;
    }
    // The log hash is unique in the schema, so a duplicate would show as more rows than acknowledgements.
    std::printf("  rows afterwards: %lld for %lld acknowledged uploads; %d acknowledged missing\n",
                count.value, qint64(ids.size()), missing);
    if (ids.isEmpty() || !Fill(*store, ids.first(), inputs.log, runs)) {
        return false;
    }
    Service service(program);
    if (!service.start(database)) {
        return false;
    }
    TimeGet(service, "/", " after start");
    TimeGet(service, "/api/v1/ranking");
    TimeGet(service, "/systemy.dtb");
    // A change of this service's own, then one it learns of only when the
    // kept ranking has aged: the first request after each.
    std::printf("  one more upload:\n");
    Upload(service, inputs, 1, 1, 0, quint32(uploads) * 2 + 1);
    TimeGet(service, "/", " after an upload");
    std::this_thread::sleep_for(RankingCache::kFreshFor + std::chrono::seconds(1));
    TimeGet(service, "/", " once aged");
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // Each figure as soon as it is measured, also into a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption uploadsOption("uploads", "Uploads per database.", "N", "2000");
    const QCommandLineOption clientsOption("clients", "Clients uploading at once.", "N", "64");
    const QCommandLineOption rateOption("rate", "Uploads due a second when latencies are measured.", "N",
                                        "100");
    const QCommandLineOption runsOption("runs", "Runs stored when the ranking is timed.", "N", "100000");
    parser.addOptions({uploadsOption, clientsOption, rateOption, runsOption});
    parser.process(application);

    EngineFolder folder;
    if (const QString error = folder.fill(); !error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const QByteArray log = RunEngine(folder, {"--offscreen", "--seconds", "1"});
    RunEngine(folder, {"--validate", "--summary", "validace.json"});
    Inputs inputs;
    inputs.log = log;
    inputs.validation = Read(folder.filePath(QStringLiteral("validace.json")));
    const RunEvaluation evaluation = RunEvaluation::OfBytes(log);
    if (log.isEmpty() || inputs.validation.isEmpty() ||
        evaluation.blockCount() != EngineContract::kTestCount) {
        std::fprintf(stderr, "the engine made no log of seven tests with its validation\n");
        return 1;
    }
    inputs.header = evaluation.header();
    for (const RunEvaluation::Test& test : evaluation.tests()) {
        inputs.rates.append(test.figures.averageRate);
    }

    const int uploads = parser.value(uploadsOption).toInt();
    const int clients = parser.value(clientsOption).toInt();
    const double rate = parser.value(rateOption).toDouble();
    const qint64 runs = parser.value(runsOption).toLongLong();
    const QString program = QStringLiteral(VYKON3D_SERVER);
    const QTemporaryDir sqliteFolder;
    bool measured = Measure(program, QStringLiteral("sqlite:%1").arg(sqliteFolder.filePath("runs.sqlite")),
                            inputs, uploads, clients, rate, runs);
    PostgresInstance postgres;
    if (const QString error = postgres.start(); !error.isEmpty()) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(error));
        return 1;
    }
    measured = Measure(program, postgres.url(), inputs, uploads, clients, rate, runs) && measured;
    return measured ? 0 : 1;
}
