#pragma once

#include "ComparisonKey.h"
#include "RunConditions.h"
#include "contract/RunEvaluation.h"
#include "contract/RunSummaryCodec.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// An upload's parts judged: the log evaluated by the service itself, the
// engine's summary (when sent) held against it, the validation decoded, and
// from them the comparison key, whether the run is ranked and why not. An
// upload the service cannot take is refused with an error code and a reason
// in Czech. Stateless.
namespace UploadCheck {

// The largest upload body.
constexpr qsizetype kMaxBodySize = 8 * 1024 * 1024;

struct Refusal {
    int status = 400;
    QString code;
    QString message;
};

struct CheckedRun {
    QByteArray log;
    // SHA-256 of the log's bytes, hex: the same log is stored once.
    QString logHash;
    RunEvaluation evaluation;
    std::optional<RunConditions> conditions;
    ComparisonKey key;
    QStringList reasons;
    bool rankable() const { return reasons.isEmpty(); }
};

struct Checked {
    std::optional<CheckedRun> run;
    // Set when run is empty.
    Refusal refusal;
};

// parts: the upload's named parts ("log", "validation", "summary").
Checked Check(const QMap<QByteArray, QByteArray>& parts);

// Why the service cannot take a log it has evaluated, in Czech; empty when
// it can.
QString LogProblem(const RunEvaluation& evaluation);

// Why the summary's figures disagree with the log's beyond the rounding of
// their decimal text; empty when they agree.
QString SummaryDisagreement(const RunEvaluation& evaluation, const RunSummaryCodec::Summary& summary);

} // namespace UploadCheck
