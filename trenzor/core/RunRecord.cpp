#include "RunRecord.h"

#include "ConsoleReport.h"
#include "RepeatTable.h"
#include "contract/EngineContract.h"
#include "contract/RunHistory.h"
#include "contract/TestOrder.h"

RunRecord::RunRecord(const RunConfig& config, std::optional<RunOptions> options)
    : m_config(config)
    , m_options(std::move(options)) {}

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
    }
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
        m_summary->closeRun();
    }
}

bool RunRecord::nextRound() {
    if (anotherRun()) {
        QString line = QStringLiteral("trenzor: dokončen běh %1").arg(m_rounds);
        if (m_rounds >= RunOptions::kMinRuns) {
            line += QStringLiteral(", variační koeficient skóre %1 %").arg(spreadPercent(), 0, 'f', 2);
        }
        ConsoleReport::print(progressStream(), line);
        m_completeLog = std::move(m_log);
        m_log.emplace(m_header);
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

bool RunRecord::anotherRun() const {
    if (!m_options || !m_options->repeated()) {
        return false;
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

void RunRecord::discard() {
    m_log.reset();
    m_completeLog.reset();
    m_summary.reset();
}

std::FILE* RunRecord::progressStream() const {
    return m_options && m_options->summaryToStandardOutput() ? stderr : stdout;
}
