#include "ServerOptions.h"

#include <QRegularExpression>

namespace {

// "ADDRESS:PORT", with an IPv6 address in brackets.
bool ParseListen(const QString& text, ServerOptions& options) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(?:\[([0-9A-Fa-f:.]+)\]|([^:\[\]]+)):(\d{1,5})$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return false;
    }
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535) {
        return false;
    }
    options.address = match.captured(1).isEmpty() ? match.captured(2) : match.captured(1);
    options.port = port;
    return true;
}

} // namespace

std::optional<ServerOptions::Database> ServerOptions::parseDatabase(const QString& url) {
    if (url.startsWith(QLatin1String("sqlite:"))) {
        const QString path = url.mid(7);
        if (path.isEmpty()) {
            return std::nullopt;
        }
        return Database{Backend::Sqlite, path, {}, {}, 5432};
    }
    static const QRegularExpression pattern(QStringLiteral(
        R"(^postgresql://([A-Za-z0-9_.-]+)@([A-Za-z0-9_.-]+|\[[0-9A-Fa-f:]+\]):(\d{1,5})/([A-Za-z0-9_.-]+)$)"));
    const QRegularExpressionMatch match = pattern.match(url);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535) {
        return std::nullopt;
    }
    QString host = match.captured(2);
    if (host.startsWith(QLatin1Char('['))) {
        host = host.mid(1, host.size() - 2);
    }
    return Database{Backend::Postgres, match.captured(4), match.captured(1), host, port};
}

ParsedServerOptions ServerOptions::parse(const QStringList& arguments) {
    ServerOptions options;
    const auto refused = [](const QString& why) {
        return ParsedServerOptions{
            std::nullopt, QStringLiteral("vykon3d-server: %1\nNápověda: vykon3d-server --help").arg(why),
            false};
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--help")) {
            return ParsedServerOptions{std::nullopt, helpText(), true};
        }
        const bool takesValue = argument == QLatin1String("--listen") ||
                                argument == QLatin1String("--database") ||
                                argument == QLatin1String("--upload-limit");
        if (!takesValue) {
            return refused(QStringLiteral("neznámý přepínač %1").arg(argument));
        }
        if (i + 1 >= arguments.size()) {
            return refused(QStringLiteral("u %1 chybí hodnota").arg(argument));
        }
        const QString& value = arguments[++i];
        if (argument == QLatin1String("--listen")) {
            if (!ParseListen(value, options)) {
                return refused(
                    QStringLiteral("--listen čeká ADRESA:PORT (port 1 až 65535), ne %1").arg(value));
            }
        } else if (argument == QLatin1String("--database")) {
            const std::optional<Database> database = parseDatabase(value);
            if (!database) {
                return refused(QStringLiteral("--database čeká sqlite:SOUBOR nebo "
                                              "postgresql://UŽIVATEL@POČÍTAČ:PORT/DATABÁZE, ne %1")
                                   .arg(value));
            }
            options.database = *database;
        } else {
            bool ok = false;
            const int limit = value.toInt(&ok);
            if (!ok || limit < 0 || limit > 100000) {
                return refused(
                    QStringLiteral("--upload-limit čeká celé číslo 0 až 100000, ne %1").arg(value));
            }
            options.uploadsPerMinute = limit;
        }
    }
    return ParsedServerOptions{options, {}, false};
}

QString ServerOptions::helpText() {
    return QStringLiteral(
        "Použití: vykon3d-server [--listen ADRESA:PORT] [--database URL] [--upload-limit N]\n"
        "Služba výsledků: přijímá výsledky testů, sama je vyhodnotí a řadí platné běhy.\n"
        "\n"
        "  --listen ADRESA:PORT  kde služba naslouchá; 127.0.0.1:8080 bez něj\n"
        "  --database URL        sqlite:SOUBOR (vestavěná databáze, výchozí sqlite:vykon3d-server.sqlite)\n"
        "                        nebo postgresql://UŽIVATEL@POČÍTAČ:PORT/DATABÁZE (heslo v PGPASSWORD\n"
        "                        nebo ~/.pgpass)\n"
        "  --upload-limit N      nejvýše N nahrání za minutu z jedné adresy, 0 bez omezení; 30 bez něj\n"
        "  --help                tato nápověda\n"
        "\n"
        "Stav při skončení: 0 po zastavení signálem, 1 při chybě databáze nebo sítě, 2 pro nepoužitelný\n"
        "příkazový řádek.\n");
}
