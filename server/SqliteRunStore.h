#pragma once

#include "SqlRunStore.h"

// The runs in an embedded SQLite file in write-ahead-log mode, synchronous
// commits, waiting up to 10 s for another writer. Lives as long as the
// service.
class SqliteRunStore final : public SqlRunStore {
public:
    explicit SqliteRunStore(QString path);

protected:
    void configure(QSqlDatabase& database) const override;
    QStringList connectionStatements() const override;
    QString blobType() const override { return QStringLiteral("BLOB"); }
    // Takes the write lock at once, so two uploads never deadlock on it.
    QString beginWrite() const override { return QStringLiteral("BEGIN IMMEDIATE"); }

private:
    QString m_path;
};
