// trenzor.exe --upload as users run it: a run in a window sent to the real
// service on SQLite, what the service stored and the receipt whose key
// deletes it; and off screen to a service that is down, silent or answers
// a proxy's page, or to no address at all.
#include "EngineFolder.h"
#include "FreePort.h"
#include "ServiceProcess.h"
#include "contract/RunEvaluation.h"
#include "contract/UploadReceipt.h"

#include <httplib.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

QByteArray Read(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

const QByteArray kProxyPage = "<html>502 Bad Gateway</html>";

struct Outcome {
    int code = -1;
    QByteArray out;
    QByteArray errors;
};

// The engine of the folder with these arguments and a 2 s upload deadline;
// the test's event loop keeps serving its own sockets meanwhile.
Outcome RunEngine(const QStringList& arguments, bool display) {
    QProcess engine;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display) {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    environment.insert(QStringLiteral("TRENZOR_UPLOAD_DEADLINE_MS"), QStringLiteral("2000"));
    engine.setProcessEnvironment(environment);
    QSignalSpy finished(&engine, &QProcess::finished);
    engine.start(QStringLiteral("./trenzor.exe"), arguments);
    if (!finished.wait(240000)) {
        engine.kill();
        engine.waitForFinished(5000);
    }
    return {engine.exitStatus() == QProcess::NormalExit ? engine.exitCode() : -1,
            engine.readAllStandardOutput(), engine.readAllStandardError()};
}

QString Explain(const Outcome& outcome) {
    return QString::fromUtf8("status " + QByteArray::number(outcome.code) + "\n" + outcome.out +
                             outcome.errors);
}

} // namespace

class TestEngineUpload : public QObject {
    Q_OBJECT

    EngineFolder m_folder;
    ServiceProcess m_service;

private slots:
    void initTestCase() {
        QCOMPARE(m_folder.fill(), QString());
        QCOMPARE(m_service.start("sqlite:" + m_folder.filePath(QStringLiteral("behy.sqlite"))), QString());
    }

    void cleanupTestCase() { QCOMPARE(m_service.stop(), 0); }

