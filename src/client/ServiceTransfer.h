#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>

class QNetworkReply;

// One request to the results service, without blocking its caller: a
// download or an upload, cut off at a deadline, its answer bounded, and
// cancellable. The owner keeps the object while the request runs and gets
// finished() exactly once; the object serves one request.
class ServiceTransfer : public QObject {
    Q_OBJECT

public:
    struct Outcome {
        enum class Kind {
            // The service answered with an HTTP status; its body is whole.
            Answered,
            // No answer: the service cannot be reached, broke off, took too
            // long or answered more than the limit. problem says which.
            Failed,
            // The user cancelled.
            Cancelled,
        };
        Kind kind = Kind::Failed;
        int status = 0;
        QByteArray body;
        QByteArray contentType;
        // Czech, for the user; empty when the service answered.
        QString problem;
    };

    explicit ServiceTransfer(QObject* parent = nullptr);
    ~ServiceTransfer() override;

    void setDeadline(std::chrono::milliseconds deadline) { m_deadline = deadline; }
    void setAnswerLimit(qint64 bytes) { m_answerLimit = bytes; }

    void get(const QUrl& url);
    void post(const QUrl& url, const QByteArray& body, const QByteArray& contentType);
    // Stops the request; finished() then reports Cancelled. Nothing when done.
    void cancel();

signals:
    // Bytes sent of an upload, or received of a download, and the whole
    // when known (otherwise -1).
    void progress(qint64 done, qint64 total);
    void finished(const ServiceTransfer::Outcome& outcome);

private:
    enum class Stop { None, Cancelled, Deadline, TooLarge };

    void start(QNetworkReply* reply);
    void finish();

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QTimer m_timer;
    QUrl m_url;
    std::chrono::milliseconds m_deadline{30000};
    qint64 m_answerLimit = 1 << 20;
    Stop m_stop = Stop::None;
    bool m_uploading = false;
};
