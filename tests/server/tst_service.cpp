// vykon3d-server as users get it: the program over HTTP with real engine
// logs, on an SQLite file and on a PostgreSQL 15 of the test's own, the same
// API test on both; its pages in headless chromium; a SIGKILL during a stream
// of uploads; its exit statuses.
#include "EngineFolder.h"
#include "FreePort.h"
#include "PostgresInstance.h"
#include "ServiceProcess.h"
#include "contract/NumberRules.h"
#include "results/SystemsDatabase.h"

#include <httplib.h>

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <atomic>
#include <csignal>
#include <optional>
#include <thread>

namespace {

QByteArray Read(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

httplib::Client Client(const ServiceProcess& service) {
    return httplib::Client("127.0.0.1", service.port());
}

QJsonObject Object(const std::string& body) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
}

// The status lines of the answers to these requests, sent one after the
// other on one connection, each once the answer before it has come whole.
QList<QByteArray> StatusLines(int port, const QList<QByteArray>& requests) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QList<QByteArray> lines;
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        return lines;
    }
    const timeval timeout{20, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    for (const QByteArray& request : requests) {
        if (::send(fd, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size()) {
            break;
        }
        QByteArray answer;
        qsizetype headerEnd = -1;
        qsizetype length = 0;
        char buffer[4096];
        while (headerEnd < 0 || answer.size() < headerEnd + 4 + length) {
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0) {
                break;
            }
            answer.append(buffer, got);
            if (headerEnd < 0 && (headerEnd = answer.indexOf("\r\n\r\n")) >= 0) {
                const qsizetype at = answer.toLower().indexOf("content-length: ");
                length = at >= 0 ? answer.mid(at + 16, answer.indexOf('\r', at) - at - 16).toLongLong() : 0;
            }
        }
        if (headerEnd < 0) {
            break;
        }
        lines.append(answer.left(answer.indexOf("\r\n")));
    }
    close(fd);
    return lines;
}

httplib::Result Upload(httplib::Client& client, const QByteArray& log, const QByteArray& validation,
                       const QByteArray& summary = {}) {
    httplib::MultipartFormDataItems items = {{"log", log.toStdString(), "vysledek.log", "text/plain"}};
    if (!validation.isEmpty()) {
        items.push_back({"validation", validation.toStdString(), "validace.json", "application/json"});
    }
    if (!summary.isEmpty()) {
        items.push_back({"summary", summary.toStdString(), "beh.json", "application/json"});
    }
    return client.Post("/api/v1/runs", items);
}

// What headless chromium shows of a page, after it has laid it out.
QString Dom(const QString& url) {
    QProcess chromium;
    chromium.start(QStringLiteral("chromium"),
                   {"--headless", "--no-sandbox", "--disable-gpu", "--dump-dom", url});
    chromium.waitForFinished(60000);
    return QString::fromUtf8(chromium.readAllStandardOutput());
}

} // namespace

class TestService : public QObject {
    Q_OBJECT

    EngineFolder m_folder;
    PostgresInstance m_postgres;
    QByteArray m_log;
    QByteArray m_summary;
    QByteArray m_validation;
    QByteArray m_smallLog;

    // The log of a run of the folder's engine, empty when it failed.
    QByteArray runEngine(const QStringList& arguments) {
        return m_folder.runHeadless(arguments) ? Read(QStringLiteral("vysledek.log")) : QByteArray();
    }

private slots:
    void initTestCase() {
        QCOMPARE(m_folder.fill(), QString());
        m_log = runEngine({"--offscreen", "--seconds", "1", "--summary", "beh.json"});
        m_summary = Read(QStringLiteral("beh.json"));
        QVERIFY(!runEngine({"--validate", "--summary", "validace.json"}).isEmpty());
        m_validation = Read(QStringLiteral("validace.json"));
        m_smallLog = runEngine({"--offscreen", "--seconds", "0.2", "--size", "320x240"});
        QVERIFY(!m_log.isEmpty() && !m_summary.isEmpty() && !m_validation.isEmpty() && !m_smallLog.isEmpty());
        QCOMPARE(m_postgres.start(), QString());
    }

