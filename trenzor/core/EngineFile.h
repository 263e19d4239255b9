#pragma once

#include <QByteArray>
#include <QString>

// Reads one of the engine's input files (the configuration, a scene or a
// browser file) whole through the contract's InputFile, with its limits, and
// words a failure as the engine prints it. Stateless.
class EngineFile {
public:
    struct Result {
        QByteArray bytes;
        // Why the file could not be read, naming it; empty on success.
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    static constexpr qint64 kConfigLimit = 1024 * 1024;
    static constexpr qint64 kSceneLimit = 256 * 1024 * 1024;

    static Result read(const QString& path, qint64 limit);
};
