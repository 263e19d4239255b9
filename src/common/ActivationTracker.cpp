#include "ActivationTracker.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

ActivationTracker& ActivationTracker::instance() {
    static ActivationTracker tracker;
    return tracker;
}

void ActivationTracker::track(QWidget* window, std::function<void()> onActivate) {
    m_handlers.insert(window, std::move(onActivate));
    window->installEventFilter(this);
    connect(window, &QObject::destroyed, this, [this](QObject* gone) { m_handlers.remove(gone); });
}

void ActivationTracker::noteActivated(QWidget* window) {
    if (window == m_last || !m_handlers.contains(window)) {
        return;
    }
    m_last = window;
    // Copy: the handler may close the window and so remove itself.
    const std::function<void()> handler = m_handlers.value(window);
    if (handler) {
        handler();
    }
}

QWidget* ActivationTracker::lastActive() const {
    return m_last && m_last->isVisible() ? m_last.data() : nullptr;
}

void ActivationTracker::settleSoon() {
    // Window systems deliver activations late and in bursts (a window shown a
    // moment ago may report its activation after the next one was shown), so
    // each burst is judged once, by the window that is active when it is over.
    if (m_settlePending) {
        return;
    }
    m_settlePending = true;
    QTimer::singleShot(0, this, [this] {
        m_settlePending = false;
        QWidget* active = QApplication::activeWindow();
        if (active && active->isVisible()) {
            noteActivated(active);
        }
    });
}

bool ActivationTracker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        settleSoon();
        break;
    case QEvent::Hide:
        // A hidden window is no longer the active one: the next window to
        // become active, even one that was active before, counts as a change.
        if (watched == m_last && !static_cast<QWidget*>(watched)->isVisible()) {
            m_last = nullptr;
        }
        break;
    default:
        break;
    }
    return false;
}
