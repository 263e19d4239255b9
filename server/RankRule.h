#pragma once

#include "RunConditions.h"
#include "contract/RunEvaluation.h"
#include "contract/RunSummaryCodec.h"

#include <QStringList>
#include <optional>

// Whether a run is ranked with others, and if not why not: a rated run of
// all seven tests at the standard 640x480, vertical sync off as granted, no
// OpenGL errors where the run's summary counts them, and a picture
// validation by the same engine build on the same renderer that passed for
// every test with the scene files the run's summary names. Everything else is stored and shown with these
// reasons, in Czech. Stateless.
namespace RankRule {

// conditions: line 5 as parsed, empty when it is not in the engine's form.
// summary, validation: the decoded parts, empty when not uploaded.
QStringList Reasons(const RunEvaluation& evaluation, const std::optional<RunConditions>& conditions,
                    const std::optional<RunSummaryCodec::Summary>& summary,
                    const std::optional<RunSummaryCodec::Summary>& validation);

} // namespace RankRule
