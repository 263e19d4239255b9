#include "FormDisplay.h"

#include "ActivationTracker.h"

#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>

namespace {

// Ends a modal loop when its window hides or goes away.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* window, QEventLoop* loop)
        : m_loop(loop) {
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, loop, &QEventLoop::quit);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && !static_cast<QWidget*>(watched)->isVisible()) {
            m_loop->quit();
        }
        return false;
    }

private:
    QEventLoop* m_loop;
};

void bringUp(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void FormDisplay::showModal(QWidget* window) {
    ActivationTracker& tracker = ActivationTracker::instance();
    const QPointer<QWidget> below = tracker.lastActive();
    QPointer<QWidget> guard = window;

    window->setWindowModality(Qt::ApplicationModal);
    bringUp(window);
    tracker.noteActivated(window);

    // The activation handler may already have hidden or closed the window.
    if (guard && guard->isVisible()) {
        QEventLoop loop;
        HideWatcher watcher(window, &loop);
        loop.exec(QEventLoop::DialogExec);
    }
    if (guard) {
        guard->setWindowModality(Qt::NonModal);
    }
    if (below && below->isVisible()) {
        below->activateWindow();
        tracker.noteActivated(below);
    }
}

void FormDisplay::showModeless(QWidget* window) {
    bringUp(window);
    // Brought to the front from another window of the program, it becomes the
    // active one; the tracker ignores a window that already was.
    ActivationTracker::instance().noteActivated(window);
}
