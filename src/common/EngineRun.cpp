#include "EngineRun.h"

#include "common/DesktopLauncher.h"
#include "contract/EngineContract.h"
#include "contract/FolderLock.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

std::optional<EngineRun::Identity> EngineRun::identityOf(const QString& name) {
    struct stat st {};
    if (::stat(QFile::encodeName(name).constData(), &st) != 0) {
        return std::nullopt;
    }
    const auto nanoseconds = [](const timespec& time) {
        return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
    };
    return Identity{st.st_dev, st.st_ino, st.st_size, nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

void EngineRun::reap() {
    std::erase_if(m_earlier, [](pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) != 0; });
    if (!m_started || m_ended) {
        return;
    }
    int status = 0;
    const pid_t result = ::waitpid(m_pid, &status, WNOHANG);
    if (result == m_pid) {
        m_ended = true;
        m_status = status;
    } else if (result < 0 && errno != EINTR) {
        // Not ours to wait for any more: ended, how is not known.
        m_ended = true;
    }
}

std::optional<FileError> EngineRun::start(const QString& program, const QString& argument,
                                          const FolderLock* lock) {
    reap();
    const bool earlierRuns = m_started && !m_ended;
    const std::optional<Identity> before = identityOf(EngineContract::kResultsLogFileName);
    // The engine gets its own copy of the lock, which this front end closes
    // once the engine has it.
    const int handed = lock && !earlierRuns ? lock->handOver() : -1;
    FileResult<pid_t> child = DesktopLauncher::start(program, argument, handed);
    if (handed >= 0) {
        ::close(handed);
    }
    if (!child.ok()) {
        return child.error();
    }
    if (earlierRuns) {
        m_earlier.push_back(m_pid);
    }
    // A launch only noted (while the shell records) started nothing.
    m_started = *child > 0;
    m_pid = *child;
    m_ended = false;
    m_status.reset();
    m_logBefore = before;
    return std::nullopt;
}

EngineRun::Verdict EngineRun::verdict() {
    if (!m_started) {
        return Verdict::NoRun;
    }
    reap();
    if (identityOf(EngineContract::kResultsLogFileName) != m_logBefore) {
        return Verdict::Replaced;
    }
    if (!m_ended) {
        return Verdict::Running;
    }
    // Nothing was there before and nothing is now: no results, which the
    // reader says in its own words.
    return m_logBefore ? Verdict::Failed : Verdict::Replaced;
}

QString EngineRun::endText() const {
    if (!m_ended || !m_status) {
        return {};
    }
    if (WIFEXITED(*m_status)) {
        return QStringLiteral("skončil se stavem %1").arg(WEXITSTATUS(*m_status));
    }
    if (WIFSIGNALED(*m_status)) {
        return QStringLiteral("byl ukončen signálem %1").arg(WTERMSIG(*m_status));
    }
    return {};
}
