#include "UploadCheck.h"

#include "RankRule.h"
#include "contract/EngineContract.h"

#include <QCryptographicHash>
#include <cmath>

namespace {

using UploadCheck::Checked;
using UploadCheck::Refusal;

Checked Refused(const QString& code, const QString& message) {
    return Checked{std::nullopt, Refusal{422, code, message}};
}

// Equal within the rounding a figure may take on its way through decimal
// text: a relative 1E-9, far below what one changed value of a log moves.
bool Agrees(double summary, double log) {
    return std::abs(summary - log) <= 1e-9 * std::max(std::abs(log), 1.0);
}

} // namespace

namespace UploadCheck {

QString LogProblem(const RunEvaluation& evaluation) {
    switch (evaluation.outcome()) {
    case RunEvaluation::Outcome::Ok:
        return {};
    case RunEvaluation::Outcome::TooLarge:
        return QStringLiteral("Protokol výsledků je příliš velký.");
    case RunEvaluation::Outcome::ZeroFrames:
        return QStringLiteral("Protokol výsledků nemá žádné snímky.");
    case RunEvaluation::Outcome::NoLog:
    case RunEvaluation::Outcome::Damaged:
    case RunEvaluation::Outcome::ReadFailed:
        break;
    }
    return QStringLiteral("Protokol výsledků je neúplný nebo poškozený.");
}

QString SummaryDisagreement(const RunEvaluation& evaluation, const RunSummaryCodec::Summary& summary) {
    if (summary.header != evaluation.header()) {
        return QStringLiteral("Souhrn běhu je z jiného běhu než protokol (liší se hlavička).");
    }
    const QList<RunSummaryCodec::Test>& tests = summary.last.tests;
    if (tests.size() != evaluation.tests().size()) {
        return QStringLiteral("Souhrn běhu uvádí %1 testů, protokol %2.")
            .arg(tests.size())
            .arg(evaluation.tests().size());
    }
    for (qsizetype i = 0; i < tests.size(); ++i) {
        const FrameStatistics::BlockFigures& stated = tests[i].figures;
        const FrameStatistics::BlockFigures& figures = evaluation.tests()[i].figures;
        if (stated.frames != figures.frames || stated.values != figures.values ||
            !Agrees(stated.seconds, figures.seconds) || !Agrees(stated.averageRate, figures.averageRate) ||
            !Agrees(stated.percentile99Ms, figures.percentile99Ms) ||
            !Agrees(stated.slowestRate, figures.slowestRate) ||
            !Agrees(stated.fastestRate, figures.fastestRate)) {
            return QStringLiteral("Údaje souhrnu běhu nesouhlasí s protokolem v testu %1 (%2).")
                .arg(evaluation.tests()[i].index)
                .arg(evaluation.tests()[i].name);
        }
    }
    if (!Agrees(summary.last.run.score, evaluation.score())) {
        return QStringLiteral("Skóre souhrnu běhu nesouhlasí s protokolem.");
    }
    return {};
}

Checked Check(const QMap<QByteArray, QByteArray>& parts) {
    for (auto part = parts.begin(); part != parts.end(); ++part) {
        if (part.key() != "log" && part.key() != "validation" && part.key() != "summary") {
            return Checked{
                std::nullopt,
                Refusal{
                    400, QStringLiteral("unknown_part"),
                    QStringLiteral("Nahrání obsahuje neznámou část %1.").arg(QString::fromUtf8(part.key()))}};
        }
    }
    if (!parts.contains("log")) {
        return Checked{std::nullopt, Refusal{400, QStringLiteral("log_missing"),
                                             QStringLiteral("Nahrání neobsahuje protokol (část log).")}};
    }
    CheckedRun run;
    run.log = parts.value("log");
    run.evaluation = RunEvaluation::OfBytes(run.log);
    if (const QString problem = LogProblem(run.evaluation); !problem.isEmpty()) {
        return Refused(QStringLiteral("log_invalid"), problem);
    }
    std::optional<RunSummaryCodec::Summary> summary;
    if (parts.contains("summary")) {
        const RunSummaryCodec::Decoded decoded = RunSummaryCodec::decode(parts.value("summary"));
        if (!decoded.ok()) {
            return Refused(QStringLiteral("summary_invalid"),
                           QStringLiteral("Souhrn běhu nelze přečíst: %1").arg(decoded.error));
        }
        if (const QString disagreement = SummaryDisagreement(run.evaluation, decoded.summary);
            !disagreement.isEmpty()) {
            return Refused(QStringLiteral("summary_mismatch"), disagreement);
        }
        summary = decoded.summary;
    }
    std::optional<RunSummaryCodec::Summary> validation;
    if (parts.contains("validation")) {
        const RunSummaryCodec::Decoded decoded = RunSummaryCodec::decode(parts.value("validation"));
        if (!decoded.ok()) {
            return Refused(QStringLiteral("validation_invalid"),
                           QStringLiteral("Ověření obrazu nelze přečíst: %1").arg(decoded.error));
        }
        validation = decoded.summary;
    }
    using EngineContract::LogLine;
    run.conditions = RunConditions::parse(run.evaluation.headerLine(LogLine::Conditions));
    // The run's own summary names the scene files it drew; without it, the
    // validation names those it drew (RankRule sees that they agree).
    const QString scenes = summary && !summary->scenes.isEmpty() ? summary->scenes
                           : validation                          ? validation->scenes
                                                                 : QString();
    run.key = ComparisonKey::of(run.evaluation.headerLine(LogLine::Program),
                                run.conditions.value_or(RunConditions()), scenes);
    run.reasons = RankRule::Reasons(run.evaluation, run.conditions, summary, validation);
    run.logHash = QString::fromLatin1(QCryptographicHash::hash(run.log, QCryptographicHash::Sha256).toHex());
    return Checked{std::move(run), {}};
}

} // namespace UploadCheck
