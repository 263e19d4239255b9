#pragma once

#include "Ranking.h"
#include "RunStore.h"
#include "contract/RunEvaluation.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The service's pages in Czech, HTML with their style inline and nothing
// loaded from elsewhere: the ranking of a comparison key with what the
// service stores, and a run's page with its per-test figures, its
// frame-time chart and why it is not ranked. Stateless.
namespace Pages {

// The ranking shows this many systems a page, best first, in its page and its JSON.
constexpr qsizetype kSystemsPerPage = 50;
// At least 1, so that an empty ranking has its one page.
qsizetype PageCount(const Ranking& ranking);

// page: from 1 to PageCount().
QByteArray RankingPage(const Ranking& ranking, const QList<RunStore::Key>& keys, const RunStore::Key& shown,
                       int page);
QByteArray RunPage(const RunStore::Run& run, const RunEvaluation& evaluation);
QByteArray NotFoundPage(const QString& message);

// What the service keeps of an upload, as the pages and docs/ list it.
QString StoredDataList();

} // namespace Pages
