#include "RunRecord.h"

#include "ConsoleReport.h"
#include "RepeatTable.h"
#include "contract/EngineContract.h"
#include "contract/RunHistory.h"
#include "contract/TestOrder.h"
#include "contract/TextFile.h"

#include <QCryptographicHash>

#include <chrono>

RunRecord::RunRecord(const RunConfig& config, std::optional<RunOptions> options, Clock clock)
    : m_config(config)
    , m_options(std::move(options))
    , m_clock(std::move(clock)) {}

qint64 RunRecord::SteadyClock() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The command line names the tests; a configuration names them by their
// scene files. A scene of the user's own keeps its position in the list.
int RunRecord::test(int slot) const {
    if (m_options) {
        return m_options->tests.value(slot, slot);
    }
    const QString file = m_config.scenes.value(slot).sceneFile;
    for (int test = 0; test < EngineContract::kTestCount; ++test) {
        if (file == EngineContract::SceneFileName(test)) {
            return test;
        }
    }
    return slot;
}

void RunRecord::begin(const QStringList& header, const QString& scenes) {
    m_header = header;
    m_log.emplace(m_header);
    // A repeated run's spread is printed even without a summary file, and
    // an uploaded run sends its summary.
    if (m_options && (!m_options->summaryPath.isEmpty() || m_options->repeated() || m_options->upload)) {
        m_summary.emplace(m_header, m_options->repeated());
        m_summary->setScenes(scenes);
        m_summary->setSustainMinutes(m_options->sustainMinutes);
    }
    m_firstStart = m_clock();
    m_runStartSeconds = 0;
}

void RunRecord::countGlErrors(int count) {
    m_testGlErrors += count;
    m_glErrors += count;
}

void RunRecord::addTest(int test, const QVector<double>& rates, const BlockSampling& sampling) {
    m_log->addBlock(rates, sampling);
    if (m_summary) {
        m_summary->addBlock(test, rates, sampling, m_testGlErrors);
    }
}

void RunRecord::closeRound() {
    ++m_rounds;
    if (m_summary) {
        m_summary->closeRun(m_runStartSeconds);
    }
}

bool RunRecord::nextRound() {
    const double elapsedSeconds = double(m_clock() - m_firstStart) / 1000;
    if (anotherRun(elapsedSeconds)) {
        QString line = QStringLiteral("trenzor: dokončen běh %1").arg(m_rounds);
        if (m_rounds >= RunOptions::kMinRuns) {
            line += QStringLiteral(", variační koeficient skóre %1 %").arg(spreadPercent(), 0, 'f', 2);
        }
        if (m_options->sustainMinutes > 0) {
            line += QStringLiteral(", od začátku %1 z %2 min")
                        .arg(RepeatTable::minutesAndSeconds(elapsedSeconds))
                        .arg(m_options->sustainMinutes);
        }
        m_runStartSeconds = elapsedSeconds;
        ConsoleReport::print(progressStream(), line);
        m_completeLog = std::move(m_log);
        m_log.emplace(m_header);
        if (m_energy) {
            m_completeEnergy = std::exchange(m_energy->tests, {});
        }
        return true;
    }
    if (m_options && m_options->repeatUntilPercent > 0 && spreadPercent() >= m_options->repeatUntilPercent) {
        // The run is complete; a script finds the spread it reached in the
        // summary and decides.
        ConsoleReport::print(stderr, QStringLiteral("trenzor: ani po %1 bězích neklesl variační koeficient "
                                                    "skóre (%2 %) pod %3 %.")
                                         .arg(m_rounds)
                                         .arg(spreadPercent(), 0, 'f', 2)
                                         .arg(m_options->repeatUntilPercent));
    }
    return false;
}

bool RunRecord::anotherRun(double elapsedSeconds) const {
    if (!m_options || !m_options->repeated()) {
        return false;
    }
    if (m_options->sustainMinutes > 0) {
        return m_options->sustainGoesOn(elapsedSeconds);
    }
    if (m_options->repeat > 0) {
        return m_rounds < m_options->repeat;
    }
    return m_rounds < RunOptions::kMinRuns ||
           (m_rounds < RunOptions::kMaxRunsUntil && spreadPercent() >= m_options->repeatUntilPercent);
}

