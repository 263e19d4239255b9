#include "MultipartForm.h"

namespace {

using MultipartForm::Decoded;

Decoded Refused(const QString& why) {
    return Decoded{{}, why};
}

QByteArrayView Trimmed(QByteArrayView text) {
    return text.trimmed();
}

// The value of a parameter (boundary=, name=) of a header value, unquoted;
// empty when missing.
QByteArray Parameter(QByteArrayView header, QByteArrayView name) {
    qsizetype at = 0;
    while (at < header.size()) {
        qsizetype end = header.indexOf(';', at);
        // A quoted value may hold ';'.
        const qsizetype equals = header.indexOf('=', at);
        if (equals >= 0 && (end < 0 || equals < end)) {
            const QByteArrayView key = Trimmed(header.sliced(at, equals - at));
            qsizetype valueStart = equals + 1;
            while (valueStart < header.size() && header[valueStart] == ' ') {
                ++valueStart;
            }
            QByteArray value;
            if (valueStart < header.size() && header[valueStart] == '"') {
                qsizetype i = valueStart + 1;
                while (i < header.size() && header[i] != '"') {
                    if (header[i] == '\\' && i + 1 < header.size()) {
                        ++i;
                    }
                    value.append(header[i]);
                    ++i;
                }
                end = header.indexOf(';', i);
            } else {
                value = Trimmed(header.sliced(valueStart, (end < 0 ? header.size() : end) - valueStart))
                            .toByteArray();
            }
            if (key.compare(name, Qt::CaseInsensitive) == 0) {
                return value;
            }
        }
        if (end < 0) {
            break;
        }
        at = end + 1;
    }
    return {};
}

} // namespace

namespace MultipartForm {

Decoded Decode(QByteArrayView contentType, QByteArrayView body) {
    const qsizetype semicolon = contentType.indexOf(';');
    const QByteArrayView mediaType = Trimmed(semicolon < 0 ? contentType : contentType.first(semicolon));
    if (mediaType.compare("multipart/form-data", Qt::CaseInsensitive) != 0) {
        return Refused(QStringLiteral("Nahrání musí být multipart/form-data."));
    }
    const QByteArray boundary = Parameter(contentType.sliced(semicolon + 1), "boundary");
    if (semicolon < 0 || boundary.isEmpty() || boundary.size() > 70) {
        return Refused(QStringLiteral("V hlavičce Content-Type chybí hranice částí (boundary)."));
    }
    const QByteArray delimiter = "--" + boundary;
    const QByteArray partDelimiter = "\r\n" + delimiter;

    // The first delimiter may follow a preamble, which is ignored.
    qsizetype at = body.startsWith(delimiter) ? 0 : body.indexOf(partDelimiter);
    if (at < 0) {
        return Refused(QStringLiteral("Tělo nahrání neobsahuje žádnou část."));
    }
    at += at == 0 && body.startsWith(delimiter) ? delimiter.size() : partDelimiter.size();
    Decoded decoded;
    while (true) {
        if (body.sliced(at).startsWith("--")) {
            return decoded.parts.isEmpty() ? Refused(QStringLiteral("Tělo nahrání neobsahuje žádnou část."))
                                           : decoded;
        }
        // Blanks may follow a delimiter before its line end.
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t')) {
            ++at;
        }
        if (!body.sliced(at).startsWith("\r\n")) {
            return Refused(QStringLiteral("Tělo nahrání je poškozené: za hranicí části chybí konec řádku."));
        }
        at += 2;
        const qsizetype headersEnd = body.indexOf("\r\n\r\n", at - 2);
        if (headersEnd < 0) {
            return Refused(QStringLiteral("Tělo nahrání je poškozené: hlavičky části nekončí."));
        }
        QByteArray name;
        bool named = false;
        for (qsizetype line = at; line < headersEnd + 2;) {
            const qsizetype lineEnd = body.indexOf("\r\n", line);
            const QByteArrayView header = body.sliced(line, lineEnd - line);
            const qsizetype colon = header.indexOf(':');
            if (colon > 0 &&
                Trimmed(header.first(colon)).compare("Content-Disposition", Qt::CaseInsensitive) == 0) {
                const QByteArrayView value = header.sliced(colon + 1);
                const qsizetype kindEnd = value.indexOf(';');
                if (kindEnd < 0 ||
                    Trimmed(value.first(kindEnd)).compare("form-data", Qt::CaseInsensitive) != 0) {
                    return Refused(QStringLiteral("Část nahrání není form-data."));
                }
                name = Parameter(value.sliced(kindEnd + 1), "name");
                named = !name.isEmpty();
            }
            line = lineEnd + 2;
        }
        if (!named) {
            return Refused(QStringLiteral("Část nahrání nemá jméno."));
        }
        const qsizetype contentStart = headersEnd + 4;
        const qsizetype contentEnd = body.indexOf(partDelimiter, contentStart);
        if (contentEnd < 0) {
            return Refused(
                QStringLiteral("Tělo nahrání je poškozené: část %1 nekončí.").arg(QString::fromUtf8(name)));
        }
        if (decoded.parts.contains(name)) {
            return Refused(QStringLiteral("Část %1 je v nahrání dvakrát.").arg(QString::fromUtf8(name)));
        }
        if (decoded.parts.size() == kMaxParts) {
            return Refused(QStringLiteral("Nahrání má víc než %1 částí.").arg(kMaxParts));
        }
        decoded.parts.insert(name, body.sliced(contentStart, contentEnd - contentStart).toByteArray());
        at = contentEnd + partDelimiter.size();
    }
}

} // namespace MultipartForm
