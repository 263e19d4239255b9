#pragma once

#include "RunOptions.h"
#include "contract/EngineContract.h"
#include "contract/RunConfig.h"

#include <QString>
#include <QStringList>

// The engine's command line. "0" or no argument runs the configuration file
// as the front end writes it; long options describe an unattended run of
// their own for scripts and test farms, built with the rated run's settings.
// Parsed before anything touches the display or the disk, so help, the
// version and a refused command line need neither. Stateless.
class CommandLine {
public:
    enum class Action { ConfigFile, Options, Help, Version, ListGpus, Refuse };
    // The exit status of a command line that cannot be used.
    static constexpr int kRefusedExit = 2;
    static constexpr double kMinSeconds = 0.1;
    // The longest path any reader of a log believes a test can fly.
    static constexpr double kMaxSeconds = EngineContract::kLongestPathSeconds;

    struct Result {
        Action action = Action::ConfigFile;
        // For Action::Options: the run.
        RunConfig config;
        RunOptions options;
        // The help or version text, or why the command line is refused.
        QString text;
    };

    // arguments as main() gets them, the program's name first.
    static Result parse(const QStringList& arguments);
    // The picture validation of the tests this run of options draws, on its
    // device, as --validate draws it: what an uploaded run is sent with.
    static Result validationOf(const Result& run);
};
