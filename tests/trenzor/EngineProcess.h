#pragma once

// The real engine program run as a script or the front end runs it, watched
// from outside through the X server: its mapped window found with xdotool and
// measured in the screen's own pixels. Shared by the engine tests that start
// trenzor.exe as a process of its own; several may run at once.

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>

class EngineProcess {
public:
    static QString xdotool(const QStringList& arguments) {
        QProcess tool;
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        return QString::fromLatin1(tool.readAllStandardOutput()).trimmed();
    }

    // Presses the key in the window, given the focus first as a user's click
    // would.
    static void pressKey(const QString& window, const QString& key) {
        xdotool({"windowfocus", "--sync", window});
        xdotool({"key", key});
    }

    // A window's size in the X server's pixels, which no scale factor of
    // Qt's changes.
    static QSize windowPixels(const QString& window) {
        QSize size;
        for (const QString& line : xdotool({"getwindowgeometry", "--shell", window}).split(u'\n')) {
            if (line.startsWith(QLatin1String("WIDTH="))) {
                size.setWidth(line.mid(6).toInt());
            } else if (line.startsWith(QLatin1String("HEIGHT="))) {
                size.setHeight(line.mid(7).toInt());
            }
        }
        return size;
    }

    // The test's own environment changed: "NAME=value" sets a variable,
    // "-NAME" removes it.
    static QProcessEnvironment environment(const QStringList& changes) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& change : changes) {
            if (change.startsWith(u'-')) {
                variables.remove(change.mid(1));
            } else {
                variables.insert(change.section(u'=', 0, 0), change.section(u'=', 1));
            }
        }
        return variables;
    }

    // Starts ./trenzor.exe of the current folder with these arguments and
    // the environment changed as environment() does.
    explicit EngineProcess(const QStringList& arguments, const QStringList& changes = {})
        : EngineProcess(arguments, environment(changes)) {}
    // Starts program in folder (the current one when empty).
    EngineProcess(const QStringList& arguments, const QProcessEnvironment& variables,
                  const QString& program = QStringLiteral("./trenzor.exe"), const QString& folder = {}) {
        m_process.setProcessEnvironment(variables);
        m_process.setWorkingDirectory(folder);
        m_process.start(folder.isEmpty() ? program : QDir(folder).absoluteFilePath(program), arguments);
        m_process.waitForStarted(10000);
        m_clock.start();
    }
    ~EngineProcess() { end(); }
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // As of the latest poll() or end().
    bool running() const { return m_process.state() == QProcess::Running; }
    qint64 elapsedMs() const { return m_clock.elapsed(); }

    // Takes in what the engine wrote and looks for its mapped window; returns
    // it, or empty while none is mapped.
    QString poll() {
        // QProcess learns of output and of the end only while it waits or
        // the event loop runs; a short wait brings both up to date.
        m_process.waitForFinished(1);
        m_out += m_process.readAllStandardOutput();
        m_errors += m_process.readAllStandardError();
        if (m_messageMs < 0 && m_errors.contains("trenzor: ")) {
            m_messageMs = elapsedMs();
        }
        if (!running()) {
            m_endMs = m_endMs < 0 ? elapsedMs() : m_endMs;
            return {};
        }
        m_window = xdotool({"search", "--onlyvisible", "--pid", QString::number(m_process.processId())})
                       .section(u'\n', 0, 0);
        if (!m_window.isEmpty()) {
            m_windowSeen = m_window;
            if (const QSize size = windowPixels(m_window); size.isValid()) {
                m_windowSize = size;
            }
        }
        return m_window;
    }

    // Waits for the end, at most limitMs, handing each poll()'s window to
    // watch, and kills an engine still running then. Returns the exit
    // status; -1 for a crash or a killed engine.
    int end(qint64 limitMs = 0, const std::function<void(const QString& window)>& watch = {}) {
        QElapsedTimer waited;
        waited.start();
        while (running() && waited.elapsed() < limitMs) {
            const QString window = poll();
            if (watch) {
                watch(window);
            }
            m_process.waitForFinished(100);
        }
        const bool killed = running();
        if (killed) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
        poll();
        return !killed && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }

    const QByteArray& out() const { return m_out; }
    const QByteArray& errors() const { return m_errors; }
    // The engine's window the last time one was seen mapped, and its size.
    const QString& windowSeen() const { return m_windowSeen; }
    QSize windowSize() const { return m_windowSize; }
    // From the first "trenzor: " line on standard error to the end as
    // poll() saw them; -1 without such a line.
    qint64 msAfterMessage() const { return m_messageMs < 0 ? -1 : m_endMs - m_messageMs; }

private:
    QProcess m_process;
    QElapsedTimer m_clock;
    QByteArray m_out;
    QByteArray m_errors;
    QString m_window;
    QString m_windowSeen;
    QSize m_windowSize;
    qint64 m_messageMs = -1;
    qint64 m_endMs = -1;
};
