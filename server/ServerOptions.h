#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The results service's command line: where it listens, which database it
// keeps the runs in, and how many uploads one address may make a minute.
// Parsed once at start; a value object.
struct ParsedServerOptions;
struct ServerOptions {
    enum class Backend { Sqlite, Postgres };

    // The database as --database names it.
    struct Database {
        Backend backend = Backend::Sqlite;
        // SQLite: the file. PostgreSQL: the database's name.
        QString name;
        QString user;
        QString host;
        int port = 5432;
    };

    QString address = QStringLiteral("127.0.0.1");
    int port = 8080;
    Database database{Backend::Sqlite, QStringLiteral("vykon3d-server.sqlite"), {}, {}, 5432};
    // Uploads one address may make within a minute; 0 for no limit.
    int uploadsPerMinute = 30;

    // arguments without the program's name.
    static ParsedServerOptions parse(const QStringList& arguments);
    // "sqlite:PATH" or "postgresql://USER@HOST:PORT/NAME".
    static std::optional<Database> parseDatabase(const QString& url);
    static QString helpText();
};

// What the command line asked for.
struct ParsedServerOptions {
    std::optional<ServerOptions> options;
    // The help text (asked for) or why the command line cannot be used.
    QString text;
    bool help = false;
};
