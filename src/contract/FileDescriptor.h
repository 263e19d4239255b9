#pragma once

#include <QString>
#include <cerrno>
#include <unistd.h>
#include <utility>

struct RegularFile;

// Owns one open file descriptor of the system's file calls, which both
// programs use where Qt's file classes cannot say what they need (a
// non-blocking open, a checked close). Closes it when it goes, unless
// close() was called first; a moved-from owner holds nothing.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool valid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    // Gives the descriptor up to the caller, who closes it.
    int release() { return std::exchange(m_fd, -1); }
    // Closes now; the error number of a failed close, or 0.
    int close() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

    // Opens one of the programs' input files for reading. Only a regular
    // file is kept: a FIFO, a device, a socket or a directory (or a link to
    // one) is refused without blocking on it, since the open does not block
    // and what was opened is checked, not the name, which could change in
    // between. The file kept is then read blocking.
    static RegularFile openRegular(const QString& name);

private:
    int m_fd;
};

// What FileDescriptor::openRegular opened, or why it did not.
struct RegularFile {
    FileDescriptor fd;
    // The file's size when it was opened.
    qint64 size = 0;
    // 0 when open; otherwise the system's error number: EISDIR for a
    // directory, EINVAL for another file that is not regular.
    int error = 0;
    // True when the file was refused as a FIFO, device or socket.
    bool special = false;
};
