#include "MessageWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>

const QString MessageWindow::kTitle = QStringLiteral("Test nelze spustit");

QString MessageWindow::hint(bool unattended) {
    return unattended ? QStringLiteral("Program se za několik sekund ukončí.")
                      : QStringLiteral("Stiskněte libovolnou klávesu pro ukončení.");
}

MessageWindow::MessageWindow(const QString& message, bool unattended)
    : m_message(message)
    , m_unattended(unattended) {
    setTitle(QStringLiteral("Trenzor"));
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kUnattendedMs);
    connect(&m_timeout, &QTimer::timeout, this, &MessageWindow::finish);
}

void MessageWindow::start() {
    resize(640, 480);
    show();
    if (m_unattended) {
        m_timeout.start();
    }
}

void MessageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect whole(QPoint(0, 0), size());
    painter.fillRect(whole, QColor(10, 14, 30));
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int margin = std::max(4, width() / 20);
    QRect area = whole.adjusted(margin, margin / 2, -margin, -margin / 2);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(std::max(12, height() / 14));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(255, 210, 90));
    QRect used;
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, kTitle, &used);
    area.setTop(used.bottom() + margin / 2);
    font.setPixelSize(std::max(10, height() / 26));
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_message);
    painter.setPen(QColor(150, 200, 255));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, hint(m_unattended));
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
