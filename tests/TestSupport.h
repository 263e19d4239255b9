#pragma once

// Helpers shared by the tests.

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace TestSupport {

// Destroys every window of the program, so the next test creates its shared
// windows afresh with their initial values.
inline void destroyAllWindows() {
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->parentWidget()) {
            windows.append(w);
        }
    }
    for (const QPointer<QWidget>& w : windows) {
        delete w.data();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A file's bytes; "<unreadable>" for a file that is missing or cannot be
// read, which no test expects as content.
inline QByteArray readAll(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Writes the file anew with exactly these bytes, with these permission bits
// when given; false when that fails.
[[nodiscard]] inline bool writeRaw(const QString& name, const QByteArray& bytes,
                                   std::optional<mode_t> mode = std::nullopt) {
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return false;
    }
    file.close();
    return !mode || ::chmod(QFile::encodeName(name).constData(), *mode) == 0;
}

// Limits the size of any file this process writes, so that writes fail the
// way a full disk makes them fail, even for root (whom permissions do not
// stop). SIGXFSZ is ignored meanwhile, so the write reports the error.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int);
};

} // namespace TestSupport
