// The front end's windows as a client of the real results service, on SQLite
// and a free loopback port: the world's systems brought into the user's
// systems database, a complete run sent from the results window with the real
// engine's validation, and a service that is down, silent or answers garbage
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
#include "results/Odeslat_Form.h"
#include "results/Vysledky2_Form.h"
#include "results/Vysledky_Form.h"
#include "shell/Hlavni_Form.h"

#include <httplib.h>

#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
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

// A listening socket that answers as told, or never; "down" closes it. The
// address it listens at, as sluzba.url holds it.
QByteArray Listen(QTcpServer& fake, const QByteArray& answer, bool& connected) {
    if (!fake.listen(QHostAddress::LocalHost)) {
        return {};
    }
    QObject::connect(&fake, &QTcpServer::newConnection, &fake, [&fake, answer, &connected] {
        connected = true;
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
    return address;
}

// The results window's "Odeslat výsledek…" pressed: the dialog, or null.
Odeslat_Form* OpenSendDialog() {
    Vysledky_Form* results = WaitDialog::showResults();
    if (!results || !results->Command5->isEnabled()) {
        return nullptr;
    }
    QTest::mouseClick(results->Command5, Qt::LeftButton);
    return Odeslat_Form::existing();
}

} // namespace

class tst_frontend_service : public QObject {
    Q_OBJECT

    EngineFolder m_engine;
    ServiceProcess m_service;
    // The ranked run's record as the service lists it.
    QByteArray m_worldRecord;
    // A second run's log, which the front end sends, and a validation's JSON.
    QByteArray m_sendLog;
    QByteArray m_sendSummary;
    QByteArray m_validation;
    std::optional<FrontEndFolder> m_folder;

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
        QVERIFY(m_engine.runHeadless({"--offscreen", "--seconds", "0.2", "--summary", "beh.json"}));
        const QByteArray log = TestSupport::readAll(QStringLiteral("vysledek.log"));
        QVERIFY(m_engine.runHeadless({"--validate", "--summary", "validace.json"}));
        const QByteArray validation = TestSupport::readAll(QStringLiteral("validace.json"));
        m_validation = validation;
        QVERIFY(m_engine.runHeadless({"--offscreen", "--seconds", "0.2", "--summary", "souhrn.json"}));
        m_sendLog = TestSupport::readAll(QStringLiteral("vysledek.log"));
        m_sendSummary = TestSupport::readAll(QStringLiteral("souhrn.json"));
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
        QTest::newRow("not HTTP") << QByteArray("garbage garbage\r\n\r\n")
                                  << QStringLiteral("neodpověděla platně");
        QTest::newRow("larger than a database")
            << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 20000000\r\n\r\n")
            << QStringLiteral("poslala víc než");
    }
    void receivingFailureChangesNothing() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        QTcpServer fake;
        bool connected = false;
        const QByteArray address = Listen(fake, answer, connected);
        QVERIFY(!address.isEmpty());
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

    // The user sees what goes, presses "Odeslat", and the service stores the
    // run, ranked, under the key the receipt keeps; no other file changes.
    void sendingStoresTheRun() {
        LinkEngine();
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), m_sendLog));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("souhrn.json"), m_sendSummary));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 1"})));
        const QMap<QString, QByteArray> before = Files();
        Vysledky_Form* results = WaitDialog::showResults();
        QVERIFY(results);
        QCOMPARE(results->Command5->text(), QStringLiteral("Odeslat výsledek…"));
        QCOMPARE(results->Command5->geometry(), QRect(464, 368, 120, 33));
        // The caption is read whole within the button.
        QVERIFY(results->Command5->fontMetrics().horizontalAdvance(results->Command5->text()) <
                results->Command5->width());
        Odeslat_Form* send = OpenSendDialog();
        QVERIFY(send && send->isVisible());

        // The log's header lines as they are, then one line a test.
        const QStringList shown = send->Text1->toPlainText().split(QLatin1Char('\n'));
        const QStringList header = Cp1250Codec::decode(m_sendLog).split(QStringLiteral("\r\n")).mid(0, 7);
        QCOMPARE(shown.mid(0, 7), header);
        QCOMPARE(shown.size(), 7 + 1 + 7 + 2);
        QVERIFY2(shown.at(14).contains(QStringLiteral(" snímků, průměrně ")), qPrintable(shown.at(14)));
        QVERIFY2(shown.constLast().startsWith(QStringLiteral("Přiložen souhrn běhu souhrn.json")),
                 qPrintable(shown.constLast()));
        QCOMPARE(send->Label1->text(),
                 QStringLiteral("Odešle se do služby výsledků %1.").arg(m_service.base()));
        QVERIFY(!QFile::exists(QStringLiteral("odeslane.txt")));

        QTest::mouseClick(send->Command1, Qt::LeftButton);
        QVERIFY(send->ProgressBar1->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!send->ProgressBar1->isVisible(), 180000);
        const QString answer = send->Label2->text();
        QVERIFY2(answer.contains(QStringLiteral("Výsledek je odeslán")), qPrintable(answer));
        QVERIFY2(answer.contains(QStringLiteral("Běh je v žebříčku.")), qPrintable(answer));
        QVERIFY(answer.contains(QStringLiteral("Klíč ke smazání běhu je uložen v souboru odeslane.txt.")));
        // The receipt's line: date, page, API address, key.
        const QList<QByteArray> receipt =
            TestSupport::readAll(QStringLiteral("odeslane.txt")).trimmed().split('\n');
        const QList<QByteArray> fields = receipt.constLast().split('\t');
        QCOMPARE(fields.size(), 4);
        QVERIFY2(answer.contains(QStringLiteral("<a href=\"%1\">").arg(QString::fromUtf8(fields.at(1)))),
                 qPrintable(answer));
        const std::string api = QUrl(QString::fromUtf8(fields.at(2))).path().toStdString();
        const QByteArray stored = Get(m_service.port(), api);
        QVERIFY2(stored.contains("\"rankable\":true"), stored.constData());
        QVERIFY(!send->Command1->isEnabled());
        QMap<QString, QByteArray> after = Files();
        after.remove(QStringLiteral("odeslane.txt"));
        QCOMPARE(after, before);

        // The key kept is the one that deletes the run.
        httplib::Client client("127.0.0.1", m_service.port());
        const httplib::Result deleted =
            client.Delete(api, {{"Authorization", "Bearer " + fields.at(3).toStdString()}});
        QVERIFY(deleted && deleted->status == 204);

        // The summary goes along: one that the log does not bear out is the
        // service's to refuse.
        QByteArray tampered = m_sendSummary;
        const qsizetype at = tampered.indexOf("\"fastestRate\": ") + 15;
        QVERIFY(at > 15);
        tampered.insert(at, "1");
        QVERIFY(TestSupport::writeRaw(QStringLiteral("souhrn.json"), tampered));
        send->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        send = OpenSendDialog();
        QVERIFY(send);
        QTest::mouseClick(send->Command1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!send->ProgressBar1->isVisible(), 180000);
        QVERIFY2(send->Label2->text().contains(QStringLiteral("Údaje souhrnu běhu nesouhlasí s protokolem")),
                 qPrintable(send->Label2->text()));
    }

    // Every failure is said in the dialog, leaves every file of the user's as
    // it was and lets the user try again; a validation that fails sends
    // nothing. The real engine's validation is taken as recorded.
    void sendingFailureChangesNothing_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no service named")
            << QByteArray("no sluzba.url") << QStringLiteral("Adresa služby výsledků není zadána");
        QTest::newRow("validation fails") << QByteArray("invalid")
                                          << QStringLiteral("Obraz se neověřil (ověření skončilo se stavem "
                                                            "1), nic nebylo odesláno.<br>test 3 se liší");
        QTest::newRow("down") << QByteArray("down") << QStringLiteral("nelze spojit");
        QTest::newRow("silent") << QByteArray() << QStringLiteral("neodpověděla do 0 s");
        QTest::newRow("garbage") << QByteArray("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\n<html>")
                                 << QStringLiteral("Výsledek se nepodařilo odeslat: ");
        QTest::newRow("cancelled") << QByteArray("cancel") << QStringLiteral("Odeslání bylo zrušeno.");
    }
    void sendingFailureChangesNothing() {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        QTcpServer fake;
        bool connected = false;
        const QByteArray address = Listen(fake, answer == "cancel" ? QByteArray() : answer, connected);
        QVERIFY(TestSupport::writeRaw(QStringLiteral("sluzba.url"), address));
        if (answer == "no sluzba.url") {
            QVERIFY(QFile::remove(QStringLiteral("sluzba.url")));
        }
        QVERIFY(TestSupport::writeRaw(QStringLiteral("validace.json"), m_validation));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("trenzor.exe"),
                                      answer == "invalid" ? "#!/bin/sh\necho 'test 3 se liší' >&2\nexit 1\n"
                                                          : "#!/bin/sh\nexec cat validace.json\n"));
        QVERIFY(QFile::setPermissions(QStringLiteral("trenzor.exe"), QFile::ReadOwner | QFile::ExeOwner));
        qputenv("VYKON3D_TEST_SERVICE_DEADLINE_MS", answer == "cancel" ? "60000" : "300");
        QVERIFY(writeLog(blocksScoring(2, 7)));
        QVERIFY(TestSupport::writeRaw(QStringLiteral("systemy.dtb"), database({" 1", " 10"})));
        const QMap<QString, QByteArray> before = Files();

        Odeslat_Form* send = OpenSendDialog();
        QVERIFY(send);
        if (answer == "no sluzba.url") {
            QVERIFY2(send->Label1->text().contains(reason), qPrintable(send->Label1->text()));
            QVERIFY(!send->Command1->isEnabled());
        } else {
            QTest::qWait(50);
            QVERIFY(!connected);
            QTest::mouseClick(send->Command1, Qt::LeftButton);
            if (answer == "cancel") {
                QTRY_VERIFY_WITH_TIMEOUT(connected, 20000);
                QTest::mouseClick(send->Command3, Qt::LeftButton);
            }
            QTRY_VERIFY_WITH_TIMEOUT(!send->ProgressBar1->isVisible(), 20000);
            QVERIFY2(send->Label2->text().contains(reason), qPrintable(send->Label2->text()));
            QVERIFY(send->Command1->isEnabled());
        }
        qunsetenv("VYKON3D_TEST_SERVICE_DEADLINE_MS");
        QCOMPARE(Files(), before);
    }

private:
    // The engine program and its scene files in the working folder.
    void LinkEngine() const {
        for (const QString& name :
             QDir(m_engine.path()).entryList({QStringLiteral("trenzor.exe"), QStringLiteral("*.bin")})) {
            QVERIFY(QFile::link(m_engine.filePath(name), name));
        }
    }

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
