#pragma once

#include "FreePort.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <csignal>

#ifndef VYKON3D_SERVER
#error "a test that starts the service defines VYKON3D_SERVER, the program's path"
#endif

// The results service as a process of its own, on a free loopback port;
// stopped with SIGKILL at the latest when the object goes.
class ServiceProcess {
public:
    // Empty when it listens, else its output.
    QString start(const QString& database, const QStringList& more = {}) {
        m_port = FreePort();
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(
            QStringLiteral(VYKON3D_SERVER),
            QStringList{"--listen", QStringLiteral("127.0.0.1:%1").arg(m_port), "--database", database} +
                more);
        while (m_process.waitForReadyRead(20000)) {
            m_output += m_process.readAll();
            if (m_output.contains("naslouchá")) {
                return {};
            }
        }
        return QString::fromUtf8(m_output + m_process.readAll());
    }
    // Ends it with SIGTERM; its exit status.
    int stop() {
        m_process.terminate();
        m_process.waitForFinished(10000);
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Ends it with SIGKILL, if it still runs: a process that has already
    // ended has the id 0, and killing 0 would kill the test's own group.
    void kill() {
        if (const qint64 pid = m_process.processId(); pid > 0) {
            ::kill(pid_t(pid), SIGKILL);
        }
        m_process.waitForFinished(10000);
    }
    int port() const { return m_port; }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_port); }

private:
    QProcess m_process;
    QByteArray m_output;
    int m_port = 0;
};
