#pragma once

#include "contract/FrameStatistics.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One evaluation of a run from its results log's bytes, the only place the
// service turns a log into figures: the header lines, each test block's
// figures and rates, the score as the front end computes it (the sum of all
// values / the frames), and why a log cannot be evaluated. Reads through the
// contract's ResultsLogReader, so the service judges a log exactly as the
// front end does. A value object.
struct LogEvaluation {
    struct Test {
        int frameCount = 0;
        // The block's rates, its closing value left out.
        QList<double> rates;
        FrameStatistics::BlockFigures figures;
    };

    // Why the log cannot be evaluated, in Czech; empty when it was.
    QString error;
    // EngineContract::kLogHeaderLines texts in EngineContract::LogLine order.
    QStringList header;
    QList<Test> tests;
    qint64 totalFrames = 0;
    double valueSum = 0;
    double score = 0;

    bool ok() const { return error.isEmpty(); }
    QString headerLine(int line) const { return header.value(line); }

    static LogEvaluation evaluate(const QByteArray& log);
};
