#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Windows-1250, the single-byte code page of every text file the program and
// its test engine share. All 256 bytes decode: the five bytes the code page
// leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98) become the C1 control
// characters of the same value, so any file decodes and encodes back byte for
// byte. Encoding never substitutes: a character the code page cannot hold is
// reported through the returned position.
namespace Cp1250Codec {

QString decode(const QByteArray& bytes);
QString decode(const char* data, qsizetype size);

struct Encoded {
    QByteArray bytes;
    // Index (in UTF-16 code units) of the first character that has no byte in
    // the code page, or -1 when the whole text was encoded.
    qsizetype unencodableAt = -1;
    bool ok() const { return unencodableAt < 0; }
};

Encoded encode(const QString& text);

// True when every character of the text has a byte in the code page.
bool canEncode(const QString& text);

} // namespace Cp1250Codec
