#include "SqlRunStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace {

constexpr char kRunColumns[] = "id, log_hash, token_hash, uploaded, program, key_id, key_text, processor, "
                               "graphics_card, memory, operating_system, conditions, score, test_count, "
                               "rankable, reasons, log";

QString ReasonsText(const QStringList& reasons) {
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(reasons)).toJson(QJsonDocument::Compact));
}

QStringList ReasonsOf(const QString& text) {
    QStringList reasons;
    for (const QJsonValue& reason : QJsonDocument::fromJson(text.toUtf8()).array()) {
        reasons.append(reason.toString());
    }
    return reasons;
}

} // namespace

SqlRunStore::SqlRunStore(QString driver, QString description)
    : m_driver(std::move(driver))
    , m_description(std::move(description)) {}

SqlRunStore::~SqlRunStore() {
    const std::lock_guard lock(m_mutex);
    for (const QString& name : std::as_const(m_connections)) {
        QSqlDatabase::removeDatabase(name);
    }
}

QString SqlRunStore::failure(const QString& what, const QSqlQuery& query) const {
    return QStringLiteral("%1: %2: %3").arg(m_description, what, query.lastError().text());
}

QString SqlRunStore::execute(QSqlDatabase& database, const QString& statement) {
    QSqlQuery query(database);
    return query.exec(statement) ? QString() : failure(statement, query);
}

QSqlDatabase SqlRunStore::connection(QString& error) {
    const QString name = QStringLiteral("vykon3d-server-%1").arg(quintptr(QThread::currentThreadId()));
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase database = QSqlDatabase::database(name, false);
        if (database.isOpen()) {
            return database;
        }
        QSqlDatabase::removeDatabase(name);
    } else {
        const std::lock_guard lock(m_mutex);
        m_connections.append(name);
    }
    QSqlDatabase database = QSqlDatabase::addDatabase(m_driver, name);
    if (!database.isValid()) {
        error = QStringLiteral("%1: ovladač Qt SQL %2 není k dispozici").arg(m_description, m_driver);
        return {};
    }
    configure(database);
    if (!database.open()) {
        error =
            QStringLiteral("%1: databázi nelze otevřít: %2").arg(m_description, database.lastError().text());
        return {};
    }
    for (const QString& statement : connectionStatements()) {
        if (QString failed = execute(database, statement); !failed.isEmpty()) {
            error = failed;
            return {};
        }
    }
    return database;
}

QString SqlRunStore::open() {
    QString error;
    connection(error);
    return error;
}

QString SqlRunStore::migrate() {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return error;
    }
    if (error = execute(database, beginWrite()); !error.isEmpty()) {
        return error;
    }
    const auto rollback = [&](const QString& why) {
        execute(database, QStringLiteral("ROLLBACK"));
        return why;
    };
    if (error = execute(
            database, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
        !error.isEmpty()) {
        return rollback(error);
    }
    QSqlQuery query(database);
    if (!query.prepare(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.exec()) {
        return rollback(failure(QStringLiteral("verze schématu"), query));
    }
    const int version = query.next() && !query.value(0).isNull() ? query.value(0).toInt() : 0;
    query.finish();
    if (version > kSchemaVersion) {
        return rollback(
            QStringLiteral("%1: databáze má schéma verze %2, tato verze vykon3d-server zná nejvýše verzi "
                           "%3. Spusťte novější vykon3d-server, nebo použijte jinou databázi.")
                .arg(m_description)
                .arg(version)
                .arg(kSchemaVersion));
    }
    // Each step takes the schema from the version before it to its own.
    const QList<QStringList> steps = {
        {QStringLiteral(
             "CREATE TABLE runs (id TEXT PRIMARY KEY, log_hash TEXT NOT NULL UNIQUE, "
             "token_hash TEXT NOT NULL, uploaded TEXT NOT NULL, program TEXT NOT NULL, "
             "key_id TEXT NOT NULL, key_text TEXT NOT NULL, processor TEXT NOT NULL, "
             "graphics_card TEXT NOT NULL, memory TEXT NOT NULL, operating_system TEXT NOT NULL, "
             "conditions TEXT NOT NULL, score DOUBLE PRECISION NOT NULL, test_count INTEGER NOT NULL, "
             "rankable INTEGER NOT NULL, reasons TEXT NOT NULL, log %1 NOT NULL)")
             .arg(blobType()),
         QStringLiteral("CREATE INDEX runs_ranking ON runs (key_id, rankable, graphics_card)")},
    };
    for (int step = version; step < kSchemaVersion; ++step) {
        for (const QString& statement : steps[step]) {
            if (error = execute(database, statement); !error.isEmpty()) {
                return rollback(error);
            }
        }
    }
    if (version < kSchemaVersion) {
        QSqlQuery update(database);
        if (!update.prepare(version == 0 ? QStringLiteral("INSERT INTO schema_version (version) VALUES (?)")
                                         : QStringLiteral("UPDATE schema_version SET version = ?")) ||
            (update.addBindValue(kSchemaVersion), !update.exec())) {
            return rollback(failure(QStringLiteral("verze schématu"), update));
        }
    }
    return execute(database, QStringLiteral("COMMIT"));
}

RunStore::Result<RunStore::Added> SqlRunStore::add(const Run& run) {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {{}, error};
    }
    const auto existing = [&]() -> Result<std::optional<QString>> {
        QSqlQuery query(database);
        if (!query.prepare(QStringLiteral("SELECT id FROM runs WHERE log_hash = ?"))) {
            return {{}, failure(QStringLiteral("hledání běhu"), query)};
        }
        query.addBindValue(run.logHash);
        if (!query.exec()) {
            return {{}, failure(QStringLiteral("hledání běhu"), query)};
        }
        return {query.next() ? std::optional(query.value(0).toString()) : std::nullopt, {}};
    };
    if (error = execute(database, beginWrite()); !error.isEmpty()) {
        return {{}, error};
    }
    const Result<std::optional<QString>> found = existing();
    if (!found.ok() || found.value) {
        execute(database, QStringLiteral("ROLLBACK"));
        return {{found.value.value_or(QString()), false}, found.error};
    }
    QSqlQuery insert(database);
    insert.prepare(
        QStringLiteral("INSERT INTO runs (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(QLatin1String(kRunColumns)));
    for (const QVariant& value :
         {QVariant(run.id), QVariant(run.logHash), QVariant(run.tokenHash),
          QVariant(run.uploaded.toUTC().toString(Qt::ISODate)), QVariant(run.program), QVariant(run.keyId),
          QVariant(run.keyText), QVariant(run.processor), QVariant(run.graphicsCard), QVariant(run.memory),
          QVariant(run.operatingSystem), QVariant(run.conditions), QVariant(run.score),
          QVariant(run.testCount), QVariant(run.rankable ? 1 : 0), QVariant(ReasonsText(run.reasons)),
          QVariant(run.log)}) {
        insert.addBindValue(value);
    }
    if (!insert.exec()) {
        const QString why = failure(QStringLiteral("uložení běhu"), insert);
        execute(database, QStringLiteral("ROLLBACK"));
        // Another upload of the same log may have come first.
        const Result<std::optional<QString>> again = existing();
        if (again.ok() && again.value) {
            return {{*again.value, false}, {}};
        }
        return {{}, why};
    }
    if (error = execute(database, QStringLiteral("COMMIT")); !error.isEmpty()) {
        return {{}, error};
    }
    return {{run.id, true}, {}};
}

RunStore::Result<std::optional<RunStore::Run>> SqlRunStore::find(const QString& id) {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {{}, error};
    }
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT %1 FROM runs WHERE id = ?").arg(QLatin1String(kRunColumns)))) {
        return {{}, failure(QStringLiteral("čtení běhu"), query)};
    }
    query.addBindValue(id);
    if (!query.exec()) {
        return {{}, failure(QStringLiteral("čtení běhu"), query)};
    }
    if (!query.next()) {
        return {std::nullopt, {}};
    }
    Run run;
    run.id = query.value(0).toString();
    run.logHash = query.value(1).toString();
    run.tokenHash = query.value(2).toString();
    run.uploaded = QDateTime::fromString(query.value(3).toString(), Qt::ISODate);
    run.program = query.value(4).toString();
    run.keyId = query.value(5).toString();
    run.keyText = query.value(6).toString();
    run.processor = query.value(7).toString();
    run.graphicsCard = query.value(8).toString();
    run.memory = query.value(9).toString();
    run.operatingSystem = query.value(10).toString();
    run.conditions = query.value(11).toString();
    run.score = query.value(12).toDouble();
    run.testCount = query.value(13).toInt();
    run.rankable = query.value(14).toInt() != 0;
    run.reasons = ReasonsOf(query.value(15).toString());
    run.log = query.value(16).toByteArray();
    return {run, {}};
}

