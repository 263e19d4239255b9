#include "PostgresRunStore.h"

PostgresRunStore::PostgresRunStore(ServerOptions::Database database)
    : SqlRunStore(QStringLiteral("QPSQL"), QStringLiteral("PostgreSQL %1@%2:%3/%4")
                                               .arg(database.user, database.host)
                                               .arg(database.port)
                                               .arg(database.name))
    , m_database(std::move(database)) {}

void PostgresRunStore::configure(QSqlDatabase& database) const {
    database.setDatabaseName(m_database.name);
    database.setHostName(m_database.host);
    database.setPort(m_database.port);
    database.setUserName(m_database.user);
    database.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=vykon3d-server"));
}
