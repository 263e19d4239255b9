#include "contract/ServiceAddress.h"

#include "contract/InputFile.h"
#include "contract/TextFile.h"

const QString ServiceAddress::FileName = QStringLiteral("sluzba.url");

namespace {

// An address is one short line; anything larger is not this file.
constexpr qint64 FileLimit = 4096;

QString howToName() {
    return QStringLiteral("Adresa služby výsledků není zadána. Zapište ji (například "
                          "http://vysledky.example:8080) do souboru %1 v pracovní složce.")
        .arg(ServiceAddress::FileName);
}

} // namespace

ServiceAddress ServiceAddress::failure(const QString& problem) {
    ServiceAddress address;
    address.m_problem = problem;
    return address;
}

ServiceAddress ServiceAddress::fromFile() {
    if (!TextFile::NormalFileExists(FileName))
        return failure(howToName());
    const InputFile::Result file = InputFile::read(FileName, FileLimit);
    if (file.error)
        return failure(file.error->message());
    if (file.tooLarge)
        return failure(QStringLiteral("Soubor %1 je příliš velký: má obsahovat jen adresu služby výsledků.")
                           .arg(FileName));
    const QString line = QString::fromUtf8(file.bytes).section(QLatin1Char('\n'), 0, 0);
    if (line.trimmed().isEmpty())
        return failure(howToName());
    ServiceAddress address = fromText(line);
    if (!address.ok())
        address.m_problem = QStringLiteral("Soubor %1: %2").arg(FileName, address.m_problem);
    return address;
}

ServiceAddress ServiceAddress::fromText(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        url.host().isEmpty() || url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty())
        return failure(QStringLiteral("„%1“ není adresa služby výsledků; zadejte ji jako "
                                      "http://počítač:port nebo https://počítač/cesta.")
                           .arg(trimmed.left(200)));
    ServiceAddress address;
    address.m_base = url;
    QString path = url.path();
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    address.m_base.setPath(path);
    return address;
}

QString ServiceAddress::text() const {
    return m_base.toString();
}

QUrl ServiceAddress::resolve(const QString& path) const {
    QUrl url = m_base;
    url.setPath(m_base.path() + QLatin1Char('/') + path);
    return url;
}