RunStore::Result<bool> SqlRunStore::remove(const QString& id, const QString& tokenHash) {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {false, error};
    }
    QSqlQuery query(database);
    if (!query.prepare(QStringLiteral("DELETE FROM runs WHERE id = ? AND token_hash = ?"))) {
        return {false, failure(QStringLiteral("smazání běhu"), query)};
    }
    query.addBindValue(id);
    query.addBindValue(tokenHash);
    if (!query.exec()) {
        return {false, failure(QStringLiteral("smazání běhu"), query)};
    }
    return {query.numRowsAffected() > 0, {}};
}

RunStore::Result<QList<RunStore::Ranked>> SqlRunStore::rankable(const QString& keyId,
                                                                const QString& renderer) {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {{}, error};
    }
    QSqlQuery query(database);
    query.setForwardOnly(true);
    const QString select =
        QStringLiteral("SELECT id, processor, graphics_card, memory, score FROM runs "
                       "WHERE key_id = ? AND rankable = 1%1")
            .arg(renderer.isEmpty() ? QString() : QStringLiteral(" AND graphics_card = ?"));
    if (!query.prepare(select)) {
        return {{}, failure(QStringLiteral("pořadí"), query)};
    }
    query.addBindValue(keyId);
    if (!renderer.isEmpty()) {
        query.addBindValue(renderer);
    }
    if (!query.exec()) {
        return {{}, failure(QStringLiteral("pořadí"), query)};
    }
    QList<Ranked> runs;
    while (query.next()) {
        runs.append(Ranked{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                           query.value(3).toString(), query.value(4).toDouble()});
    }
    return {runs, {}};
}

RunStore::Result<QList<RunStore::Key>> SqlRunStore::keys() {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {{}, error};
    }
    QSqlQuery query(database);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("SELECT key_id, MIN(key_text), COUNT(*) FROM runs WHERE rankable = 1 "
                                      "GROUP BY key_id ORDER BY COUNT(*) DESC, key_id")) ||
        !query.exec()) {
        return {{}, failure(QStringLiteral("klíče srovnání"), query)};
    }
    QList<Key> keys;
    while (query.next()) {
        keys.append(Key{query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong()});
    }
    return {keys, {}};
}

RunStore::Result<qint64> SqlRunStore::runCount() {
    QString error;
    QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {0, error};
    }
    QSqlQuery query(database);
    if (!query.prepare(QStringLiteral("SELECT COUNT(*) FROM runs")) || !query.exec() || !query.next()) {
        return {0, failure(QStringLiteral("počet běhů"), query)};
    }
    return {query.value(0).toLongLong(), {}};
}
