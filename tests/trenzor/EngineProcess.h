#pragma once

// The real engine program run as a script or the front end runs it, watched
// from outside through the X server: its mapped window found with xdotool and
// measured in the screen's own pixels. Shared by the engine tests that start
// trenzor.exe as a process of its own; several may run at once.

#include <QElapsedTimer>
#include <QProcess>
#include <QSize>
#include <QString>
#include <QStringList>

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

    // Starts ./trenzor.exe of the current folder with these arguments and
    // these variables ("NAME=value") added to the environment.
    explicit EngineProcess(const QStringList& arguments, const QStringList& environment = {}) {
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString& pair : environment) {
            variables.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        }
        m_process.setProcessEnvironment(variables);
        m_process.start(QStringLiteral("./trenzor.exe"), arguments);
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
        if (!running()) {
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

    // Waits for the end, at most limitMs, and kills an engine still running
    // then. Returns the exit status; -1 for a crash or a killed engine.
    int end(qint64 limitMs = 0) {
        QElapsedTimer waited;
        waited.start();
        while (running() && waited.elapsed() < limitMs) {
            poll();
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

private:
    QProcess m_process;
    QElapsedTimer m_clock;
    QByteArray m_out;
    QByteArray m_errors;
    QString m_window;
    QString m_windowSeen;
    QSize m_windowSize;
};
