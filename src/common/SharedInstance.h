#pragma once

#include <QPointer>

// One shared instance per window class: created on first use by instance(),
// then shown and hidden. A window closed with its title-bar button is
// destroyed (it sets Qt::WA_DeleteOnClose), the pointer turns null, and the
// next instance() creates it afresh with its initial values. existing() asks
// without creating. A window class derives from SharedInstance<itself> and
// befriends it, keeping its constructor private.
template <typename Window>
class SharedInstance {
public:
    static Window* instance() {
        if (!s_window) {
            s_window = new Window;
        }
        return s_window;
    }
    static Window* existing() { return s_window; }

private:
    static inline QPointer<Window> s_window;
};
