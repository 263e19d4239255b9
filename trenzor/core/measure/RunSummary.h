#pragma once

#include "contract/BlockSampling.h"
#include "contract/ResultsLogWriter.h"
#include "contract/RunSummaryCodec.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The summary of a run for scripts, in JSON (RunSummaryCodec): the conditions
// of the results log's header lines, and for each finished test the figures
// of its measured frames, evaluated from the bytes of the run's log
// (RunEvaluation), so that it says what the front end's details window says
// of the same log; then the run's figures. A repeated run keeps each of
// its runs and the spread over them. Collects the finished tests of one run
// (or of each run of a repeated one) alongside the log writer and is written
// after it.
class RunSummary {
public:
    RunSummary(QStringList header, bool repeated);

    // A finished test of the current run: its index among the rated tests,
    // its block's rates how they sample its frames, and the OpenGL errors
    // found while it ran.
    void addBlock(int test, const QVector<double>& rates, const BlockSampling& sampling, int glErrors);
    // The current run, started startSeconds after the first, went through
    // every test; the next one starts empty.
    void closeRun(double startSeconds);
    // A sustained run of this many minutes (--sustain).
    void setSustainMinutes(int minutes) { m_sustainMinutes = minutes; }
    // The outcome of picture validation, written as the field "validation".
    void setValidation(const QJsonObject& validation) { m_validation = validation; }
    // What the sensors measured, written as the field "sensors".
    void setSensors(const QJsonObject& sensors) { m_sensors = sensors; }
    // The hash of the scene files drawn (SceneDecoder), written as "scenes".
    void setScenes(const QString& scenes) { m_scenes = scenes; }
    int closedRuns() const { return int(m_closed.size()); }
    // The spread of the closed runs' scores.
    RepeatStatistics::Spread scoreSpread() const;
    // complete: every test of every run ran to its end without OpenGL
    // errors. The top level holds the last closed run, or the current one
    // when none has closed.
    RunSummaryCodec::Summary summary(bool complete) const;
    // Writes the summary with the safe replace, or to standard output for
    // "-"; returns an error text naming the file, or empty.
    QString save(const QString& path, bool complete) const;

private:
    RunSummaryCodec::Pass current() const;

    QStringList m_header;
    bool m_repeated;
    int m_glErrors = 0;
    QList<RunSummaryCodec::Pass> m_closed;
    QList<double> m_starts;
    int m_sustainMinutes = 0;
    // The current run: its tests, and its log, which gives their figures.
    QList<RunSummaryCodec::Test> m_tests;
    ResultsLogWriter m_pass;
    QJsonObject m_validation;
    QJsonObject m_sensors;
    QString m_scenes;
};
