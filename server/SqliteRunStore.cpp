#include "SqliteRunStore.h"

SqliteRunStore::SqliteRunStore(QString path)
    : SqlRunStore(QStringLiteral("QSQLITE"), QStringLiteral("SQLite %1").arg(path))
    , m_path(std::move(path)) {}

void SqliteRunStore::configure(QSqlDatabase& database) const {
    database.setDatabaseName(m_path);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
}

QStringList SqliteRunStore::connectionStatements() const {
    // An acknowledged upload is on the disk: each commit is synced.
    return {QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=FULL"),
            QStringLiteral("PRAGMA foreign_keys=ON")};
}
