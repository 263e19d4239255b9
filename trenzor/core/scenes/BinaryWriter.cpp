#include "BinaryWriter.h"

#include <QtEndian>
#include <cstring>

void BinaryWriter::u16(std::uint16_t value) {
    char buffer[2];
    qToLittleEndian(value, buffer);
    m_bytes.append(buffer, 2);
}

void BinaryWriter::u32(std::uint32_t value) {
    char buffer[4];
    qToLittleEndian(value, buffer);
    m_bytes.append(buffer, 4);
}

void BinaryWriter::f32(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    u32(bits);
}

void BinaryWriter::text(const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    u16(std::uint16_t(utf8.size()));
    m_bytes.append(utf8);
}

void BinaryWriter::patchU32(qsizetype offset, std::uint32_t value) {
    qToLittleEndian(value, m_bytes.data() + offset);
}
