#include "KeyMap.h"

#include <Qt>

namespace {

struct Entry {
    int virtualKey;
    int qtKey;
    // Keypad keys must come from the keypad; the others from anywhere.
    bool keypadOnly;
};

// Keys whose codes do not follow from a range below. Keypad 0 to 9 arrive as
// digits with NumLock on and as the navigation keys with it off.
constexpr Entry kTable[] = {
    {8, Qt::Key_Backspace, false},
    {9, Qt::Key_Tab, false},
    {13, Qt::Key_Return, false},
    {13, Qt::Key_Enter, false},
    {16, Qt::Key_Shift, false},
    {17, Qt::Key_Control, false},
    {18, Qt::Key_Alt, false},
    {32, Qt::Key_Space, false},
    {33, Qt::Key_PageUp, false},
    {34, Qt::Key_PageDown, false},
    {35, Qt::Key_End, false},
    {36, Qt::Key_Home, false},
    {37, Qt::Key_Left, false},
    {38, Qt::Key_Up, false},
    {39, Qt::Key_Right, false},
    {40, Qt::Key_Down, false},
    {45, Qt::Key_Insert, false},
    {46, Qt::Key_Delete, false},
    {96, Qt::Key_0, true},
    {96, Qt::Key_Insert, true},
    {97, Qt::Key_1, true},
    {97, Qt::Key_End, true},
    {98, Qt::Key_2, true},
    {98, Qt::Key_Down, true},
    {99, Qt::Key_3, true},
    {99, Qt::Key_PageDown, true},
    {100, Qt::Key_4, true},
    {100, Qt::Key_Left, true},
    {101, Qt::Key_5, true},
    {101, Qt::Key_Clear, true},
    {102, Qt::Key_6, true},
    {102, Qt::Key_Right, true},
    {103, Qt::Key_7, true},
    {103, Qt::Key_Home, true},
    {104, Qt::Key_8, true},
    {104, Qt::Key_Up, true},
    {105, Qt::Key_9, true},
    {105, Qt::Key_PageUp, true},
    {106, Qt::Key_Asterisk, true},
    {107, Qt::Key_Plus, true},
    {109, Qt::Key_Minus, true},
    {110, Qt::Key_Period, true},
    {110, Qt::Key_Delete, true},
    {111, Qt::Key_Slash, true},
    {186, Qt::Key_Semicolon, false},
    {187, Qt::Key_Equal, false},
    {188, Qt::Key_Comma, false},
    {189, Qt::Key_Minus, false},
    {190, Qt::Key_Period, false},
    {191, Qt::Key_Slash, false},
    {192, Qt::Key_QuoteLeft, false},
    {219, Qt::Key_BracketLeft, false},
    {220, Qt::Key_Backslash, false},
    {221, Qt::Key_BracketRight, false},
    {222, Qt::Key_Apostrophe, false},
};

} // namespace

bool KeyMap::matches(int virtualKey, int qtKey, bool keypad) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9')) {
        return !keypad && qtKey == virtualKey;
    }
    if (virtualKey >= 112 && virtualKey <= 135) {
        return qtKey == Qt::Key_F1 + (virtualKey - 112);
    }
    for (const Entry& entry : kTable) {
        if (entry.virtualKey == virtualKey && entry.qtKey == qtKey && (keypad || !entry.keypadOnly)) {
            // A keypad key must not also count as its main-block twin.
            if (keypad && !entry.keypadOnly && virtualKey != 13 && virtualKey != 16 && virtualKey != 17 &&
                virtualKey != 18) {
                return false;
            }
            return true;
        }
    }
    return false;
}
