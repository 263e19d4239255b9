#include "ConfigParser.h"

#include "EngineFile.h"

ConfigParser::Result ConfigParser::parseFile(const QString& path) {
    const EngineFile::Result file = EngineFile::read(path, EngineFile::kConfigLimit);
    if (!file.ok()) {
        Result result;
        result.error = file.error;
        return result;
    }
    return EngineConfigParser::parse(file.bytes);
}
