#include "contract/SystemsDatabaseText.h"

#include "contract/Cp1250Codec.h"
#include "contract/TextFile.h"

namespace SystemsDatabaseText {

Encoded Encode(const QList<Record>& records) {
    QList<QByteArray> lines;
    lines.reserve(records.size() * qsizetype(std::tuple_size_v<Record>));
    for (const Record& record : records) {
        for (const QString& text : record) {
            Cp1250Codec::Encoded encoded = Cp1250Codec::encode(text);
            if (!encoded.ok()) {
                return Encoded{{}, text, text.at(encoded.unencodableAt)};
            }
            lines.append(std::move(encoded.bytes));
        }
    }
    return Encoded{TextFile::JoinLines(lines), std::nullopt, {}};
}

} // namespace SystemsDatabaseText
