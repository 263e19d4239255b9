#include "SystemsDatabase.h"

#include "common/Cp1250Codec.h"

namespace SystemsDatabase {

bool SystemsDatabaseExists() {
    return TextFile::NormalFileExists(kFileName);
}

std::optional<QList<SystemRecord>> ReadSystemsDatabase(FileError* error) {
    return ReadSystemsDatabase(kFileName, error);
}

std::optional<QList<SystemRecord>> ReadSystemsDatabase(const QString& fileName, FileError* error) {
    // Only a normal file can be read to its end; a FIFO would block.
    if (!TextFile::NormalFileExists(fileName)) {
        if (error) {
            *error = FileError{FileError::Operation::Read, fileName, QStringLiteral("Není to běžný soubor.")};
        }
        return std::nullopt;
    }
    LineReader reader(fileName);
    QList<SystemRecord> records;
    while (!reader.atEnd()) {
        SystemRecord record;
        QString* const fields[] = {&record.computerText, &record.scoreText, &record.graphicsCardText,
                                   &record.memoryText};
        bool complete = true;
        for (QString* field : fields) {
            if (reader.atEnd()) {
                complete = false;
                break;
            }
            const QByteArrayView line = reader.readLine();
            *field = Cp1250Codec::decode(line.data(), line.size());
        }
        if (complete) {
            records.append(std::move(record));
        }
    }
    if (reader.error()) {
        if (error) {
            *error = *reader.error();
        }
        return std::nullopt;
    }
    return records;
}

std::optional<QByteArray> DatabaseBytes(const QList<SystemRecord>& records, FileError* error) {
    QList<QByteArray> lines;
    lines.reserve(records.size() * 4);
    for (const SystemRecord& record : records) {
        for (const QString* text :
             {&record.computerText, &record.scoreText, &record.graphicsCardText, &record.memoryText}) {
            Cp1250Codec::Encoded encoded = Cp1250Codec::encode(*text);
            if (!encoded.ok()) {
                if (error) {
                    *error = FileError{FileError::Operation::Write, kFileName,
                                       QStringLiteral("Znak „%1“ nelze zapsat v kódování Windows-1250.")
                                           .arg(text->at(encoded.unencodableAt))};
                }
                return std::nullopt;
            }
            lines.append(std::move(encoded.bytes));
        }
    }
    return TextFile::JoinLines(lines);
}

std::optional<FileError> WriteSystemsDatabase(const QList<SystemRecord>& records) {
    FileError error;
    const std::optional<QByteArray> bytes = DatabaseBytes(records, &error);
    if (!bytes) {
        return error;
    }
    return TextFile::Replace(kFileName, *bytes);
}

} // namespace SystemsDatabase
