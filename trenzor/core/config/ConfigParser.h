#pragma once

#include "contract/EngineConfigParser.h"

#include <QString>

// The engine's reading of its configuration file: the file read as the
// engine reads every input file, then parsed by the contract's
// EngineConfigParser. Stateless.
class ConfigParser {
public:
    using Result = EngineConfigParser::Result;

    // Reads and parses the file; a file that cannot be read (also one that is
    // not a regular file, or is larger than EngineFile::kConfigLimit) is an
    // error naming the file and the reason.
    static Result parseFile(const QString& path);
};
