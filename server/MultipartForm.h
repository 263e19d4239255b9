#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QMap>
#include <QString>

// A multipart/form-data body (RFC 7578) split into its named parts. Only what
// an upload needs: each part's name from its Content-Disposition, its bytes
// exactly as sent; a file name or content type of a part is ignored. A body
// that is not well formed, a part without a name, a name given twice or more
// than kMaxParts parts is refused with a reason in Czech. Stateless.
namespace MultipartForm {

constexpr int kMaxParts = 8;

struct Decoded {
    QMap<QByteArray, QByteArray> parts;
    // Why the body was refused; empty when it was decoded.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// contentType: the request's Content-Type header, which carries the boundary.
Decoded Decode(QByteArrayView contentType, QByteArrayView body);

} // namespace MultipartForm
