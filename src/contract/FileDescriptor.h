#pragma once

#include <cerrno>
#include <unistd.h>

// Owns one open file descriptor of the system's file calls, which both
// programs use where Qt's file classes cannot say what they need (a
// non-blocking open, a checked close). Closes it when it goes, unless
// close() was called first.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    bool valid() const { return m_fd >= 0; }
    int get() const { return m_fd; }
    // Closes now; the error number of a failed close, or 0.
    int close() {
        const int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};
