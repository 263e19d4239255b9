#pragma once

#include "contract/FileDescriptor.h"
#include "contract/FileError.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Streams the lines of one of the program's text files through a fixed
// buffer, so memory does not grow with the file. CR LF, a lone LF (what Linux
// tools write) and a lone CR each end a line, and a last line without a line
// end runs to the end of the file. No file of the program has lines anywhere near
// kMaxLineLength bytes: a longer line is skipped without being kept, and
// lineTooLong() tells the caller, who judges the file. Only a normal file is read: a FIFO, a device or a
// directory in the file's place is an error, found without blocking on it. Lives for one read; the file is
// closed on destruction.
class LineReader {
public:
    static constexpr qsizetype kMaxLineLength = 64 * 1024;

    explicit LineReader(const QString& name);
    // Bytes already read, whose lines are read by the same rules.
    struct InMemory {
        QByteArray bytes;
    };
    explicit LineReader(InMemory memory);
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Empty on success; otherwise why the file could not be opened or read.
    const std::optional<FileError>& error() const { return m_error; }

    // True when no byte is left to read (or reading failed).
    bool atEnd();

    // The next line without its line end; empty at the end of the file. The
    // returned view stays valid until the next call.
    QByteArrayView readLine();

    // True when the line readLine() last returned was longer than
    // kMaxLineLength: it was returned empty, its bytes skipped.
    bool lineTooLong() const { return m_tooLong; }

    // The 1-based number of the line readLine() last returned.
    qint64 lineNumber() const { return m_lineNumber; }

    // The file's size when it was opened; 0 when it could not be opened.
    qint64 fileSize() const { return m_fileSize; }

    // The reason a reader gives for a file it refuses over a line too long.
    QString lineTooLongReason() const;

private:
    bool fill();
    void fail(int error);
    QByteArrayView skipLongLine();

    QString m_name;
    FileDescriptor m_fd;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_len = 0;
    bool m_eof = false;
    bool m_tooLong = false;
    qint64 m_lineNumber = 0;
    qint64 m_fileSize = 0;
    QByteArray m_line;
    std::optional<FileError> m_error;
};
