#include "contract/UploadRequest.h"

#include <QList>

namespace {

struct Part {
    QByteArray name;
    QByteArray fileName;
    QByteArray type;
    QByteArray bytes;
};

// The first of "----vykon3d-0", "----vykon3d-1", … that occurs in no part:
// a boundary inside a part would end it early. Chosen from the content, so
// one upload's body is always the same bytes.
QByteArray BoundaryFor(const QList<Part>& parts) {
    for (int candidate = 0;; ++candidate) {
        const QByteArray boundary = "----vykon3d-" + QByteArray::number(candidate);
        bool occurs = false;
        for (const Part& part : parts)
            occurs = occurs || part.bytes.contains(boundary);
        if (!occurs)
            return boundary;
    }
}

} // namespace

UploadRequest::UploadRequest(const QByteArray& log, const QByteArray& validation, const QByteArray& summary) {
    QList<Part> parts{{"log", "vysledek.log", "text/plain", log}};
    if (!validation.isEmpty())
        parts.append(Part{"validation", "validace.json", "application/json", validation});
    if (!summary.isEmpty())
        parts.append(Part{"summary", "souhrn.json", "application/json", summary});
    const QByteArray boundary = BoundaryFor(parts);
    for (const Part& part : parts) {
        m_body += "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + part.name +
                  "\"; filename=\"" + part.fileName + "\"\r\nContent-Type: " + part.type + "\r\n\r\n" +
                  part.bytes + "\r\n";
    }
    m_body += "--" + boundary + "--\r\n";
    m_contentType = "multipart/form-data; boundary=" + boundary;
}
