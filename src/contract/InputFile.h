#pragma once

#include "contract/FileError.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Reads one of the programs' input files whole: the engine's configuration,
// scenes and browser files, a run summary the front end compares with. Only
// a regular file is read: a FIFO, a device, a directory or a link to one of
// them is refused without blocking on it, and so is a file larger than the
// caller's limit, also one that grows past it while being read, so that no
// input can hold a program or exhaust its memory. Each caller words "too
// large" its own way. Stateless.
class InputFile {
public:
    struct Result {
        QByteArray bytes;
        // Why the file could not be opened or read; empty when it was read
        // and when it is too large.
        std::optional<FileError> error;
        // More than the limit: its bytes are not kept.
        bool tooLarge = false;
        // The file's size when it was opened.
        qint64 size = 0;
        bool ok() const { return !error && !tooLarge; }
    };

    static Result read(const QString& name, qint64 limit);
};
