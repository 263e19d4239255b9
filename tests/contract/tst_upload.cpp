// An upload of a run as both programs make it: the multipart body, the
// service's answer decoded, and the receipt that keeps the delete key.

#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/UploadAnswer.h"
#include "contract/UploadReceipt.h"
#include "contract/UploadRequest.h"

#include <QtTest>
#include <sys/stat.h>

namespace {

// The parts of a multipart body as "name filename" → bytes, split at the
// boundary its content type names; empty when the body is not well formed.
QMap<QByteArray, QByteArray> Parts(const UploadRequest& request) {
    const QByteArray prefix = "multipart/form-data; boundary=";
    if (!request.contentType().startsWith(prefix))
        return {};
    const QByteArray delimiter = "--" + request.contentType().mid(prefix.size());
    QList<QByteArray> pieces;
    for (qsizetype at = 0, next = 0; (next = request.body().indexOf(delimiter, at)) >= 0;
         at = next + delimiter.size())
        pieces.append(request.body().mid(at, next - at));
    if (!request.body().endsWith(delimiter + "--\r\n") || pieces.value(0) != "")
        return {};
    QMap<QByteArray, QByteArray> parts;
    for (const QByteArray& piece : pieces.mid(1)) {
        const qsizetype end = piece.indexOf("\r\n\r\n");
        const QRegularExpressionMatch head =
            QRegularExpression(
                "^\r\nContent-Disposition: form-data; name=\"(\\w+)\"; filename=\"([\\w.]+)\"\r\n"
                "Content-Type: [\\w/]+$")
                .match(QString::fromLatin1(piece.left(end)));
        if (end < 0 || !head.hasMatch() || !piece.endsWith("\r\n"))
            return {};
        parts.insert((head.captured(1) + ' ' + head.captured(2)).toLatin1(), piece.mid(end + 4).chopped(2));
    }
    return parts;
}

} // namespace

class TestUpload : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;

