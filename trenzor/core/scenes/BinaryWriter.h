#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// Appends little-endian values to a growing byte array; the counterpart of
// BinaryReader for the scene generator and the tests. Lives as long as one
// file is being encoded.
class BinaryWriter {
public:
    void u8(std::uint8_t value) { m_bytes.append(char(value)); }
    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void f32(float value);
    void text(const QString& value);
    // Overwrites a u32 written earlier, for sizes known only at the end.
    void patchU32(qsizetype offset, std::uint32_t value);

    qsizetype size() const { return m_bytes.size(); }
    const QByteArray& bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
};
