#include "SystemsDatabase.h"

#include "contract/Cp1250Codec.h"
#include "contract/LineReader.h"
#include "contract/TextFile.h"

namespace {

// The file's bytes for these records, in this order; an error when a text
// holds a character Windows-1250 cannot write.
FileResult<QByteArray> DatabaseBytes(const QList<SystemRecord>& records) {
    QList<QByteArray> lines;
    lines.reserve(records.size() * 4);
    for (const SystemRecord& record : records) {
        for (const RecordText which : kRecordTexts) {
            const QString* text = &record.text(which);
            Cp1250Codec::Encoded encoded = Cp1250Codec::encode(*text);
            if (!encoded.ok()) {
                return FileError{FileError::Operation::Write, SystemsDatabase::kFileName,
                                 QStringLiteral("Znak „%1“ nelze zapsat v kódování Windows-1250.")
                                     .arg(text->at(encoded.unencodableAt))};
            }
            lines.append(std::move(encoded.bytes));
        }
    }
    return TextFile::JoinLines(lines);
}

} // namespace

namespace SystemsDatabase {

bool SystemsDatabaseExists() {
    return TextFile::NormalFileExists(kFileName);
}

FileResult<QList<SystemRecord>> ReadSystemsDatabase() {
    // Only a normal file can be read to its end; a FIFO would block.
    if (!TextFile::NormalFileExists(kFileName)) {
        return FileError{FileError::Operation::Read, kFileName, QStringLiteral("Není to běžný soubor.")};
    }
    LineReader reader(kFileName);
    const auto refuse = [&](const QString& reason) {
        return reader.error() ? *reader.error() : FileError{FileError::Operation::Read, kFileName, reason};
    };
    if (!reader.error() && reader.fileSize() > kMaxFileSize) {
        return refuse(QStringLiteral("Soubor je větší než %1 MB.").arg(kMaxFileSize / (1024 * 1024)));
    }
    QList<SystemRecord> records;
    while (!reader.atEnd()) {
        SystemRecord record;
        bool complete = true;
        for (const RecordText which : kRecordTexts) {
            if (reader.atEnd()) {
                complete = false;
                break;
            }
            const QByteArrayView line = reader.readLine();
            if (reader.lineTooLong()) {
                return refuse(reader.lineTooLongReason());
            }
            record.text(which) = Cp1250Codec::decode(line.data(), line.size());
        }
        if (!complete) {
            continue;
        }
        if (records.size() == kMaxRecordCount) {
            return refuse(QStringLiteral("Databáze má více než %1 záznamů, víc než seznam pojme.")
                              .arg(kMaxRecordCount));
        }
        records.append(std::move(record));
    }
    if (reader.error()) {
        return refuse({});
    }
    return records;
}

std::optional<FileError> WriteSystemsDatabase(const QList<SystemRecord>& records) {
    const FileResult<QByteArray> bytes = DatabaseBytes(records);
    if (bytes.error()) {
        return bytes.error();
    }
    // A file the reader refuses would hide every record it holds.
    if (bytes->size() > kMaxFileSize) {
        return FileError{FileError::Operation::Write, kFileName,
                         QStringLiteral("Databáze by byla větší než %1 MB, víc než program přečte.")
                             .arg(kMaxFileSize / (1024 * 1024))};
    }
    return TextFile::Replace(kFileName, *bytes);
}

} // namespace SystemsDatabase
