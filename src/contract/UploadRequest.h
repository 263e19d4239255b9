#pragma once

#include <QByteArray>

// The body of one upload of a run to the results service (POST
// api/v1/runs), multipart/form-data with the parts the service takes: "log"
// (vysledek.log as the engine wrote it) and, when given, "validation" (the
// engine's picture validation as JSON) and "summary" (the run's JSON
// summary).
// A plain value built once from the bytes; the bytes are sent unchanged.
class UploadRequest {
public:
    // An empty validation or summary leaves its part out: the service stores
    // a run without them, though it ranks none without a validation.
    UploadRequest(const QByteArray& log, const QByteArray& validation, const QByteArray& summary = {});

    const QByteArray& body() const { return m_body; }
    // "multipart/form-data; boundary=..." for the request's Content-Type.
    const QByteArray& contentType() const { return m_contentType; }

private:
    QByteArray m_body;
    QByteArray m_contentType;
};
