#pragma once

#include <QString>
#include <optional>

// What line 5 of the results log says about how a run was drawn, as the
// engine writes it: "okno 640x480, barvy 24 b, Z 24 b, synchr. vypnuta",
// "640x480 na obrazovce 1920x1080, …", "640x480 mimo obrazovku (EGL 0
// software), …", with ", bezpečný mód" after it in a safe-mode run and the
// tests' note (", testy 4,2") last in a run of chosen tests. A value object.
struct RunConditions {
    int width = 0;
    int height = 0;
    int colourBits = 0;
    int depthBits = 0;
    // The vertical sync as the engine found it.
    QString vsync;
    bool offscreen = false;
    bool safe = false;

    // Off as asked, or not shown at all (off screen nothing waits for the
    // display).
    bool vsyncOff() const;

    // Empty when the line is not in the engine's form.
    static std::optional<RunConditions> parse(const QString& line);
};
