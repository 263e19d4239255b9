#include "MessageWindow.h"

#include "MessageText.h"
#include "TextPanel.h"
#include "WindowPixels.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

MessageWindow::MessageWindow(const QString& message, bool unattended)
    : m_message(message)
    , m_unattended(unattended) {
    setTitle(QStringLiteral("Trenzor"));
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(MessageText::kUnattendedMs);
    connect(&m_timeout, &QTimer::timeout, this, &MessageWindow::finish);
}

void MessageWindow::start() {
    // 640x480 pixels at any scale factor, so that it fits where the engine's
    // own window of the standard size fits.
    resize(WindowPixels::logicalSize({640, 480}, devicePixelRatio()));
    show();
    if (m_unattended) {
        m_timeout.start();
    }
}

void MessageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRect(QPoint(0, 0), size()), QColor(10, 14, 30));
    TextPanel::paintPage(painter, size(), MessageText::kTitle, m_message, MessageText::hint(m_unattended));
}

void MessageWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    finish();
}

void MessageWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    finish();
}

void MessageWindow::finish() {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_timeout.stop();
    // Announced from the event loop, not from inside the event being handled.
    QTimer::singleShot(0, this, [this] {
        hide();
        emit finished(1);
    });
}
