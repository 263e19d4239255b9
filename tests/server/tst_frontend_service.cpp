// The front end's windows as a client of the real results service, on SQLite
// and a free loopback port: the world's systems brought into the user's
// systems database, and a service that is down, silent or answers garbage
// changing no file of the user's.
#include "EngineFolder.h"
#include "FrontEndFolder.h"
#include "ResultsFixture.h"
#include "ServiceProcess.h"
#include "WaitDialog.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/NumberRules.h"
#include "results/ComparisonList.h"
#include "results/Vysledky2_Form.h"
#include "results/Vysledky_Form.h"
#include "shell/Hlavni_Form.h"

#include <httplib.h>

#include <QDir>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QToolButton>

using namespace ResultsFixture;

namespace {

QByteArray Get(int port, const std::string& path) {
    httplib::Client client("127.0.0.1", port);
    const httplib::Result answer = client.Get(path);
    return answer && answer->status == 200 ? QByteArray::fromStdString(answer->body) : QByteArray();
}

// Every file of the working folder with its bytes.
QMap<QString, QByteArray> Files() {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir::current().entryList(QDir::Files | QDir::Hidden)) {
        files.insert(name, TestSupport::readAll(name));
    }
    return files;
}

} // namespace

class tst_frontend_service : public QObject {
    Q_OBJECT

    EngineFolder m_engine;
    ServiceProcess m_service;
    // The ranked run's record as the service lists it.
    QByteArray m_worldRecord;
    std::optional<FrontEndFolder> m_folder;

    bool runEngine(const QStringList& arguments) {
        QProcess engine;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        engine.setProcessEnvironment(environment);
        engine.setProcessChannelMode(QProcess::MergedChannels);
        engine.start(m_engine.filePath(QStringLiteral("trenzor.exe")), arguments);
        const bool ok = engine.waitForFinished(180000) && engine.exitStatus() == QProcess::NormalExit &&
                        engine.exitCode() == 0;
        if (!ok) {
            qWarning("%s", engine.readAll().constData());
        }
        return ok;
    }