    void api_data() {
        QTest::addColumn<QString>("database");
        QTest::newRow("sqlite")
            << QStringLiteral("sqlite:%1").arg(m_folder.filePath(QStringLiteral("runs.sqlite")));
        QTest::newRow("postgresql") << m_postgres.url();
    }
    void api() {
        QFETCH(QString, database);
        ServiceProcess service;
        QCOMPARE(service.start(database, {"--upload-limit", "8"}), QString());
        httplib::Client client = Client(service);

        // A real run with its summary and validation is ranked.
        httplib::Result uploaded = Upload(client, m_log, m_validation, m_summary);
        QVERIFY(uploaded);
        QCOMPARE(uploaded->status, 201);
        const QJsonObject run = Object(uploaded->body);
        QCOMPARE(run.value("reasons").toArray(), QJsonArray());
        QVERIFY(run.value("rankable").toBool());
        const QString id = run.value("id").toString();
        QCOMPARE(run.value("url").toString(), "/r/" + id);
        // The same log again: the first upload's id, nothing new.
        httplib::Result again = Upload(client, m_log, m_validation);
        QCOMPARE(again->status, 200);
        QCOMPARE(Object(again->body).value("id").toString(), id);

        // The log with one value changed, with its original summary: the
        // first test's first rate, line 9, gets a digit in front.
        QByteArray changed = m_log;
        qsizetype at = 0;
        for (int line = 1; line < 9; ++line) {
            at = changed.indexOf("\r\n", at) + 2;
        }
        changed.insert(at, "1");
        httplib::Result refused = Upload(client, changed, m_validation, m_summary);
        QCOMPARE(refused->status, 422);
        QCOMPARE(Object(refused->body).value("error").toString(), "summary_mismatch");
        QCOMPARE(Object(refused->body).value("message").toString(),
                 "Údaje souhrnu běhu nesouhlasí s protokolem v testu 0 (Průlet krajinou).");

        // A run at 320x240 is stored, not ranked, with the reason.
        httplib::Result small = Upload(client, m_smallLog, m_validation);
        QCOMPARE(small->status, 201);
        QCOMPARE(Object(small->body).value("reasons").toArray(),
                 QJsonArray{"Velikost obrazu 320x240 není standardní 640x480."});
        const QJsonObject smallRun = Object(
            client.Get("/api/v1/runs/" + Object(small->body).value("id").toString().toStdString())->body);
        QCOMPARE(smallRun.value("tests").toArray().size(), 7);
        QVERIFY(!smallRun.value("rankable").toBool());

        // The ranking holds the ranked run only.
        httplib::Result rankingReply = client.Get("/api/v1/ranking");
        QCOMPARE(rankingReply->status, 200);
        const QJsonObject ranking = Object(rankingReply->body);
        QCOMPARE(ranking.value("runs").toInt(), 1);
        const QJsonObject system = ranking.value("systems").toArray().at(0).toObject();
        const QJsonObject evaluation = Object(client.Get("/api/v1/runs/" + id.toStdString())->body);
        QCOMPARE(system.value("processor").toString(), evaluation.value("processor").toString());
        QVERIFY(evaluation.value("rankable").toBool());
        QCOMPARE(system.value("bestRun").toObject().value("id").toString(), id);
        QCOMPARE(ranking.value("percentiles").toObject().value("p50").toDouble(),
                 evaluation.value("score").toDouble());

        // systemy.dtb as the front end reads it, with its ETag.
        httplib::Result dtb = client.Get("/systemy.dtb");
        QCOMPARE(dtb->status, 200);
        QFile file(SystemsDatabase::kFileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(dtb->body));
        file.close();
        const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
        QVERIFY(records.ok());
        QCOMPARE(records.value().size(), 1);
        QCOMPARE(records.value()[0].computerText, evaluation.value("processor").toString());
        QCOMPARE(records.value()[0].scoreText,
                 NumberRules::FormatScore(evaluation.value("score").toDouble()));
        QCOMPARE(client.Get("/systemy.dtb", {{"If-None-Match", dtb->get_header_value("ETag")}})->status, 304);

        // The pages in a real browser.
        if (database.startsWith(QLatin1String("sqlite"))) {
            const QString ranked = Dom(service.base() + "/");
            QVERIFY2(ranked.contains(evaluation.value("processor").toString().toHtmlEscaped()),
                     qPrintable(ranked));
            QVERIFY(ranked.contains("/r/" + id));
            const QString page = Dom(service.base() + "/r/" + Object(small->body).value("id").toString());
            QVERIFY2(page.contains("Velikost obrazu 320x240 není standardní 640x480."), qPrintable(page));
            QCOMPARE(page.count("<polyline"), 7);
        }

        // Too large a body; then deleting with the token only.
        QCOMPARE(
            client.Post("/api/v1/runs", std::string(9 * 1024 * 1024, 'x'), "multipart/form-data; boundary=a")
                ->status,
            413);
        httplib::Headers wrong = {{"Authorization", "Bearer 00"}};
        QCOMPARE(client.Delete("/api/v1/runs/" + id.toStdString(), wrong)->status, 404);
        httplib::Headers token = {
            {"Authorization", "Bearer " + run.value("deleteToken").toString().toStdString()}};
        QCOMPARE(client.Delete("/api/v1/runs/" + id.toStdString(), token)->status, 204);
        QCOMPARE(client.Get("/api/v1/runs/" + id.toStdString())->status, 404);
        QCOMPARE(Object(client.Get("/api/v1/ranking")->body).value("runs").toInt(), 0);

        // Five uploads so far; the limit of eight a minute answers the ninth with 429.
        int status = 0;
        for (int i = 0; i < 3; ++i) {
            status = Upload(client, "x", {})->status;
        }
        QCOMPARE(status, 422);
        QCOMPARE(Upload(client, "x", {})->status, 429);
        // Through a proxy on this computer another client has a limit of its own.
        client.set_default_headers({{"X-Forwarded-For", "192.0.2.7"}});
        QCOMPARE(Upload(client, "x", {})->status, 422);
        // A connection kept alive carries request after request.
        const QByteArray request = "GET /api/v1/ranking HTTP/1.1\r\nHost: a\r\n\r\n";
        QCOMPARE(StatusLines(service.port(), {request, request, request}),
                 QList<QByteArray>(3, "HTTP/1.1 200 OK"));
        QCOMPARE(service.stop(), 0);
    }

