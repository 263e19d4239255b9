#pragma once

#include <QString>

// What a failure screen says around its message, and how long it stays in an
// unattended run: the same whether the engine draws it with OpenGL or the
// raster message window draws it without. Only constants and a pure function.
class MessageText {
public:
    // How long an unattended run shows its error before the engine exits.
    static constexpr int kUnattendedMs = 3000;
    static const QString kTitle;
    // The line under a message: what ends it.
    static QString hint(bool unattended);
};
