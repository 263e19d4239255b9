#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Where the service keeps its runs: one interface, one implementation per
// database. Every call is one statement or one transaction, so a run is
// stored whole or not at all; calls may come from any of the server's
// threads at once. Errors come back as texts naming what failed; nothing is
// thrown.
class RunStore {
public:
    // A run as stored: what was uploaded and what the service made of it,
    // and nothing that names the computer's owner or address.
    struct Run {
        QString id;
        QString logHash;
        QString tokenHash;
        QDateTime uploaded;
        QString program;
        QString keyId;
        QString keyText;
        QString processor;
        QString graphicsCard;
        QString memory;
        QString operatingSystem;
        QString conditions;
        double score = 0;
        int testCount = 0;
        bool rankable = false;
        QStringList reasons;
        QByteArray log;
    };

    // What a ranking needs of a rankable run.
    struct Ranked {
        QString id;
        QString processor;
        QString graphicsCard;
        QString memory;
        double score = 0;
    };

    struct Key {
        QString id;
        QString text;
        qint64 rankableRuns = 0;
    };

    template <class T>
    struct Result {
        T value{};
        // What failed; empty on success.
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    struct Added {
        QString id;
        // False when a run with the same log was there already.
        bool created = false;
    };

    virtual ~RunStore() = default;

    // Creates or migrates the schema to kSchemaVersion; refuses a newer one.
    virtual QString migrate() = 0;
    // Stores the run unless one with its log hash is there: then that one's
    // id, and nothing new.
    virtual Result<Added> add(const Run& run) = 0;
    virtual Result<std::optional<Run>> find(const QString& id) = 0;
    // True when a run with this id and token hash was there and is gone.
    virtual Result<bool> remove(const QString& id, const QString& tokenHash) = 0;
    // The rankable runs of the key.
    virtual Result<QList<Ranked>> rankable(const QString& keyId) = 0;
    // Every key with rankable runs, most runs first.
    virtual Result<QList<Key>> keys() = 0;
    virtual Result<qint64> runCount() = 0;

    static constexpr int kSchemaVersion = 1;
};
