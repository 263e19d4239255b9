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
// only when that changes. It is fed by the window system's WindowActivate
// events (each burst of them judged once it is over) and, because the window system does not re-activate the
// window below a hiding modal window everywhere (and the offscreen platform never does), by the window
// display helpers explicitly. One instance lives for the whole program.
class ActivationTracker : public QObject {
public:
    static ActivationTracker& instance();

    // Starts tracking a top-level window; tracking ends with the window.
    void track(QWidget* window, std::function<void()> onActivate = {});

    // The window has become the active one of the program.
    void noteActivated(QWidget* window);

    // The last active tracked window, if it still exists and is visible.
    QWidget* lastActive() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ActivationTracker() = default;
    void settleSoon();

    QPointer<QWidget> m_last;
    QHash<QObject*, std::function<void()>> m_handlers;
    bool m_settlePending = false;
};
