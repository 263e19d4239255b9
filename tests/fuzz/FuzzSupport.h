#pragma once

// What the fuzz targets share: a private folder for the files they make the
// readers read, the input written there as a file, the line rule every
// reader of the program's text files follows, and a property check that
// aborts, so that libFuzzer keeps the input that broke it.
#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace Fuzz {

[[noreturn]] inline void fail(const char* property, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, property);
    std::abort();
}

#define FUZZ_CHECK(property) ((property) ? void(0) : Fuzz::fail(#property, __FILE__, __LINE__))

// A folder of this run's own (under TMPDIR), removed when the target ends.
inline QString privateFolder() {
    static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/vykon-fuzz-XXXXXX"));
    FUZZ_CHECK(folder.isValid());
    return folder.path();
}

// Makes the current directory the private folder, once: the readers that
// know only their file's bare name then read the input there.
inline void enterPrivateFolder() {
    static const bool entered = QDir::setCurrent(privateFolder());
    FUZZ_CHECK(entered);
}

// Writes the input whole as the named file, replacing what was there.
inline void writeInput(const QString& name, const uint8_t* data, size_t size) {
    QFile file(name);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
               static_cast<qint64>(size));
    FUZZ_CHECK(file.flush());
}

// The lines of a file as the readers must see them: CR LF, a lone LF and a
// lone CR each end a line; a last line without a line end runs to the end of
// the file, and an empty file has no line. Written plainly, byte by byte, to
// judge the streaming reader against.
inline QList<QByteArray> referenceLines(QByteArrayView bytes) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines.append(bytes.sliced(start, i - start).toByteArray());
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        lines.append(bytes.sliced(start).toByteArray());
    }
    return lines;
}

// The index of the first line longer than maxLength, or the number of
// lines when there is none.
inline qsizetype firstLineLongerThan(const QList<QByteArray>& lines, qsizetype maxLength) {
    qsizetype index = 0;
    while (index < lines.size() && lines.at(index).size() <= maxLength) {
        ++index;
    }
    return index;
}

} // namespace Fuzz
