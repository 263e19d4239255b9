#include "EngineFile.h"

#include "contract/InputFile.h"

EngineFile::Result EngineFile::read(const QString& path, qint64 limit) {
    InputFile::Result file = InputFile::read(path, limit);
    Result result;
    if (file.error) {
        result.error = file.error->oneLine();
    } else if (file.tooLarge) {
        // The size known at opening is named; a file that grew past the
        // limit while read has no size to name.
        result.error =
            file.size > limit
                ? QStringLiteral("Soubor %1 je příliš velký (%2 bajtů, nejvýše %3)")
                      .arg(path)
                      .arg(file.size)
                      .arg(limit)
                : QStringLiteral("Soubor %1 je příliš velký (nejvýše %2 bajtů)").arg(path).arg(limit);
    } else {
        result.bytes = std::move(file.bytes);
    }
    return result;
}
