#pragma once

#include <QString>

// What a failure screen says around its message, and how long it stays in an
// unattended run: the same whether the engine draws it with OpenGL or the
// raster message window draws it without; and what a test's intro screen
// says. Only constants and pure functions.
class MessageText {
public:
    // How long an unattended run shows its error before the engine exits.
    static constexpr int kUnattendedMs = 3000;
    static const QString kTitle;
    // The line under a message: what ends it.
    static QString hint(bool unattended);
    // An intro screen's text: the scene's description, and in free flight
    // the keys that steer.
    static QString introBody(const QString& description, bool freeFlight);
    static const QString kIntroHint;
};
