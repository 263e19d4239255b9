#include "HeadlessWeston.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <atomic>

namespace {

constexpr int kStartMs = 15000;

// Unique among the compositors this process starts.
QString nextSocketName() {
    static std::atomic<int> counter{0};
    return QStringLiteral("trenzor-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++counter);
}

} // namespace

HeadlessWeston::~HeadlessWeston() {
    stop();
}

QString HeadlessWeston::start(int scale) {
    stop();
    m_runtime = std::make_unique<QTemporaryDir>();
    if (!m_runtime->isValid()) {
        return QStringLiteral("no runtime folder: %1").arg(m_runtime->errorString());
    }
    m_socket = nextSocketName();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    // Weston would otherwise run nested in whatever display the test has.
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("DISPLAY"));
    m_weston.setProcessEnvironment(environment);
    m_weston.setProcessChannelMode(QProcess::MergedChannels);
    // The pixman renderer composes what the clients show, as a desktop
    // would; no configuration of the user's is read.
    m_weston.start(QStringLiteral("weston"),
                   {QStringLiteral("--backend=headless-backend.so"), QStringLiteral("--socket=") + m_socket,
                    QStringLiteral("--idle-time=0"), QStringLiteral("--use-pixman"),
                    QStringLiteral("--width=1024"), QStringLiteral("--height=768"),
                    QStringLiteral("--scale=%1").arg(scale), QStringLiteral("--no-config")});
    if (!m_weston.waitForStarted(kStartMs)) {
        return QStringLiteral("weston did not start: %1").arg(m_weston.errorString());
    }
    const QString socketPath = m_runtime->filePath(m_socket);
    QElapsedTimer clock;
    clock.start();
    // The socket exists once the compositor listens; its shell client comes
    // up on its own, and a client that connects before waits for it.
    while (!QFileInfo::exists(socketPath)) {
        if (m_weston.state() != QProcess::Running || clock.elapsed() > kStartMs) {
            const QString output = QString::fromLocal8Bit(m_weston.readAll());
            stop();
            return QStringLiteral("weston gave no socket %1: %2").arg(socketPath, output);
        }
        m_weston.waitForFinished(20);
    }
    return {};
}

QProcessEnvironment HeadlessWeston::environment(QProcessEnvironment base) const {
    if (m_runtime) {
        base.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime->path());
    }
    base.insert(QStringLiteral("WAYLAND_DISPLAY"), m_socket);
    base.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    base.remove(QStringLiteral("DISPLAY"));
    return base;
}

void HeadlessWeston::stop() {
    if (m_weston.state() != QProcess::NotRunning) {
        m_weston.terminate();
        if (!m_weston.waitForFinished(5000)) {
            m_weston.kill();
            m_weston.waitForFinished(5000);
        }
    }
    m_runtime.reset();
    m_socket.clear();
}
