#pragma once

#include "RunConfig.h"

#include <QByteArray>
#include <QString>

// Turns the bytes of an engine configuration file into an RunConfig.
// Stateless: every call parses one whole file. A file that breaks any rule
// yields no configuration and one Czech message naming the line at fault.
class ConfigParser {
public:
    struct Result {
        RunConfig config;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    static Result parse(const QByteArray& bytes);
    // Reads and parses the file; a file that cannot be read (also one that is
    // not a regular file, or is larger than EngineFile::kConfigLimit) is an
    // error naming the file and the reason.
    static Result parseFile(const QString& path);
};
