#pragma once

#include "contract/FileError.h"

#include <QString>
#include <optional>
#include <sys/types.h>
#include <vector>

class FolderLock;

// The test engine run that "Spustit" started last, as far as the front end
// can know it: the engine is the front end's child, so the front end learns
// when it has ended and with what exit status; and the identity of the
// results log from just before the start (device, inode, size, modification
// and change times) tells whether the engine replaced the log. A log that is
// still the one from before the start is no result of this run. Owned by the
// main window for the whole program; the engine runs on when the front end
// ends.
class EngineRun {
public:
    enum class Verdict {
        // This front end started no engine: the log is whatever is there.
        NoRun,
        // The engine still runs and the log is the one from before.
        Running,
        // The log has changed since the start (a new one, or none): what is
        // there now is this run's.
        Replaced,
        // The engine has ended and left the log from before the start in
        // place: the run failed, and the log is an earlier run's.
        Failed,
    };

    EngineRun() = default;
    EngineRun(const EngineRun&) = delete;
    EngineRun& operator=(const EngineRun&) = delete;

    // Starts the engine program with the argument in the current directory,
    // noting the results log as it is first. The folder lock is handed down
    // to the engine, unless an engine this front end started still runs:
    // then the new one finds the folder held and refuses to run. The error
    // when the program cannot be started; the earlier run's record stays.
    std::optional<FileError> start(const QString& program, const QString& argument, const FolderLock* lock);

    // Where the last run stands.
    Verdict verdict();

    // How the ended engine ended, for a message: "skončil se stavem 1",
    // "byl ukončen signálem 9"; empty while it runs or when unknown.
    QString endText() const;

private:
    // The file's identity; none when there is no such file.
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        qint64 modified = 0;
        qint64 changed = 0;
        friend bool operator==(const Identity&, const Identity&) = default;
    };
    static std::optional<Identity> identityOf(const QString& name);

    // Collects the ended engines, so none stays a zombie.
    void reap();

    bool m_started = false;
    pid_t m_pid = 0;
    bool m_ended = false;
    // The status waitpid() gave; none when someone else collected it.
    std::optional<int> m_status;
    std::optional<Identity> m_logBefore;
    // Engines started earlier that still ran when the next one started.
    std::vector<pid_t> m_earlier;
};
