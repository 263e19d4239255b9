#include "contract/LineReader.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

constexpr qsizetype kChunk = 256 * 1024;

} // namespace

LineReader::LineReader(const QString& name)
    : m_name(name) {
    RegularFile file = FileDescriptor::openRegular(name);
    if (file.error != 0) {
        fail(file.error);
        return;
    }
    m_fd = std::move(file.fd);
    m_fileSize = file.size;
    m_buffer.resize(kChunk);
}

LineReader::LineReader(InMemory memory)
    : m_buffer(std::move(memory.bytes))
    , m_len(m_buffer.size())
    , m_eof(true)
    , m_fileSize(m_buffer.size()) {}

void LineReader::fail(int error) {
    m_error = FileError::fromSystem(FileError::Operation::Read, m_name, error);
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
    ssize_t got = 0;
    do {
        got = ::read(m_fd.get(), m_buffer.data() + m_len, static_cast<std::size_t>(m_buffer.size() - m_len));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        fail(errno);
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

QString LineReader::lineTooLongReason() const {
    return QStringLiteral("Řádek %1 je delší než %2 bajtů.").arg(m_lineNumber).arg(kMaxLineLength);
}

namespace {

// The first CR or LF in the bytes, or null. The first LF bounds the search
// for a CR, so a file of LF lines is not searched to the buffer's end for
// every line.
const char* lineEnd(const char* start, qsizetype length) {
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(length)));
    const qsizetype crSpan = lf ? lf - start : length;
    const auto* cr = static_cast<const char*>(std::memchr(start, '\r', static_cast<std::size_t>(crSpan)));
    return cr ? cr : lf;
}

} // namespace

QByteArrayView LineReader::readLine() {
    m_tooLong = false;
    ++m_lineNumber;
    for (;;) {
        const char* start = m_buffer.constData() + m_pos;
        const qsizetype avail = m_len - m_pos;
        const char* end = lineEnd(start, avail);
        // A CR at the very end of the buffer may be the first half of CR LF.
        const bool crAtBufferEnd = end && *end == '\r' && end + 1 == start + avail && !m_eof;
        // The buffer never has to hold more than one line of the limit.
        if ((end ? end - start : avail) > kMaxLineLength) {
            return skipLongLine();
        }
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
            if (end) {
                // The CR held back at the buffer's end was the file's last byte.
                continue;
            }
            // The last line runs to the end of the file.
            const qsizetype length = m_len - m_pos;
            m_line = QByteArray(m_buffer.constData() + m_pos, length);
            m_pos = m_len;
            return m_line;
        }
    }
}

QByteArrayView LineReader::skipLongLine() {
    m_tooLong = true;
    for (;;) {
        const char* start = m_buffer.constData() + m_pos;
        const char* end = lineEnd(start, m_len - m_pos);
        if (end) {
            m_pos += end - start + 1;
            if (*end == '\r') {
                // The LF of a CR LF may come with the next read.
                if (m_pos == m_len) {
                    fill();
                }
                if (m_pos < m_len && m_buffer.at(m_pos) == '\n') {
                    ++m_pos;
                }
            }
            return {};
        }
        m_pos = m_len;
        if (!fill()) {
            return {};
        }
    }
}