    // Killed during a stream of uploads, the service has lost no run it
    // acknowledged and holds no half run when it starts again.
    void killDuringUploads() {
        const QString path = m_folder.filePath(QStringLiteral("kill.sqlite"));
        ServiceProcess service;
        QCOMPARE(service.start("sqlite:" + path, {"--upload-limit", "0"}), QString());
        QStringList acknowledged;
        std::atomic<bool> going{true};
        std::thread uploader([&] {
            httplib::Client client = Client(service);
            for (int i = 0; going; ++i) {
                QByteArray log = m_log;
                // Another date line makes another run.
                const qsizetype dateStart = log.indexOf("\r\n") + 2;
                log.replace(dateStart, log.indexOf("\r\n", dateStart) - dateStart, QByteArray::number(i));
                httplib::Result result = Upload(client, log, m_validation);
                if (result && result->status == 201) {
                    acknowledged.append(Object(result->body).value("id").toString());
                }
            }
        });
        QTest::qWait(1500);
        service.kill();
        going = false;
        uploader.join();
        QVERIFY(acknowledged.size() > 3);

        ServiceProcess restarted;
        QCOMPARE(restarted.start("sqlite:" + path), QString());
        httplib::Client client = Client(restarted);
        for (const QString& id : acknowledged) {
            QCOMPARE(client.Get("/api/v1/runs/" + id.toStdString())->status, 200);
        }
        QCOMPARE(restarted.stop(), 0);
        {
            QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "kill");
            database.setDatabaseName(path);
            QVERIFY(database.open());
            QSqlQuery query(database);
            QVERIFY(query.exec("PRAGMA integrity_check") && query.next());
            QCOMPARE(query.value(0).toString(), "ok");
            QVERIFY(query.exec("SELECT log_hash, log, test_count FROM runs"));
            int rows = 0;
            while (query.next()) {
                ++rows;
                QCOMPARE(query.value(0).toString(),
                         QCryptographicHash::hash(query.value(1).toByteArray(), QCryptographicHash::Sha256)
                             .toHex());
                QCOMPARE(query.value(2).toInt(), 7);
            }
            // At most the one upload in flight was stored unacknowledged.
            QVERIFY2(rows == acknowledged.size() || rows == acknowledged.size() + 1,
                     qPrintable(QString::number(rows)));
            qInfo("killed after %lld acknowledged uploads; %d whole runs stored", qint64(acknowledged.size()),
                  rows);
        }
        QSqlDatabase::removeDatabase("kill");
    }

    void exitStatuses() {
        QProcess server;
        server.start(QStringLiteral(VYKON3D_SERVER), {"--listen", "nowhere"});
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitCode(), 2);
        // A database of a newer schema is refused.
        const QString path = m_folder.filePath(QStringLiteral("newer.sqlite"));
        {
            QSqlDatabase database = QSqlDatabase::addDatabase("QSQLITE", "newer");
            database.setDatabaseName(path);
            QVERIFY(database.open());
            QSqlQuery query(database);
            QVERIFY(query.exec("CREATE TABLE schema_version (version INTEGER NOT NULL)"));
            QVERIFY(query.exec("INSERT INTO schema_version VALUES (99)"));
        }
        QSqlDatabase::removeDatabase("newer");
        server.start(QStringLiteral(VYKON3D_SERVER), {"--database", "sqlite:" + path});
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitCode(), 1);
        QVERIFY(server.readAllStandardError().contains("schéma verze 99"));
        // A port another service listens on is not shared.
        ServiceProcess first;
        QCOMPARE(first.start("sqlite:" + m_folder.filePath(QStringLiteral("first.sqlite"))), QString());
        server.start(QStringLiteral(VYKON3D_SERVER),
                     {"--listen", QStringLiteral("127.0.0.1:%1").arg(first.port()), "--database",
                      "sqlite:" + m_folder.filePath(QStringLiteral("second.sqlite"))});
        QVERIFY(server.waitForFinished(10000));
        QCOMPARE(server.exitCode(), 1);
        QVERIFY(server.readAllStandardError().contains("nelze naslouchat"));
        QCOMPARE(first.stop(), 0);
    }
};

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
