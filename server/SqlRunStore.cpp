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
        if (QSqlQuery query(database); !query.exec(statement)) {
            error = failure(statement, query);
            return {};
        }
    }
    return database;
}

SqlRunStore::Query SqlRunStore::exec(const QString& statement, const QVariantList& values,
                                     const QString& what) {
    QString error;
    const QSqlDatabase database = connection(error);
    if (!error.isEmpty()) {
        return {std::nullopt, error};
    }
    QSqlQuery query(database);
    query.setForwardOnly(true);
    // A statement without values runs as it is: PostgreSQL prepares only
    // queries and changes of rows, no BEGIN or CREATE.
    bool done = false;
    if (values.isEmpty()) {
        done = query.exec(statement);
    } else if (query.prepare(statement)) {
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        done = query.exec();
    }
    if (!done) {
        return {std::nullopt, failure(what.isEmpty() ? statement : what, query)};
    }
    return {std::move(query), {}};
}

QString SqlRunStore::open() {
    QString error;
    connection(error);
    return error;
}

QString SqlRunStore::migrate() {
    if (const QString error = exec(beginWrite()).error; !error.isEmpty()) {
        return error;
    }
    const auto rollback = [&](const QString& why) {
        exec(QStringLiteral("ROLLBACK"));
        return why;
    };
    if (const QString error =
            exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))
                .error;
        !error.isEmpty()) {
        return rollback(error);
    }
    int version = 0;
    {
        Query found = exec(QStringLiteral("SELECT MAX(version) FROM schema_version"), {},
                           QStringLiteral("verze schématu"));
        if (!found.ok()) {
            return rollback(found.error);
        }
        QSqlQuery& query = *found.value;
        version = query.next() && !query.value(0).isNull() ? query.value(0).toInt() : 0;
    }
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
            if (const QString error = exec(statement).error; !error.isEmpty()) {
                return rollback(error);
            }
        }
    }
    if (version < kSchemaVersion) {
        if (const QString error =
                exec(version == 0 ? QStringLiteral("INSERT INTO schema_version (version) VALUES (?)")
                                  : QStringLiteral("UPDATE schema_version SET version = ?"),
                     {kSchemaVersion}, QStringLiteral("verze schématu"))
                    .error;
            !error.isEmpty()) {
            return rollback(error);
        }
    }
    return exec(QStringLiteral("COMMIT")).error;
}

RunStore::Result<RunStore::Added> SqlRunStore::add(const Run& run) {
    const auto existing = [&]() -> Result<std::optional<QString>> {
        Query found = exec(QStringLiteral("SELECT id FROM runs WHERE log_hash = ?"), {run.logHash},
                           QStringLiteral("hledání běhu"));
        if (!found.ok()) {
            return {{}, found.error};
        }
        QSqlQuery& query = *found.value;
        return {query.next() ? std::optional(query.value(0).toString()) : std::nullopt, {}};
    };
    if (const QString error = exec(beginWrite()).error; !error.isEmpty()) {
        return {{}, error};
    }
    const Result<std::optional<QString>> found = existing();
    if (!found.ok() || found.value) {
        exec(QStringLiteral("ROLLBACK"));
        return {{found.value.value_or(QString()), false}, found.error};
    }
    const QString inserted =
        exec(
            QStringLiteral("INSERT INTO runs (%1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                .arg(QLatin1String(kRunColumns)),
            {run.id, run.logHash, run.tokenHash, run.uploaded.toUTC().toString(Qt::ISODate), run.program,
             run.keyId, run.keyText, run.processor, run.graphicsCard, run.memory, run.operatingSystem,
             run.conditions, run.score, run.testCount, run.rankable ? 1 : 0, ReasonsText(run.reasons),
             run.log},
            QStringLiteral("uložení běhu"))
            .error;
    if (!inserted.isEmpty()) {
        exec(QStringLiteral("ROLLBACK"));
        // Another upload of the same log may have come first.
        const Result<std::optional<QString>> again = existing();
        if (again.ok() && again.value) {
            return {{*again.value, false}, {}};
        }
        return {{}, inserted};
    }
    if (const QString error = exec(QStringLiteral("COMMIT")).error; !error.isEmpty()) {
        return {{}, error};
    }
    return {{run.id, true}, {}};
}

RunStore::Result<std::optional<RunStore::Run>> SqlRunStore::find(const QString& id) {
    Query found = exec(QStringLiteral("SELECT %1 FROM runs WHERE id = ?").arg(QLatin1String(kRunColumns)),
                       {id}, QStringLiteral("čtení běhu"));
    if (!found.ok()) {
        return {{}, found.error};
    }
    QSqlQuery& query = *found.value;
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
    Query deleted = exec(QStringLiteral("DELETE FROM runs WHERE id = ? AND token_hash = ?"), {id, tokenHash},
                         QStringLiteral("smazání běhu"));
    if (!deleted.ok()) {
        return {false, deleted.error};
    }
    return {deleted.value->numRowsAffected() > 0, {}};
}

RunStore::Result<QList<RunStore::Ranked>> SqlRunStore::rankable(const QString& keyId) {
    Query found = exec(QStringLiteral("SELECT id, processor, graphics_card, memory, score FROM runs "
                                      "WHERE key_id = ? AND rankable = 1"),
                       {keyId}, QStringLiteral("pořadí"));
    if (!found.ok()) {
        return {{}, found.error};
    }
    QSqlQuery& query = *found.value;
    QList<Ranked> runs;
    while (query.next()) {
        runs.append(Ranked{query.value(0).toString(), query.value(1).toString(), query.value(2).toString(),
                           query.value(3).toString(), query.value(4).toDouble()});
    }
    return {runs, {}};
}

RunStore::Result<QList<RunStore::Key>> SqlRunStore::keys() {
    Query found = exec(QStringLiteral("SELECT key_id, MIN(key_text), COUNT(*) FROM runs WHERE rankable = 1 "
                                      "GROUP BY key_id ORDER BY COUNT(*) DESC, key_id"),
                       {}, QStringLiteral("klíče srovnání"));
    if (!found.ok()) {
        return {{}, found.error};
    }
    QSqlQuery& query = *found.value;
    QList<Key> keys;
    while (query.next()) {
        keys.append(Key{query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong()});
    }
    return {keys, {}};
}

RunStore::Result<qint64> SqlRunStore::runCount() {
    Query found = exec(QStringLiteral("SELECT COUNT(*) FROM runs"), {}, QStringLiteral("počet běhů"));
    if (!found.ok()) {
        return {0, found.error};
    }
    QSqlQuery& query = *found.value;
    if (!query.next()) {
        return {0, failure(QStringLiteral("počet běhů"), query)};
    }
    return {query.value(0).toLongLong(), {}};
}
