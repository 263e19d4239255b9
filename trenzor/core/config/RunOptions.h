#pragma once

#include <QList>
#include <QString>

// What a run started with command-line options asks beyond its RunConfig:
// which rated tests its slots are, how long each camera path lasts, whether
// the picture is presented at all, whether OpenGL's debug messages are
// printed, and where the run's summary goes. Built
// once by CommandLine and read-only afterwards.
struct RunOptions {
    // The rated tests in the order of the slots.
    QList<int> tests;
    // The time in which each test flies its whole path; 0 keeps the length
    // its browser file gives.
    double seconds = 0;
    // Drawn into an off-screen buffer and never presented: no window.
    bool offscreen = false;
    // A debug context whose messages go to standard error.
    bool glDebug = false;
    // A complete run of all seven tests is kept in the run history.
    bool history = false;
    // The JSON summary's file, "-" for standard output, empty for none.
    QString summaryPath;

    static constexpr char kStandardOutput[] = "-";
    bool summaryToStandardOutput() const { return summaryPath == QLatin1String(kStandardOutput); }
};
