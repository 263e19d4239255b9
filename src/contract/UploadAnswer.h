#pragma once

#include "contract/ServiceAddress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

// What the results service answered to an upload of a run, decoded: either
// the run stored (its id, its page, the address to delete it at, the delete
// token, whether it is ranked and why not) or the Czech reason it is not. A
// plain value; every text in it is one line, fit for a terminal or a label.
class UploadAnswer {
public:
    // The HTTP status and body of the service's answer to POST api/v1/runs at
    // this service.
    static UploadAnswer decode(int status, const QByteArray& body, const ServiceAddress& service);

    bool stored() const { return m_problem.isEmpty(); }
    // Why the run is not stored: the service's own message, or what the
    // answer was instead; empty when stored().
    const QString& problem() const { return m_problem; }

    const QString& id() const { return m_id; }
    // The run's page for people.
    const QUrl& page() const { return m_page; }
    // The run on the API, where it is read and deleted.
    const QUrl& api() const { return m_api; }
    // The key that deletes the run. Empty when the service already had this
    // log: the key went to its first upload.
    const QString& deleteToken() const { return m_deleteToken; }
    // The service already had this very log and kept its first upload.
    bool duplicate() const { return m_duplicate; }
    bool rankable() const { return m_rankable; }
    // Why the run is not ranked, in Czech.
    const QStringList& reasons() const { return m_reasons; }

private:
    UploadAnswer() = default;

    QString m_problem;
    QString m_id;
    QUrl m_page;
    QUrl m_api;
    QString m_deleteToken;
    bool m_duplicate = false;
    bool m_rankable = false;
    QStringList m_reasons;
};
