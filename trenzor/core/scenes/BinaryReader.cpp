#include "BinaryReader.h"

#include <QStringDecoder>
#include <QtEndian>
#include <cmath>
#include <cstring>

bool BinaryReader::take(qsizetype size) {
    if (failed()) {
        return false;
    }
    if (size > remaining()) {
        fail(QStringLiteral("soubor je zkrácený (na pozici %1 chybí %2 bajtů)")
                 .arg(m_offset)
                 .arg(size - remaining()));
        return false;
    }
    return true;
}

template <typename T>
T BinaryReader::little() {
    if (!take(sizeof(T))) {
        return 0;
    }
    const T value = qFromLittleEndian<T>(m_bytes.constData() + m_offset);
    m_offset += qsizetype(sizeof(T));
    return value;
}

std::uint8_t BinaryReader::u8() {
    return little<std::uint8_t>();
}

std::uint16_t BinaryReader::u16() {
    return little<std::uint16_t>();
}

std::uint32_t BinaryReader::u32() {
    return little<std::uint32_t>();
}

float BinaryReader::f32() {
    const std::uint32_t bits = u32();
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) {
        fail(QStringLiteral("neplatné číslo na pozici %1").arg(m_offset - 4));
        return 0;
    }
    return value;
}

QByteArray BinaryReader::raw(qsizetype size) {
    if (!take(size)) {
        return {};
    }
    const QByteArray out = m_bytes.mid(m_offset, size);
    m_offset += size;
    return out;
}

QString BinaryReader::text(std::uint16_t maxBytes) {
    const std::uint16_t size = u16();
    if (size > maxBytes) {
        fail(QStringLiteral("text na pozici %1 je delší než %2 bajtů").arg(m_offset - 2).arg(maxBytes));
        return {};
    }
    const QByteArray bytes = raw(size);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString out = decoder.decode(bytes);
    if (decoder.hasError()) {
        fail(QStringLiteral("text na pozici %1 není v UTF-8").arg(m_offset - size));
        return {};
    }
    return out;
}

std::uint32_t BinaryReader::count(std::uint32_t recordSize, std::uint32_t limit, const char* what) {
    const qsizetype at = m_offset;
    const std::uint32_t value = u32();
    if (failed()) {
        return 0;
    }
    if (value > limit) {
        fail(QStringLiteral("počet %1 (%2) na pozici %3 překračuje mez %4")
                 .arg(QString::fromUtf8(what))
                 .arg(value)
                 .arg(at)
                 .arg(limit));
        return 0;
    }
    if (qint64(value) * recordSize > remaining()) {
        fail(QStringLiteral("počet %1 (%2) na pozici %3 se nevejde do zbytku souboru")
                 .arg(QString::fromUtf8(what))
                 .arg(value)
                 .arg(at));
        return 0;
    }
    return value;
}

void BinaryReader::fail(const QString& reason) {
    if (m_error.isEmpty()) {
        m_error = reason;
    }
}
