#pragma once

#include <QList>
#include <QString>

// What a run started with command-line options asks beyond its RunConfig:
// which rated tests its slots are, how long each camera path lasts, whether
// the picture is presented at all, whether OpenGL's debug messages are
// printed, how often the tests run, where the run's summary goes and whether
// the run is uploaded. Built
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
    // The EGL device drawn on (--gpu), -1 for the usual one.
    int gpu = -1;
    // Each test's pictures compared with the shipped references instead of
    // a measured run.
    bool validate = false;
    // Runs through the tests: exactly repeat of them when it is not 0;
    // with repeatUntilPercent, until the coefficient of variation of the
    // runs' scores is below it, from kMinRuns to kMaxRunsUntil runs.
    int repeat = 0;
    double repeatUntilPercent = 0;
    // A complete run of all seven tests is kept in the run history.
    bool history = false;
    // The JSON summary's file, "-" for standard output, empty for none.
    QString summaryPath;
    // A complete run is validated and uploaded to the results service at
    // uploadAddress, or at the one sluzba.url names when it is empty.
    bool upload = false;
    QString uploadAddress;

    static constexpr char kStandardOutput[] = "-";
    static constexpr int kMinRuns = 2;
    static constexpr int kMaxRuns = 20;
    static constexpr int kMaxRunsUntil = 10;
    static constexpr double kMinUntilPercent = 0.01;
    static constexpr double kMaxUntilPercent = 100;
    bool repeated() const { return repeat > 0 || repeatUntilPercent > 0; }
    bool summaryToStandardOutput() const { return summaryPath == QLatin1String(kStandardOutput); }
};
