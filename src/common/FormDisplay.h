#pragma once

class QWidget;

// Showing the program's windows. No window has an owner.
//
// Modal: the call returns when the window hides itself (or is destroyed);
// meanwhile the other windows take no input. The window that was active
// before is then made active again, which counts as its activation.
//
// Modeless: the call returns at once; a window that is already visible is
// only brought to the front.
class FormDisplay {
public:
    static void showModal(QWidget* window);
    static void showModeless(QWidget* window);
};
