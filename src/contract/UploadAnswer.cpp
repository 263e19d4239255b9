#include "contract/UploadAnswer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// A text from the network becomes one line of sensible length: a message
// with line breaks or control characters must not forge lines of output.
QString OneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
            c.category() == QChar::Separator_Paragraph)
            c = QLatin1Char(' ');
    }
    line = line.simplified();
    constexpr int Limit = 300;
    return line.size() > Limit ? line.left(Limit) + QStringLiteral("…") : line;
}

QString NotTheService(int status, const ServiceAddress& service) {
    return QStringLiteral("Adresa %1 odpověděla stavem HTTP %2, ale ne jako služba výsledků "
                          "(například stránkou proxy nebo jiného serveru).")
        .arg(service.text())
        .arg(status);
}

// The run's page: the service names it by a path on itself, which lies below
// the service's address also when a proxy puts the service under a path.
QUrl PageOf(const QString& url, const QString& id, const ServiceAddress& service) {
    const QUrl given(url, QUrl::StrictMode);
    if (given.isValid() && given.isRelative() && !given.path().isEmpty())
        return service.resolve(given.path().mid(given.path().startsWith(QLatin1Char('/')) ? 1 : 0));
    const QString scheme = given.scheme().toLower();
    if (given.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https")))
        return given;
    // The run is stored all the same and its key must reach the user.
    return service.resolve(QStringLiteral("r/") + id);
}

} // namespace

UploadAnswer UploadAnswer::decode(int status, const QByteArray& body, const ServiceAddress& service) {
    UploadAnswer answer;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        answer.m_problem = NotTheService(status, service);
        return answer;
    }
    if (status != 200 && status != 201) {
        const QString message = OneLine(object.value(QLatin1String("message")).toString());
        answer.m_problem = message.isEmpty() ? NotTheService(status, service) : message;
        return answer;
    }
    static const QRegularExpression Id(QStringLiteral("^[0-9a-f]{1,64}$"));
    static const QRegularExpression Token(QStringLiteral("^[0-9A-Za-z._~-]{1,256}$"));
    const QString id = object.value(QLatin1String("id")).toString();
    const QJsonValue token = object.value(QLatin1String("deleteToken"));
    if (!Id.match(id).hasMatch() || (!token.isUndefined() && !Token.match(token.toString()).hasMatch())) {
        answer.m_problem = NotTheService(status, service);
        return answer;
    }
    answer.m_id = id;
    answer.m_deleteToken = token.toString();
    answer.m_duplicate = status == 200;
    answer.m_page = PageOf(object.value(QLatin1String("url")).toString(), id, service);
    answer.m_api = service.resolve(QStringLiteral("api/v1/runs/") + id);
    answer.m_rankable = object.value(QLatin1String("rankable")).toBool();
    for (const QJsonValue reason : object.value(QLatin1String("reasons")).toArray()) {
        if (const QString line = OneLine(reason.toString()); !line.isEmpty())
            answer.m_reasons.append(line);
    }
    return answer;
}
