#pragma once

#include "RunConditions.h"

#include <QString>

// Which runs are ranked together: those of the same engine version without
// its patch level (a bug fix leaves the scores comparable, a new minor
// version may not), the same scene files (their hash, as the engine's
// summary gives it), the same picture size, colour and depth bits and the
// same path (safe mode or shaders). The key is a short hash of these, shown
// with its readable text, where the scenes' hash is shortened. A value
// object.
struct ComparisonKey {
    static constexpr int kScenesShown = 12;

    QString id;
    QString description;

    // program: line 1 of the log ("Trenzor 1.0.3"); scenes: the scene
    // files' hash, empty when no summary named it.
    static ComparisonKey of(const QString& program, const RunConditions& conditions, const QString& scenes);
    // "1.0" of "Trenzor 1.0.3"; the whole text after the name when it has no
    // patch level.
    static QString engineVersion(const QString& program);
};