    // The address from sluzba.url; a run of all seven tests is stored and
    // ranked, and the receipt's key deletes it.
    void runIsStoredAndItsKeyKept() {
        QFile address(QStringLiteral("sluzba.url"));
        QVERIFY(address.open(QIODevice::WriteOnly) && address.write(m_service.base().toUtf8() + "\n") > 0);
        address.close();
        const Outcome outcome = RunEngine({"--seconds", "0.5", "--upload"}, true);
        QVERIFY2(outcome.code == 0, qPrintable(Explain(outcome)));
        const QString out = QString::fromUtf8(outcome.out);
        const QRegularExpressionMatch page =
            QRegularExpression(QStringLiteral("\ntrenzor: běh je nahrán: (%1/r/([0-9a-f]+))\n")
                                   .arg(QRegularExpression::escape(m_service.base())))
                .match(out);
        QVERIFY2(page.hasMatch(), qPrintable(out));
        QVERIFY2(
            out.endsWith(page.captured(0) +
                         QStringLiteral("trenzor: běh je v žebříčku.\ntrenzor: klíč ke smazání běhu je v "
                                        "souboru odeslane.txt (smazání: curl -X DELETE -H \"Authorization: "
                                        "Bearer KLÍČ\" %1/api/v1/runs/%2)\n")
                             .arg(m_service.base(), page.captured(2))),
            qPrintable(out));

        httplib::Client client("127.0.0.1", m_service.port());
        const std::string run = "/api/v1/runs/" + page.captured(2).toStdString();
        const httplib::Result stored = client.Get(run);
        QVERIFY(stored && stored->status == 200);
        const QJsonObject object = QJsonDocument::fromJson(QByteArray::fromStdString(stored->body)).object();
        QVERIFY2(object.value("rankable").toBool(), stored->body.c_str());
        QCOMPARE(object.value("tests").toArray().size(), 7);
        QCOMPARE(object.value("score").toDouble(), RunEvaluation::OfBytes(Read("vysledek.log")).score());

        const QList<QByteArray> receipt = Read(UploadReceipt::FileName).split('\n');
        QCOMPARE(receipt.size(), 5);
        const QList<QByteArray> line = receipt[3].split('\t');
        QCOMPARE(line.size(), 4);
        QCOMPARE(line[1], page.captured(1).toUtf8());
        QCOMPARE(line[2], m_service.base().toUtf8() + run.c_str());
        QCOMPARE(QFile::permissions(UploadReceipt::FileName),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        const httplib::Result deleted =
            client.Delete(run, {{"Authorization", "Bearer " + line[3].toStdString()}});
        QVERIFY(deleted && deleted->status == 204);
    }

    // Where the upload goes → the status and the start of the one line on
    // standard error.
    void failedUploadSaysWhyOnce_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("down") << "down" << 1
                              << "trenzor: běh se nepodařilo nahrát: Se službou výsledků na adrese";
        QTest::newRow("silent") << "silent" << 1
                                << "trenzor: běh se nepodařilo nahrát: Služba výsledků na "
                                   "adrese http://127.0.0.1:";
        QTest::newRow("a proxy's page")
            << "proxy" << 1 << "trenzor: běh se nepodařilo nahrát: Adresa http://127.0.0.1:";
        QTest::newRow("no sluzba.url")
            << "none" << 2 << "trenzor: --upload: Adresa služby výsledků není zadána.";
    }
    void failedUploadSaysWhyOnce() {
        QFETCH(QString, service);
        QFETCH(int, status);
        QFETCH(QString, line);
        QFile::remove(QStringLiteral("sluzba.url"));
        QTcpServer server;
        QByteArray request;
        int port = FreePort();
        if (service != QLatin1String("down")) {
            QVERIFY(server.listen(QHostAddress::LocalHost));
            port = server.serverPort();
        }
        if (service == QLatin1String("proxy")) {
            // Answers once the whole request is in, as a proxy whose service
            // is gone would.
            connect(&server, &QTcpServer::newConnection, this, [&server, &request] {
                QTcpSocket* socket = server.nextPendingConnection();
                connect(socket, &QTcpSocket::readyRead, socket, [socket, &request] {
                    request += socket->readAll();
                    const qsizetype head = request.indexOf("\r\n\r\n");
                    const QRegularExpressionMatch length =
                        QRegularExpression("\r\ncontent-length: *(\\d+)",
                                           QRegularExpression::CaseInsensitiveOption)
                            .match(QString::fromLatin1(request.left(head)));
                    if (head >= 0 && length.hasMatch() &&
                        request.size() >= head + 4 + length.captured(1).toLongLong())
                        socket->write(
                            "HTTP/1.1 502 Bad Gateway\r\nContent-Type: text/html\r\nContent-Length: " +
                            QByteArray::number(kProxyPage.size()) + "\r\n\r\n" + kProxyPage);
                });
            });
        }
        const QByteArray logBefore = Read("vysledek.log");
        const QByteArray receiptBefore = Read(UploadReceipt::FileName);
        const QStringList target =
            service == QLatin1String("none")
                ? QStringList{"--upload"}
                : QStringList{"--upload", QStringLiteral("http://127.0.0.1:%1").arg(port)};
        const Outcome outcome =
            RunEngine(QStringList{"--offscreen", "--tests", "0", "--seconds", "0.2"} + target, false);
        QVERIFY2(outcome.code == status, qPrintable(Explain(outcome)));
        // The engine's own lines; Qt and Mesa say things of their own.
        const QStringList lines = QString::fromUtf8(outcome.errors)
                                      .split(u'\n')
                                      .filter(QRegularExpression(QStringLiteral("^trenzor: ")));
        QVERIFY2(lines.size() == 1 && lines[0].startsWith(line), qPrintable(Explain(outcome)));
        const QString& errors = lines[0];
        QCOMPARE(Read(UploadReceipt::FileName), receiptBefore);
        const QByteArray log = Read("vysledek.log");
        if (status == 2) {
            QCOMPARE(log, logBefore);
            return;
        }
        const RunEvaluation evaluation = RunEvaluation::OfBytes(log);
        QCOMPARE(evaluation.outcome(), RunEvaluation::Outcome::Ok);
        QCOMPARE(evaluation.tests().size(), 1);
        if (service == QLatin1String("proxy")) {
            QVERIFY2(request.contains("filename=\"vysledek.log\"\r\nContent-Type: text/plain\r\n\r\n" + log +
                                      "\r\n--"),
                     request.left(2000));
            QVERIFY2(errors.contains("stavem HTTP 502"), qPrintable(errors));
        }
        if (service == QLatin1String("silent"))
            QVERIFY2(errors.contains("neodpověděla do 2 s"), qPrintable(errors));
    }
};

QTEST_GUILESS_MAIN(TestEngineUpload)
#include "tst_engineupload.moc"
