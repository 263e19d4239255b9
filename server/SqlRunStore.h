#pragma once

#include "RunStore.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>
#include <mutex>
#include <optional>

// The runs in a database through Qt SQL, prepared statements only. Each
// thread that calls gets a connection of its own, opened on its first call
// and closed with the store. What differs between databases (driver,
// connection options, column types, how a writing transaction starts) is
// the subclasses'. Lives as long as the service.
class SqlRunStore : public RunStore {
public:
    ~SqlRunStore() override;

    // Opens the calling thread's connection; empty or why it failed.
    QString open();

    QString migrate() override;
    Result<Added> add(const Run& run) override;
    Result<std::optional<Run>> find(const QString& id) override;
    Result<bool> remove(const QString& id, const QString& tokenHash) override;
    Result<QList<Ranked>> rankable(const QString& keyId) override;
    Result<QList<Key>> keys() override;
    Result<qint64> runCount() override;

protected:
    // driver: "QSQLITE", "QPSQL"; description: the database for messages.
    SqlRunStore(QString driver, QString description);

    // Sets the database's name, host, user and options on a new connection.
    virtual void configure(QSqlDatabase& database) const = 0;
    // Statements run on every new connection.
    virtual QStringList connectionStatements() const { return {}; }
    // The column type of a log's bytes.
    virtual QString blobType() const = 0;
    // The statement that starts a transaction that will write.
    virtual QString beginWrite() const { return QStringLiteral("BEGIN"); }

private:
    // A statement's query to read from, or why it failed.
    using Query = Result<std::optional<QSqlQuery>>;

    // The calling thread's connection, opened; invalid with error set.
    QSqlDatabase connection(QString& error);
    QString failure(const QString& what, const QSqlQuery& query) const;
    // Runs a statement on the calling thread's connection, values bound to
    // its placeholders in order: the query, before its first row, or why it
    // failed; what names the statement in that message (the statement itself
    // when empty).
    Query exec(const QString& statement, const QVariantList& values = {}, const QString& what = {});

    QString m_driver;
    QString m_description;
    // The names of the connections opened, one per thread.
    std::mutex m_mutex;
    QStringList m_connections;
};
