#pragma once

// Helpers of the results benchmarks: the files they generate and the memory
// they measure.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace BenchmarkSupport {

// The header lines of a results log as the engine writes them.
inline const QByteArray kLogHeader = "3D Trenzor\r\nVýsledky\r\n512 MB\r\nLinux 6.1\r\nOpenGL 4.6\r\n"
                                     "Intel Core i7 3,4 GHz\r\nRadeon 7800\r\n";

// A file a benchmark generates, written anew through a buffer of a few
// megabytes, so that files of gigabytes are written at the disk's speed.
// Whatever is left in the buffer is written when it goes. A file that cannot
// be written ends the program: no figure measured on it would mean anything.
class GeneratedFile {
public:
    explicit GeneratedFile(const QString& name)
        : m_file(name) {
        if (!m_file.open(QIODevice::WriteOnly)) {
            fail();
        }
    }
    GeneratedFile(const GeneratedFile&) = delete;
    GeneratedFile& operator=(const GeneratedFile&) = delete;
    ~GeneratedFile() { flush(); }

    void append(const QByteArray& bytes) {
        m_buffer += bytes;
        m_size += bytes.size();
        if (m_buffer.size() >= kBufferSize) {
            flush();
        }
    }

    // Appends the unit again and again until the file holds `bytes` bytes,
    // the last copy cut short.
    void repeat(const QByteArray& unit, qint64 bytes) {
        while (m_size + unit.size() <= bytes) {
            append(unit);
        }
        append(unit.left(bytes - m_size));
    }

    // The bytes appended so far.
    qint64 size() const { return m_size; }

private:
    static constexpr qsizetype kBufferSize = 4 * 1024 * 1024;

    void flush() {
        if (m_file.write(m_buffer) != m_buffer.size()) {
            fail();
        }
        m_buffer.clear();
    }
    [[noreturn]] void fail() {
        std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(m_file.fileName()),
                     qPrintable(m_file.errorString()));
        std::exit(1);
    }

    QFile m_file;
    QByteArray m_buffer;
    qint64 m_size = 0;
};

// The process's peak resident memory in kB, from the kernel.
inline long PeakMemoryKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

} // namespace BenchmarkSupport
