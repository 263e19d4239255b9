#pragma once

#include "RunOptions.h"
#include "RunSummary.h"
#include "contract/BlockSampling.h"
#include "contract/ResultsLogWriter.h"
#include "contract/RunConfig.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <cstdio>
#include <optional>

// What a rated run keeps of itself, apart from its drawing: the results log
// being filled, the summary beside it, the runs through every test finished
// so far, the OpenGL errors found, whether a repeated run goes on (--repeat,
// or --repeat-until's coefficient of variation), and at its end what is
// saved (the log, the run history, the summary, the summary to upload) and
// with which exit status.
// Needs no OpenGL: the engine hands it each finished test. Lives as long as
// the engine; begin() starts the record of a rated run, free flight keeps
// none.
class RunRecord {
public:
    // What finishing the run came to: an error text that ends the run as a
    // failure, or the exit status.
    struct Outcome {
        QString error;
        int status = 0;
    };

    RunRecord(const RunConfig& config, std::optional<RunOptions> options);

    // The number of the rated test a slot runs, as the progress lines and
    // the summary give it.
    int test(int slot) const;

    // scenes: the hash of the scene files the run draws, for the summary.
    void begin(const QStringList& header, const QString& scenes);
    // A test starts: its own OpenGL errors count from 0.
    void beginTest() { m_testGlErrors = 0; }
    void countGlErrors(int count);
    // A finished test of the current run.
    void addTest(int test, const QVector<double>& rates, const BlockSampling& sampling);
    // The current run went through every test.
    void closeRound();
    // After closeRound(): whether a repeated run goes on, said on the
    // progress stream; the next run fills a new log. When it does not go
    // on, a coefficient of variation that stayed above --repeat-until's is
    // said on standard error.
    bool nextRound();
    // Saves what the run leaves and prints its closing lines. An aborted
    // repeated run saves its last run through every test.
    Outcome finish(bool aborted);
    // The run fails or is given up: nothing is saved.
    void discard();

    // Where the lines about each finished test go: standard error when the
    // summary takes standard output, so that it stays valid JSON.
    std::FILE* progressStream() const;
    // The JSON summary of a complete run that is uploaded; empty otherwise.
    const QByteArray& uploadSummary() const { return m_uploadSummary; }

private:
    // Whether the run just closed is followed by another.
    bool anotherRun() const;
    double spreadPercent() const { return m_summary->scoreSpread().coefficientOfVariationPercent; }

    const RunConfig& m_config;
    std::optional<RunOptions> m_options;
    QStringList m_header;
    std::optional<ResultsLogWriter> m_log;
    // A repeated run's last run through every test, while the next one
    // fills m_log: written in its place when the run is aborted.
    std::optional<ResultsLogWriter> m_completeLog;
    std::optional<RunSummary> m_summary;
    // Runs through all the tests finished so far (a repeated run has several).
    int m_rounds = 0;
    // OpenGL errors found in the running test and in the whole run; a run
    // with any is not complete.
    int m_testGlErrors = 0;
    int m_glErrors = 0;
    QByteArray m_uploadSummary;
};
