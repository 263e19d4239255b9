#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// A bounds-checked little-endian cursor over the bytes of one scene or
// browser file. Every read past the end, every count that cannot fit in the
// bytes left and every non-finite number puts the reader into a failed state
// that remembers the first reason; later reads then yield zeros. Lives as
// long as one file is being decoded.
class BinaryReader {
public:
    explicit BinaryReader(const QByteArray& bytes)
        : m_bytes(bytes) {}

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    float f32();
    QByteArray raw(qsizetype size);
    // A length-prefixed UTF-8 text of at most maxBytes bytes.
    QString text(std::uint16_t maxBytes);
    // A count of records of at least recordSize bytes each, checked against
    // the bytes left and against limit.
    std::uint32_t count(std::uint32_t recordSize, std::uint32_t limit, const char* what);

    void fail(const QString& reason);
    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    qsizetype remaining() const { return m_bytes.size() - m_offset; }

private:
    bool take(qsizetype size);
    // The next unsigned number of T's size, least significant byte first.
    template <typename T>
    T little();

    const QByteArray& m_bytes;
    qsizetype m_offset = 0;
    QString m_error;
};
