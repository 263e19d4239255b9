#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A Wayland compositor of a test's own: a headless Weston with its own
// XDG_RUNTIME_DIR (a temporary folder) and its own socket name, so that
// tests never meet a desktop's compositor or each other's. The output is
// 1024x768 at scale 1 (2048x1536 device pixels at scale 2) and never
// blanks.
// Lives as long as the test needs it; stop() or the destructor ends the
// compositor and removes its folder.
class HeadlessWeston {
public:
    HeadlessWeston() = default;
    ~HeadlessWeston();
    HeadlessWeston(const HeadlessWeston&) = delete;
    HeadlessWeston& operator=(const HeadlessWeston&) = delete;

    // Starts the compositor and waits until clients can connect; returns
    // why it could not, or empty. A running one is stopped first.
    QString start(int scale = 1);
    // The socket's name within the runtime folder (WAYLAND_DISPLAY).
    QString socketName() const { return m_socket; }
    // base with what a child needs to show its windows on this compositor
    // through Qt's Wayland platform, and no way to reach an X server.
    QProcessEnvironment
    environment(QProcessEnvironment base = QProcessEnvironment::systemEnvironment()) const;
    void stop();

private:
    std::unique_ptr<QTemporaryDir> m_runtime;
    QProcess m_weston;
    QString m_socket;
};