RunRecord::Outcome RunRecord::finish(bool aborted) {
    // A run in which OpenGL reported errors may not have drawn what the
    // tests ask for: its figures stay, but it is not a complete run.
    const bool complete = !aborted && m_glErrors == 0;
    // An aborted repeated run writes its last run through every test, not
    // the tests of the run it broke off.
    if (aborted && m_completeLog) {
        m_log = std::move(m_completeLog);
        if (m_energy) {
            m_energy->tests = m_completeEnergy;
        }
    }
    m_completeLog.reset();
    if (m_log) {
        if (m_log->blockCount() == 0) {
            ConsoleReport::print(
                stderr,
                QStringLiteral("trenzor: přerušeno před koncem prvního testu, výsledky se nezapíší."));
        } else if (const std::optional<FileError> error = m_log->save(EngineContract::kResultsLogFileName)) {
            discard();
            return {error->oneLine(), 1};
        } else {
            saveEnergy();
            if (aborted) {
                // For a script, an abort is a failure and said so on standard
                // error.
                ConsoleReport::print(m_options ? stderr : stdout,
                                     QStringLiteral("trenzor: přerušeno, zapsáno %1 dokončených testů.")
                                         .arg(m_log->blockCount()));
            }
            if (complete && m_options && m_options->history) {
                // The history is the user's convenience: the run and its
                // status stand without it.
                if (!TestOrder::ConditionsNote(m_options->tests).isEmpty()) {
                    ConsoleReport::print(stderr,
                                         QStringLiteral("trenzor: běh se do historie neukládá, nejsou to "
                                                        "všechny testy v obvyklém pořadí."));
                } else if (const std::optional<FileError> error =
                               RunHistory::Keep(EngineContract::kResultsLogFileName, m_log->score())) {
                    ConsoleReport::print(stderr, QStringLiteral("trenzor: běh se neuložil do historie: %1")
                                                     .arg(error->message().replace(QStringLiteral("\n\n"),
                                                                                   QStringLiteral(" "))));
                }
            }
            if (m_summary && m_energy) {
                m_summary->setSensors(EnergyReport::toJson(*m_energy));
            }
            if (m_summary && !m_options->summaryPath.isEmpty()) {
                if (const QString error = m_summary->save(m_options->summaryPath, complete);
                    !error.isEmpty()) {
                    discard();
                    return {error, 1};
                }
            }
            if (m_summary && complete && m_options->upload) {
                m_uploadSummary = RunSummaryCodec::encode(m_summary->summary(complete));
            }
            if (m_summary) {
                for (const QString& line : RepeatTable::lines(m_summary->summary(complete))) {
                    ConsoleReport::print(progressStream(), line);
                }
            }
        }
        discard();
    }
    if (m_glErrors > 0) {
        ConsoleReport::print(
            stderr, QStringLiteral("trenzor: OpenGL ohlásilo %1 chyb, běh není úplný.").arg(m_glErrors));
    }
    // A run of the command line succeeds only when every test ran to its end;
    // any run with OpenGL errors fails.
    return {{}, (aborted && m_options) || m_glErrors > 0 ? 1 : 0};
}

void RunRecord::saveEnergy() const {
    if (!m_energy) {
        return;
    }
    EnergyReport::Report report = *m_energy;
    report.logSha256 =
        QString::fromLatin1(QCryptographicHash::hash(m_log->encode(), QCryptographicHash::Sha256).toHex());
    if (const std::optional<FileError> error =
            TextFile::Replace(EnergyReport::kFileName, EnergyReport::encode(report))) {
        ConsoleReport::print(
            stderr, QStringLiteral("trenzor: energie a teploty se nezapsaly: %1").arg(error->oneLine()));
    }
}

void RunRecord::discard() {
    m_log.reset();
    m_completeLog.reset();
    m_summary.reset();
}

std::FILE* RunRecord::progressStream() const {
    return m_options && m_options->summaryToStandardOutput() ? stderr : stdout;
}
