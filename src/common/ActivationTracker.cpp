#include "ActivationTracker.h"

#include <QApplication>
#include <QEvent>

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
    // A window the window system already holds active will not be reported
    // again, so there is nothing to wait for.
    m_expected = QApplication::activeWindow() == window ? nullptr : window;
    activate(window);
}

void ActivationTracker::activate(QWidget* window) {
    if (window == m_last || !m_handlers.contains(window) || !window->isVisible()) {
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

bool ActivationTracker::eventFilter(QObject* watched, QEvent* event) {
    auto* window = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::WindowActivate:
        if (m_expected && window != m_expected) {
            break; // an activation from before the program's own
        }
        m_expected = nullptr;
        activate(window);
        break;
    case QEvent::Hide:
        // A hidden window is no longer the active one: the next window to
        // become active, even one that was active before, counts as a change.
        if (!window->isVisible()) {
            if (window == m_last) {
                m_last = nullptr;
            }
            if (window == m_expected) {
                m_expected = nullptr;
            }
        }
        break;
    default:
        break;
    }
    return false;
}
