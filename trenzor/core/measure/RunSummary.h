#pragma once

#include "contract/BlockSampling.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

// The summary of a run for scripts, in JSON: the conditions of the results
// log's header lines as named fields, and for each finished test the figures
// of its measured frames, computed from the rates as the log holds them
// (FrameStatistics), so that it says what the front end's details window
// says of the same log; then the run's figures. Collects the finished tests
// of one run alongside the log writer and is written after it.
class RunSummary {
public:
    explicit RunSummary(QStringList header);

    // A finished test: its index among the rated tests, its block's rates
    // how they sample its frames, and the OpenGL errors found while it ran.
    void addBlock(int test, const QVector<double>& rates, const BlockSampling& sampling, int glErrors);
    int blockCount() const { return int(m_tests.size()); }
    // The outcome of picture validation, written as the field "validation".
    void setValidation(const QJsonObject& validation) { m_validation = validation; }
    // complete: every test of the run ran to its end without OpenGL errors.
    QByteArray encode(bool complete) const;
    // Writes the summary with the safe replace, or to standard output for
    // "-"; returns an error text naming the file, or empty.
    QString save(const QString& path, bool complete) const;

private:
    QStringList m_header;
    QList<int> m_tests;
    QList<int> m_glErrors;
    QList<QList<double>> m_blocks;
    QList<BlockSampling> m_samplings;
    QJsonObject m_validation;
};