    // Presses a button and waits for the message that ends what it started.
    static void clickAndWaitForMessage(QPushButton* button) {
        const qsizetype before = MessageBox::recorded().size();
        QTest::mouseClick(button, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(MessageBox::recorded().size() > before, 20000);
    }

    static Vysledky2_Form* showComparison() {
        Hlavni_Form* main = Hlavni_Form::instance();
        FormDisplay::showModeless(main);
        QTest::mouseClick(main->Command3, Qt::LeftButton);
        return Vysledky2_Form::existing();
    }

private slots:
    void initTestCase() {
        QCOMPARE(m_engine.fill(), QString());
        QVERIFY(runEngine({"--offscreen", "--seconds", "0.2", "--summary", "beh.json"}));
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QVERIFY(runEngine({"--validate", "--summary", "validace.json"}));
        const QByteArray validation = TestSupport::readAll(QStringLiteral("validace.json"));
        QCOMPARE(m_service.start(QStringLiteral("sqlite:%1").arg(m_engine.filePath("runs.sqlite"))),
                 QString());
        httplib::Client client("127.0.0.1", m_service.port());
        const httplib::Result uploaded =
            client.Post("/api/v1/runs",
                        httplib::MultipartFormDataItems{
                            {"log", log.toStdString(), "vysledek.log", "text/plain"},
                            {"validation", validation.toStdString(), "validace.json", "application/json"}});
        QVERIFY(uploaded && uploaded->status == 201);
        QVERIFY2(uploaded->body.find("\"rankable\":true") != std::string::npos, uploaded->body.c_str());
        m_worldRecord = Get(m_service.port(), "/systemy.dtb");
        QCOMPARE(m_worldRecord.count("\r\n"), 4);
    }

    void init() {
        QVERIFY(m_folder.emplace().isValid());
        QVERIFY(TestSupport::writeRaw(QStringLiteral("sluzba.url"), m_service.base().toUtf8() + "\n"));
    }
    void cleanup() { m_folder.reset(); }
    void cleanupTestCase() { QCOMPARE(m_service.stop(), 0); }

    // The user's saved records all stay, in their order, the world's system
    // comes in once before the first greater score, and both lists show it.
    void receivingMerges() {
        const double worldScore = NumberRules::LeadingNumber(m_worldRecord.split('\n').at(1));
        const QByteArray below = database({" 0.5", "abc"}).replace("abc\r\n", " 1\r\n");
        const QByteArray above = database({" 1E9"});
        QVERIFY(worldScore > 2 && worldScore < 1E9);
        QVERIFY(writeLog(blocksScoring(2, 7)));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), below + above));

        Vysledky_Form* results = WaitDialog::showResults();
        QVERIFY(results && results->Command4->isEnabled());
        QCOMPARE(results->Command4->text(), QStringLiteral("Aktualizovat seznam počítačů"));
        QCOMPARE(results->Command4->geometry(), QRect(8, 368, 224, 33));
        clickAndWaitForMessage(results->Command4);
        QCOMPARE(
            MessageBox::recorded().constLast().text,
            QStringLiteral("Seznam počítačů byl aktualizován ze služby výsledků %1.\nNových počítačů: 1.")
                .arg(m_service.base()));
        QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), below + m_worldRecord + above);
        const SystemRecord world = WorldRecord();
        QList<SystemRecord> rows = results->ListView1->rows()->rows();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(3), world);
        QCOMPARE(rows.at(2).scoreText, QStringLiteral(" 2"));

        // Again: nothing new, nothing twice, not a byte changed.
        clickAndWaitForMessage(results->Command4);
        QVERIFY(MessageBox::recorded().constLast().text.endsWith(QStringLiteral("Nových počítačů: 0.")));
        QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), below + m_worldRecord + above);

        Vysledky2_Form* comparison = showComparison();
        QCOMPARE(comparison->Command2->geometry(), QRect(8, 360, 184, 33));
        // Both captions are read whole, not cut by their buttons.
        for (const QPushButton* button : {results->Command4, comparison->Command2}) {
            QVERIFY2(button->sizeHint().width() <= button->width(), qPrintable(button->text()));
        }
        QCOMPARE(comparison->ListView1->rows()->rows().at(2), world);
        QCOMPARE(comparison->ListView1->rows()->rowCount(), 4);
    }

    // From the comparison window, into a database the user had not made.
    void receivingFromTheComparisonWindow() {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), {}));
        Vysledky2_Form* comparison = showComparison();
        clickAndWaitForMessage(comparison->Command2);
        QCOMPARE(TestSupport::readAll(QStringLiteral("systemy.dtb")), m_worldRecord);
        QCOMPARE(comparison->ListView1->rows()->rows(), QList<SystemRecord>{WorldRecord()});
    }

    void receivingFailureChangesNothing_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no service named")
            << QByteArray("no sluzba.url") << QStringLiteral("Adresa služby výsledků není zadána");
        QTest::newRow("down") << QByteArray("down") << QStringLiteral("nelze spojit");
        QTest::newRow("silent") << QByteArray() << QStringLiteral("neodpověděla do 0 s");
        QTest::newRow("garbage") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n<html>\r\n\r\n")
                                 << QStringLiteral("Služba neposlala databázi systémů: skóre na řádku 2 "
                                                   "nezačíná číslem.");
        QTest::newRow("descending") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: ") +
                                           QByteArray::number(database({" 20", " 10"}).size()) + "\r\n\r\n" +
                                           database({" 20", " 10"})
                                    << QStringLiteral("záznamy nejsou seřazeny");
        QTest::newRow("refused") << QByteArray("HTTP/1.1 503 Unavailable\r\nContent-Length: 0\r\n\r\n")
                                 << QStringLiteral("odpověděla stavem HTTP 503");
    }
    void receivingFailureChangesNothing() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        // A listening socket that answers as told, or never.
        QTcpServer fake;
        QVERIFY(fake.listen(QHostAddress::LocalHost));
        connect(&fake, &QTcpServer::newConnection, &fake, [&] {
            QTcpSocket* socket = fake.nextPendingConnection();
            if (!answer.isEmpty()) {
                socket->write(answer);
                socket->disconnectFromHost();
            }
        });
        const QByteArray address = QStringLiteral("http://127.0.0.1:%1\n").arg(fake.serverPort()).toUtf8();
        if (answer == "down") {
            fake.close();
        }
        QVERIFY(TestSupport::writeRaw(QStringLiteral("sluzba.url"), address));
        if (answer == "no sluzba.url") {
            QVERIFY(QFile::remove(QStringLiteral("sluzba.url")));
        }
        qputenv("VYKON3D_TEST_SERVICE_DEADLINE_MS", "300");
        QVERIFY(writeLog(blocksScoring(2, 7)));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 1", " 10"})));
        const QMap<QString, QByteArray> before = Files();

        Vysledky_Form* results = WaitDialog::showResults();
        clickAndWaitForMessage(results->Command4);
        qunsetenv("VYKON3D_TEST_SERVICE_DEADLINE_MS");
        QCOMPARE(MessageBox::recorded().constLast().style, int(MessageBox::Warning));
        QVERIFY2(MessageBox::recorded().constLast().text.contains(reason),
                 qPrintable(MessageBox::recorded().constLast().text));
        QVERIFY(results->Command4->isEnabled());
        QCOMPARE(results->ListView1->rows()->rowCount(), 3);
        QCOMPARE(Files(), before);
    }

private:
    SystemRecord WorldRecord() const {
        const QList<QByteArray> lines = m_worldRecord.split('\n');
        SystemRecord record;
        for (const RecordText which : kRecordTexts) {
            record.text(which) = Cp1250Codec::decode(lines.at(int(which)).chopped(1));
        }
        return record;
    }
};

QTEST_MAIN(tst_frontend_service)
#include "tst_frontend_service.moc"
