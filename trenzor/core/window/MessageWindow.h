#pragma once

#include <QRasterWindow>
#include <QString>
#include <QTimer>

// The engine's window for a failure that leaves no OpenGL to draw with (no
// context, too old a version, a run refused before it could start): the
// message drawn with the window system's plain raster surface. A key or
// closing the window ends it; in an unattended run it also ends by itself
// after a few seconds. Created by main, living until finished() is handled.
class MessageWindow : public QRasterWindow {
    Q_OBJECT
public:
    MessageWindow(const QString& message, bool unattended);

    void start();
    const QString& message() const { return m_message; }

signals:
    void finished(int exitCode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void finish();

    QString m_message;
    bool m_unattended;
    QTimer m_timeout;
    bool m_finished = false;
};
