#pragma once

#include "contract/RunConfig.h"

#include <QByteArray>
#include <QString>

// Reads the bytes of an engine configuration file, as EngineConfig writes
// them, back into a RunConfig. CR LF, a lone LF and a lone CR each end a
// line, as in every text file of the program. Stateless: every call parses
// one whole file. A file that breaks any rule yields no configuration and one
// Czech message naming the line at fault.
class EngineConfigParser {
public:
    struct Result {
        RunConfig config;
        QString error;
        bool ok() const { return error.isEmpty(); }
    };

    static Result parse(const QByteArray& bytes);
};
