// One request to the results service, against a loopback socket that plays
// the service: a whole answer, an error answer, garbage, silence, an answer
// too large, a closed port, and the user's cancel.

#include "client/ServiceTransfer.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using Outcome = ServiceTransfer::Outcome;
Q_DECLARE_METATYPE(Outcome::Kind)

class TestServiceTransfer : public QObject {
    Q_OBJECT

    // Answers every connection with these bytes once the request's head has
    // come (null: says nothing), then closes unless told to keep quiet.
    QTcpServer m_service;
    QByteArray m_answer;

    Outcome run(const QByteArray& answer, bool post, bool cancel = false) {
        m_answer = answer;
        ServiceTransfer transfer;
        transfer.setDeadline(std::chrono::milliseconds(1500));
        transfer.setAnswerLimit(1000);
        QSignalSpy done(&transfer, &ServiceTransfer::finished);
        const QUrl url(QStringLiteral("http://127.0.0.1:%1/api/v1/runs").arg(m_service.serverPort()));
        if (post)
            transfer.post(url, QByteArray(20000, 'x'), "application/octet-stream");
        else
            transfer.get(url);
        if (cancel)
            QTimer::singleShot(200, &transfer, &ServiceTransfer::cancel);
        if (!done.wait(10000))
            return Outcome{Outcome::Kind::Failed, -1, {}, {}, QStringLiteral("no finished()")};
        return done.constFirst().constFirst().value<Outcome>();
    }

private slots:
    void initTestCase() {
        qRegisterMetaType<Outcome>();
        QVERIFY(m_service.listen(QHostAddress::LocalHost));
        connect(&m_service, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* socket = m_service.nextPendingConnection();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->readAll();
                if (!m_answer.isNull() && socket->property("answered").isNull()) {
                    socket->setProperty("answered", true);
                    socket->write(m_answer);
                    socket->disconnectFromHost();
                }
            });
        });
    }

    void outcomes_data() {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("post");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<Outcome::Kind>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const QByteArray json = "{\"id\":\"a\"}";
        QTest::newRow("whole answer")
            << "HTTP/1.1 201 Created\r\nContent-Type: application/json\r\nContent-Length: " +
                   QByteArray::number(json.size()) + "\r\n\r\n" + json
            << true << false << Outcome::Kind::Answered << 201 << QString(json);
        QTest::newRow("error answer keeps its body")
            << QByteArray("HTTP/1.1 413 Payload Too Large\r\nContent-Length: 5\r\n\r\nlarge") << true << false
            << Outcome::Kind::Answered << 413 << "large";
        QTest::newRow("garbage") << QByteArray("garbage garbage\r\n\r\n") << false << false
                                 << Outcome::Kind::Failed << 0 << "neodpověděla platně";
        QTest::newRow("silence") << QByteArray() << false << false << Outcome::Kind::Failed << 0
                                 << "neodpověděla do 1 s";
        QTest::newRow("too large") << "HTTP/1.1 200 OK\r\nContent-Length: 5000\r\n\r\n" +
                                          QByteArray(5000, 'y')
                                   << false << false << Outcome::Kind::Failed << 0 << "víc než 1000 bajtů";
        QTest::newRow("cancelled") << QByteArray() << true << true << Outcome::Kind::Cancelled << 0
                                   << "zrušen";
    }
    void outcomes() {
        QFETCH(QByteArray, answer);
        QFETCH(bool, post);
        QFETCH(bool, cancel);
        QFETCH(Outcome::Kind, kind);
        QFETCH(int, status);
        QFETCH(QString, said);
        const Outcome outcome = run(answer, post, cancel);
        QCOMPARE(outcome.kind, kind);
        QCOMPARE(outcome.status, status);
        const QString text =
            kind == Outcome::Kind::Answered ? QString::fromUtf8(outcome.body) : outcome.problem;
        QVERIFY2(text.contains(said), qPrintable(text));
    }

    void closedPortCannotBeReached() {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        ServiceTransfer transfer;
        QSignalSpy done(&transfer, &ServiceTransfer::finished);
        transfer.get(QUrl(QStringLiteral("http://127.0.0.1:%1/systemy.dtb").arg(port)));
        QVERIFY(done.wait(10000));
        const Outcome outcome = done.constFirst().constFirst().value<Outcome>();
        QCOMPARE(outcome.kind, Outcome::Kind::Failed);
        QVERIFY2(outcome.problem.contains(QStringLiteral("nelze spojit")), qPrintable(outcome.problem));
    }
};

QTEST_GUILESS_MAIN(TestServiceTransfer)
#include "tst_servicetransfer.moc"
