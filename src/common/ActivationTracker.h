#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

// Decides when a window of the program counts as activated. A window's
// activation handler runs whenever it becomes the program's active window:
// when it is shown, when a window of the program that stood over it hides or
// closes, and when the user switches to it from another window of the
// program. It does not run when one of the program's message boxes closes
// (boxes are not tracked), nor when the user comes back from another program
// to the same window.
//
// The tracker remembers the last active tracked window and calls a handler
// only when that changes. The window display helpers tell it explicitly which
// window they made active, since the window system does not re-activate the
// window below a hiding modal window everywhere (the offscreen platform never
// does). The window system's own WindowActivate events tell it when the user
// switches windows; they arrive late, so until the window system has reported
// the window last made active explicitly, reports of other windows are stale
// and ignored. One instance lives for the whole program.
class ActivationTracker : public QObject {
public:
    static ActivationTracker& instance();

    // Starts tracking a top-level window; tracking ends with the window.
    void track(QWidget* window, std::function<void()> onActivate = {});

    // The program has just made this window the active one.
    void noteActivated(QWidget* window);

    // The last active tracked window, if it still exists and is visible.
    QWidget* lastActive() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ActivationTracker() = default;
    void activate(QWidget* window);

    QPointer<QWidget> m_last;
    // Made active by the program, not yet reported by the window system.
    QPointer<QWidget> m_expected;
    QHash<QObject*, std::function<void()>> m_handlers;
};
