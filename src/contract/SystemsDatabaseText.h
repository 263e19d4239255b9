#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <array>
#include <optional>

// The bytes of the systems database "systemy.dtb": per record its four texts
// (computer, score, graphics card, memory), one a line, in Windows-1250,
// every line ended by CR LF, nothing before, between or after the records.
// The front end's reader (SystemsDatabase) reads exactly this; the results
// service writes its ranking with it. Stateless.
namespace SystemsDatabaseText {

using Record = std::array<QString, 4>;

struct Encoded {
    QByteArray bytes;
    // The text with a character Windows-1250 cannot hold, and the character;
    // empty when every text was encoded (bytes are then the whole file).
    std::optional<QString> unencodableText;
    QChar unencodableCharacter;
};

Encoded Encode(const QList<Record>& records);

} // namespace SystemsDatabaseText
