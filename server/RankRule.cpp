#include "RankRule.h"

#include "contract/EngineContract.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

namespace {

// What the validation summary says is wrong with it for this run; empty
// when it passed for every test on the run's engine and renderer.
QString ValidationProblem(const RunEvaluation& evaluation, const RunSummaryCodec::Summary& validation) {
    using EngineContract::LogLine;
    if (validation.validation.isEmpty()) {
        return QStringLiteral("Připojený soubor ověření obrazu není výsledkem --validate.");
    }
    if (validation.header.value(int(LogLine::Program)) != evaluation.headerLine(LogLine::Program)) {
        return QStringLiteral("Ověření obrazu provedla jiná verze testovacího programu (%1).")
            .arg(validation.header.value(int(LogLine::Program)));
    }
    if (validation.header.value(int(LogLine::GraphicsCard)) != evaluation.headerLine(LogLine::GraphicsCard)) {
        return QStringLiteral("Ověření obrazu proběhlo na jiném vykreslovači (%1).")
            .arg(validation.header.value(int(LogLine::GraphicsCard)));
    }
    QSet<int> passed;
    for (const QJsonValue& test : validation.validation.value(QLatin1String("tests")).toArray()) {
        if (test.toObject().value(QLatin1String("passed")).toBool()) {
            passed.insert(test.toObject().value(QLatin1String("index")).toInt(-1));
        }
    }
    for (int test = 0; test < EngineContract::kTestCount; ++test) {
        if (!passed.contains(test)) {
            return QStringLiteral("Ověření obrazu neprošlo v testu %1 (%2).")
                .arg(test)
                .arg(EngineContract::kTestNames[size_t(test)]);
        }
    }
    if (!validation.validation.value(QLatin1String("passed")).toBool()) {
        return QStringLiteral("Ověření obrazu neprošlo.");
    }
    if (validation.scenes.isEmpty()) {
        return QStringLiteral("Ověření obrazu neuvádí, se kterými soubory scén proběhlo.");
    }
    return {};
}

} // namespace

namespace RankRule {

QStringList Reasons(const RunEvaluation& evaluation, const std::optional<RunConditions>& conditions,
                    const std::optional<RunSummaryCodec::Summary>& summary,
                    const std::optional<RunSummaryCodec::Summary>& validation) {
    QStringList reasons;
    if (evaluation.tests().size() != EngineContract::kTestCount) {
        reasons.append(QStringLiteral("Neproběhlo právě všech %1 testů (proběhlo %2).")
                           .arg(EngineContract::kTestCount)
                           .arg(evaluation.tests().size()));
    }
    if (!conditions) {
        reasons.append(
            QStringLiteral("Podmínky běhu (řádek 5 protokolu) nejsou ve tvaru testovacího programu."));
    } else {
        if (conditions->width != EngineContract::kStandardWidth ||
            conditions->height != EngineContract::kStandardHeight) {
            reasons.append(QStringLiteral("Velikost obrazu %1x%2 není standardní %3x%4.")
                               .arg(conditions->width)
                               .arg(conditions->height)
                               .arg(EngineContract::kStandardWidth)
                               .arg(EngineContract::kStandardHeight));
        }
        if (!conditions->vsyncOff()) {
            reasons.append(
                QStringLiteral("Vertikální synchronizace nebyla vypnuta (%1).").arg(conditions->vsync));
        }
    }
    if (summary && summary->glErrors > 0) {
        reasons.append(QStringLiteral("OpenGL při běhu ohlásilo %1 chyb.").arg(summary->glErrors));
    } else if (summary && !summary->complete) {
        reasons.append(QStringLiteral("Souhrn běhu jej uvádí jako neúplný."));
    }
    if (!validation) {
        reasons.append(QStringLiteral("Chybí ověření obrazu (trenzor.exe --validate)."));
    } else if (const QString problem = ValidationProblem(evaluation, *validation); !problem.isEmpty()) {
        reasons.append(problem);
    } else if (summary && !summary->scenes.isEmpty() && summary->scenes != validation->scenes) {
        reasons.append(QStringLiteral("Běh a ověření obrazu proběhly s jinými soubory scén."));
    }
    return reasons;
}

} // namespace RankRule
