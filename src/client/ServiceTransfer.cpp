#include "client/ServiceTransfer.h"

#include <QNetworkReply>
#include <QNetworkRequest>

ServiceTransfer::ServiceTransfer(QObject* parent)
    : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_stop = Stop::Deadline;
        if (m_reply)
            m_reply->abort();
    });
}

ServiceTransfer::~ServiceTransfer() {
    // A reply still running must not report to an object that is gone.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
    }
}

void ServiceTransfer::get(const QUrl& url) {
    m_url = url;
    m_uploading = false;
    start(m_network.get(QNetworkRequest(url)));
}

void ServiceTransfer::post(const QUrl& url, const QByteArray& body, const QByteArray& contentType) {
    m_url = url;
    m_uploading = true;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    start(m_network.post(request, body));
}

void ServiceTransfer::cancel() {
    if (!m_reply || m_stop != Stop::None)
        return;
    m_stop = Stop::Cancelled;
    m_reply->abort();
}

void ServiceTransfer::start(QNetworkReply* reply) {
    m_reply = reply;
    m_stop = Stop::None;
    // An answer is read whole into memory, so it is bounded while it comes,
    // not after.
    connect(reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64 total) {
        if ((received > m_answerLimit || total > m_answerLimit) && m_stop == Stop::None) {
            m_stop = Stop::TooLarge;
            m_reply->abort();
            return;
        }
        if (!m_uploading)
            emit progress(received, total);
    });
    connect(reply, &QNetworkReply::uploadProgress, this, [this](qint64 sent, qint64 total) {
        if (m_uploading)
            emit progress(sent, total);
    });
    connect(reply, &QNetworkReply::finished, this, &ServiceTransfer::finish);
    m_timer.start(m_deadline);
}

void ServiceTransfer::finish() {
    m_timer.stop();
    QNetworkReply* const reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    Outcome outcome;
    const QString address = m_url.toString(QUrl::RemovePath | QUrl::RemoveQuery);
    switch (m_stop) {
    case Stop::Cancelled:
        outcome.kind = Outcome::Kind::Cancelled;
        outcome.problem = QStringLiteral("Přenos byl zrušen.");
        break;
    case Stop::Deadline:
        outcome.problem = QStringLiteral("Služba výsledků na adrese %1 neodpověděla do %2 s.")
                              .arg(address)
                              .arg(std::chrono::duration_cast<std::chrono::seconds>(m_deadline).count());
        break;
    case Stop::TooLarge:
        outcome.problem = QStringLiteral("Služba výsledků na adrese %1 poslala víc než %2 bajtů; "
                                         "to není odpověď, jakou program čeká.")
                              .arg(address)
                              .arg(m_answerLimit);
        break;
    case Stop::None: {
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        const QNetworkReply::NetworkError error = reply->error();
        // A status with a content or server error is still the service's
        // answer; a connection that broke or a protocol it did not keep is not.
        const bool answered =
            status.isValid() &&
            (error == QNetworkReply::NoError ||
             (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
             error >= QNetworkReply::InternalServerError);
        if (answered) {
            outcome.kind = Outcome::Kind::Answered;
            outcome.status = status.toInt();
            outcome.body = reply->readAll();
            outcome.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        } else if (error == QNetworkReply::ConnectionRefusedError ||
                   error == QNetworkReply::HostNotFoundError ||
                   error == QNetworkReply::TemporaryNetworkFailureError ||
                   (error >= QNetworkReply::ProxyConnectionRefusedError &&
                    error <= QNetworkReply::UnknownProxyError)) {
            outcome.problem = QStringLiteral("Se službou výsledků na adrese %1 se nelze spojit: %2")
                                  .arg(address, reply->errorString());
        } else {
            outcome.problem = QStringLiteral("Služba výsledků na adrese %1 neodpověděla platně: %2")
                                  .arg(address, reply->errorString());
        }
        break;
    }
    }
    emit finished(outcome);
}
