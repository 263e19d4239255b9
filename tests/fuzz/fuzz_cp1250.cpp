// The Windows-1250 codec. Every byte string decodes, one character a byte,
// and encodes back to the same bytes. Any UTF-16 text either encodes whole
// and decodes back to itself, or is cut at the first character the code page
// cannot hold, with everything before it encoded.
#include "FuzzSupport.h"
#include "contract/Cp1250Codec.h"

namespace {

void bytesRoundTrip(const QByteArray& bytes) {
    const QString text = Cp1250Codec::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    const Cp1250Codec::Encoded back = Cp1250Codec::encode(text);
    FUZZ_CHECK(back.ok());
    FUZZ_CHECK(back.bytes == bytes);
    FUZZ_CHECK(Cp1250Codec::canEncode(text));
}

void textRoundTrip(const QString& text) {
    const Cp1250Codec::Encoded encoded = Cp1250Codec::encode(text);
    FUZZ_CHECK(Cp1250Codec::canEncode(text) == encoded.ok());
    if (encoded.ok()) {
        FUZZ_CHECK(encoded.bytes.size() == text.size());
        FUZZ_CHECK(Cp1250Codec::decode(encoded.bytes) == text);
        return;
    }
    const qsizetype at = encoded.unencodableAt;
    FUZZ_CHECK(at >= 0 && at < text.size());
    FUZZ_CHECK(encoded.bytes.size() == at);
    FUZZ_CHECK(Cp1250Codec::decode(encoded.bytes) == text.left(at));
    // The character reported is one the code page lacks: no byte decodes to it.
    const QChar missing = text.at(at);
    FUZZ_CHECK(missing.unicode() >= 0x80);
    for (int b = 0x80; b < 0x100; ++b) {
        FUZZ_CHECK(Cp1250Codec::decode(QByteArray(1, static_cast<char>(b))).at(0) != missing);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    bytesRoundTrip(bytes);
    // The same input read as UTF-16 code units, unpaired surrogates included.
    textRoundTrip(QString(reinterpret_cast<const QChar*>(data), static_cast<qsizetype>(size / 2)));
    return 0;
}
