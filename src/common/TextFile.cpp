#include "TextFile.h"

#include <QSaveFile>
#include <cstring>
#include <sys/stat.h>

namespace {
constexpr qsizetype kChunk = 256 * 1024;
}

QString FileError::message() const {
    const QString what = operation == Operation::Read ? QStringLiteral("Soubor „%1“ nelze přečíst.")
                                                      : QStringLiteral("Soubor „%1“ nelze zapsat.");
    return what.arg(fileName) + QStringLiteral("\n\n") + reason;
}

namespace TextFile {

bool NormalFileExists(const QString& name) {
    struct stat st {};
    const QByteArray path = QFile::encodeName(name);
    return ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QByteArray JoinLines(const QList<QByteArray>& lines) {
    QByteArray bytes;
    qsizetype size = 0;
    for (const QByteArray& line : lines) {
        size += line.size() + 2;
    }
    bytes.reserve(size);
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

std::optional<FileError> Replace(const QString& name, const QByteArray& bytes) {
    QSaveFile file(name);
    // Never fall back to writing in place: a failure must leave the old file whole.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) {
        return FileError{FileError::Operation::Write, name, file.errorString()};
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return FileError{FileError::Operation::Write, name, reason};
    }
    if (!file.commit()) {
        return FileError{FileError::Operation::Write, name, file.errorString()};
    }
    return std::nullopt;
}

std::optional<FileError> Append(const QString& name, const QByteArray& bytes) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return FileError{FileError::Operation::Write, name, file.errorString()};
    }
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        return FileError{FileError::Operation::Write, name, file.errorString()};
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return FileError{FileError::Operation::Write, name, file.errorString()};
    }
    return std::nullopt;
}

std::optional<QList<QByteArray>> ReadLines(const QString& name, FileError* error) {
    LineReader reader(name);
    QList<QByteArray> lines;
    while (!reader.atEnd()) {
        lines.append(reader.readLine().toByteArray());
    }
    if (reader.error()) {
        if (error) {
            *error = *reader.error();
        }
        return std::nullopt;
    }
    return lines;
}

} // namespace TextFile

LineReader::LineReader(const QString& name)
    : m_file(name) {
    if (!m_file.open(QIODevice::ReadOnly)) {
        fail();
        return;
    }
    m_buffer.resize(kChunk);
}

void LineReader::fail() {
    m_error = FileError{FileError::Operation::Read, m_file.fileName(), m_file.errorString()};
    m_eof = true;
    m_pos = m_len = 0;
}

bool LineReader::fill() {
    if (m_eof) {
        return false;
    }
    // Keep the unread tail at the front of the buffer.
    const qsizetype rest = m_len - m_pos;
    if (rest > 0 && m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, static_cast<std::size_t>(rest));
    }
    m_pos = 0;
    m_len = rest;
    if (m_len == m_buffer.size()) {
        m_buffer.resize(m_buffer.size() * 2);
    }
    const qint64 got = m_file.read(m_buffer.data() + m_len, m_buffer.size() - m_len);
    if (got < 0) {
        fail();
        return false;
    }
    if (got == 0) {
        m_eof = true;
        return false;
    }
    m_len += got;
    return true;
}

bool LineReader::atEnd() {
    if (m_pos < m_len) {
        return false;
    }
    return !fill();
}

QByteArrayView LineReader::readLine() {
    for (;;) {
        const char* start = m_buffer.constData() + m_pos;
        const qsizetype avail = m_len - m_pos;
        const void* lf = std::memchr(start, '\n', static_cast<std::size_t>(avail));
        const void* cr = std::memchr(start, '\r', static_cast<std::size_t>(avail));
        const char* end = nullptr;
        if (lf && cr) {
            end = static_cast<const char*>(std::min(lf, cr));
        } else {
            end = static_cast<const char*>(lf ? lf : cr);
        }
        // A CR at the very end of the buffer may be the first half of CR LF.
        const bool crAtBufferEnd = end && *end == '\r' && end + 1 == start + avail && !m_eof;
        if (end && !crAtBufferEnd) {
            qsizetype length = end - start;
            qsizetype skip = 1;
            if (*end == '\r' && end + 1 < start + avail && end[1] == '\n') {
                skip = 2;
            }
            m_pos += length + skip;
            return QByteArrayView(start, length);
        }
        if (!fill()) {
            if (m_error) {
                return {};
            }
            // The last line runs to the end of the file.
            const qsizetype length = m_len - m_pos;
            m_line = QByteArray(m_buffer.constData() + m_pos, length);
            m_pos = m_len;
            return m_line;
        }
    }
}
