#pragma once

// Translates the Windows virtual-key codes of the configuration file into the
// keys Qt reports on Linux. Stateless.
class KeyMap {
public:
    // True when a key event with this Qt key (and keypad flag) is the key
    // that the virtual-key code names.
    static bool matches(int virtualKey, int qtKey, bool keypad);
};
