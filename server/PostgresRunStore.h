#pragma once

#include "ServerOptions.h"
#include "SqlRunStore.h"

// The runs in a PostgreSQL database (15 or later). The password, if the
// server asks for one, comes from libpq's PGPASSWORD or ~/.pgpass. Lives as
// long as the service.
class PostgresRunStore final : public SqlRunStore {
public:
    explicit PostgresRunStore(ServerOptions::Database database);

protected:
    void configure(QSqlDatabase& database) const override;
    QString blobType() const override { return QStringLiteral("BYTEA"); }

private:
    ServerOptions::Database m_database;
};