private slots:
    void init() {
        m_folder.emplace();
        QVERIFY(m_folder->isValid());
    }

    void requestCarriesThePartsUnchanged_data() {
        QTest::addColumn<QByteArray>("log");
        QTest::addColumn<QByteArray>("validation");
        QTest::addColumn<QByteArray>("summary");
        QTest::addColumn<QByteArray>("boundary");
        const QByteArray log = QByteArray("3D vykon\r\nAMD\r\n120.5\r\n0\r\n") + QByteArray("\x00\xff", 2);
        const QByteArray validation("{\"validation\":true}\n");
        QTest::newRow("all three") << log << validation << QByteArray("{\"a\":1}")
                                   << QByteArray("----vykon3d-0");
        QTest::newRow("log alone") << log << QByteArray() << QByteArray() << QByteArray("----vykon3d-0");
        QTest::newRow("boundaries in the parts")
            << QByteArray("x\r\n------vykon3d-0\r\n") << validation << QByteArray("----vykon3d-1--")
            << QByteArray("----vykon3d-2");
    }
    void requestCarriesThePartsUnchanged() {
        QFETCH(QByteArray, log);
        QFETCH(QByteArray, validation);
        QFETCH(QByteArray, summary);
        QFETCH(QByteArray, boundary);
        const UploadRequest request(log, validation, summary);
        QCOMPARE(request.contentType(), "multipart/form-data; boundary=" + boundary);
        QMap<QByteArray, QByteArray> expected{{"log vysledek.log", log}};
        if (!validation.isEmpty())
            expected.insert("validation validace.json", validation);
        if (!summary.isEmpty())
            expected.insert("summary souhrn.json", summary);
        QCOMPARE(Parts(request), expected);
    }

    // Status and body of the service's answer at a service → what the user
    // is told: page | API address | key | rankable | reasons, or a part of
    // the reason it failed.
    void answerIsDecoded_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("problem");
        const QString plain = "http://127.0.0.1:8080";
        QTest::newRow("stored, ranked")
            << plain << 201
            << QByteArray(
                   R"({"id":"0a1b","url":"/r/0a1b","deleteToken":"f00d","rankable":true,"reasons":[]})")
            << "http://127.0.0.1:8080/r/0a1b | http://127.0.0.1:8080/api/v1/runs/0a1b | f00d | 1 | "
            << QString();
        QTest::newRow("behind a proxy, not ranked, reasons on one line")
            << "https://example.org/vykon/" << 201
            << QByteArray(R"({"id":"ff","url":"/r/ff","deleteToken":"k-1","rankable":false,)"
                          R"("reasons":["Bez ověření\nobrazu.","Jiné\u2028 rozlišení."]})")
            << "https://example.org/vykon/r/ff | https://example.org/vykon/api/v1/runs/ff | k-1 | 0 | "
               "Bez ověření obrazu.;Jiné rozlišení."
            << QString();
        QTest::newRow("duplicate keeps no key, absolute page")
            << plain << 200
            << QByteArray("{\"id\":\"12\",\"url\":\"https://other.example/r/12\",\"rankable\":true}")
            << "https://other.example/r/12 | http://127.0.0.1:8080/api/v1/runs/12 |  | 1 | " << QString();
        QTest::newRow("odd page still keeps the key")
            << plain << 201 << QByteArray(R"j({"id":"12","url":"javascript:x()","deleteToken":"t"})j")
            << "http://127.0.0.1:8080/r/12 | http://127.0.0.1:8080/api/v1/runs/12 | t | 0 | " << QString();
        QTest::newRow("service error")
            << plain << 422 << QByteArray(R"({"error":"log_invalid","message":"Protokol\r\nje poškozený."})")
            << QString() << "Protokol je poškozený.";
        QTest::newRow("proxy page") << plain << 502 << QByteArray("<html>Bad Gateway</html>") << QString()
                                    << "Adresa http://127.0.0.1:8080 odpověděla stavem HTTP 502, ale ne jako "
                                       "služba výsledků";
        QTest::newRow("error without message")
            << plain << 500 << QByteArray(R"({"error":"x"})") << QString() << "stavem HTTP 500";
        QTest::newRow("success of another server")
            << plain << 200 << QByteArray(R"({"ok":true})") << QString() << "stavem HTTP 200";
        QTest::newRow("id that is no id")
            << plain << 201 << QByteArray(R"({"id":"../x","deleteToken":"t"})") << QString() << "HTTP 201";
        QTest::newRow("key that would break a line")
            << plain << 201 << QByteArray(R"({"id":"1","deleteToken":"t\nx"})") << QString() << "HTTP 201";
        QTest::newRow("other success status")
            << plain << 202 << QByteArray(R"({"id":"1","deleteToken":"t"})") << QString() << "HTTP 202";
    }
    void answerIsDecoded() {
        QFETCH(QString, service);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, stored);
        QFETCH(QString, problem);
        const UploadAnswer answer = UploadAnswer::decode(status, body, ServiceAddress::fromText(service));
        QCOMPARE(answer.stored(), problem.isEmpty());
        if (answer.stored()) {
            QCOMPARE(QStringList({answer.page().toString(), answer.api().toString(), answer.deleteToken(),
                                  QString::number(answer.rankable()), answer.reasons().join(';')})
                         .join(" | "),
                     stored);
            QCOMPARE(answer.duplicate(), status == 200);
        } else {
            QVERIFY2(answer.problem().contains(problem), qPrintable(answer.problem()));
        }
    }

    void receiptKeepsEveryKey() {
        const ServiceAddress service = ServiceAddress::fromText("http://s:1");
        const QDateTime when(QDate(2026, 12, 8), QTime(21, 4, 13), Qt::UTC);
        const QByteArray first = "2026-12-08T21:04:13Z\thttp://s:1/r/ab\thttp://s:1/api/v1/runs/ab\tk1\n";
        QVERIFY(!UploadReceipt::append(
            UploadAnswer::decode(201, R"({"id":"ab","url":"/r/ab","deleteToken":"k1"})", service), when));
        QVERIFY(!UploadReceipt::append(UploadAnswer::decode(200, R"({"id":"ab","url":"/r/ab"})", service),
                                       when.addSecs(1)));
        const QByteArray bytes = TestSupport::readAll(UploadReceipt::FileName);
        QVERIFY2(bytes.startsWith("# "), bytes);
        QVERIFY(bytes.contains("curl -X DELETE -H \"Authorization: Bearer KLÍČ\" ADRESA_API\n"));
        QVERIFY2(
            bytes.endsWith(first + "2026-12-08T21:04:14Z\thttp://s:1/r/ab\thttp://s:1/api/v1/runs/ab\t-\n"),
            bytes);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(UploadReceipt::FileName).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));

        // A line that does not fit is taken back whole; what was there stays.
        {
            const TestSupport::FileSizeLimit limit(bytes.size() + 10);
            const std::optional<FileError> error = UploadReceipt::append(
                UploadAnswer::decode(201, R"({"id":"cd","url":"/r/cd","deleteToken":"k2"})", service), when);
            QVERIFY(error);
            QVERIFY2(error->oneLine().startsWith("Soubor odeslane.txt nelze zapsat: "),
                     qPrintable(error->oneLine()));
        }
        QCOMPARE(TestSupport::readAll(UploadReceipt::FileName), bytes);
    }

    void receiptInPlaceOfAFolderIsRefused() {
        QVERIFY(QDir().mkdir(UploadReceipt::FileName));
        const std::optional<FileError> error =
            UploadReceipt::append(UploadAnswer::decode(201, R"({"id":"ab","deleteToken":"k"})",
                                                       ServiceAddress::fromText("http://s")),
                                  QDateTime::currentDateTime());
        QVERIFY(error);
        QVERIFY2(error->oneLine().startsWith("Soubor odeslane.txt nelze zapsat: "),
                 qPrintable(error->oneLine()));
    }
};

QTEST_GUILESS_MAIN(TestUpload)
#include "tst_upload.moc"
