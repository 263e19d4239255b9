#include "ServiceHandlers.h"

#include "Pages.h"
#include "Ranking.h"
#include "UploadCheck.h"
#include "contract/EngineContract.h"
#include "contract/RunEvaluation.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <cstdio>

namespace {

QByteArray Json(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString RandomHex(int bytes) {
    QByteArray random(bytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(random.data()), bytes / 4);
    return QString::fromLatin1(random.toHex());
}

QString TokenHash(const QString& token) {
    return QString::fromLatin1(
        QCryptographicHash::hash(token.toLatin1(), QCryptographicHash::Sha256).toHex());
}

QString RunUrl(const QString& id) {
    return QStringLiteral("/r/%1").arg(id);
}

} // namespace

ServiceHandlers::ServiceHandlers(RunStore& store, RateLimiter& limiter)
    : m_store(store)
    , m_limiter(limiter)
    , m_rankings(store) {}

ServiceHandlers::Reply ServiceHandlers::error(int status, const QString& code, const QString& message) {
    return Reply{status, "application/json", Json(QJsonObject{{"error", code}, {"message", message}}), {}};
}

ServiceHandlers::Reply ServiceHandlers::storeFailed(const QString& error) const {
    std::fprintf(stderr, "vykon3d-server: %s\n", error.toLocal8Bit().constData());
    return ServiceHandlers::error(500, QStringLiteral("database"),
                                  QStringLiteral("Databáze služby selhala; zkuste to prosím později."));
}

ServiceHandlers::Reply ServiceHandlers::postRun(const Request& request) {
    if (!m_limiter.allow(request.clientAddress, RateLimiter::Clock::now())) {
        Reply reply =
            error(429, QStringLiteral("rate_limited"),
                  QStringLiteral("Z této adresy přišlo příliš mnoho nahrání; zkuste to za minutu."));
        reply.headers.append(std::pair<QByteArray, QByteArray>("Retry-After", "60"));
        return reply;
    }
    if (request.tooLarge) {
        return error(
            413, QStringLiteral("too_large"),
            QStringLiteral("Nahrání je větší než %1 MiB.").arg(UploadCheck::kMaxBodySize / (1024 * 1024)));
    }
    if (!request.formError.isEmpty()) {
        return error(400, QStringLiteral("bad_multipart"), request.formError);
    }
    const UploadCheck::Checked checked = UploadCheck::Check(request.parts);
    if (!checked.run) {
        return error(checked.refusal.status, checked.refusal.code, checked.refusal.message);
    }
    const UploadCheck::CheckedRun& checkedRun = *checked.run;
    using EngineContract::LogLine;
    const RunEvaluation& evaluation = checkedRun.evaluation;
    RunStore::Run run;
    run.id = RandomHex(8);
    const QString token = RandomHex(16);
    run.logHash = checkedRun.logHash;
    run.tokenHash = TokenHash(token);
    run.uploaded = QDateTime::currentDateTimeUtc();
    run.program = evaluation.headerLine(LogLine::Program);
    run.keyId = checkedRun.key.id;
    run.keyText = checkedRun.key.description;
    run.processor = evaluation.headerLine(LogLine::Processor);
    run.graphicsCard = evaluation.headerLine(LogLine::GraphicsCard);
    run.memory = evaluation.headerLine(LogLine::Memory);
    run.operatingSystem = evaluation.headerLine(LogLine::OperatingSystem);
    run.conditions = evaluation.headerLine(LogLine::Conditions);
    run.score = evaluation.score();
    run.testCount = int(evaluation.tests().size());
    run.rankable = checkedRun.rankable();
    run.reasons = checkedRun.reasons;
    run.log = checkedRun.log;
    const RunStore::Result<RunStore::Added> added = m_store.add(run);
    if (!added.ok()) {
        return storeFailed(added.error);
    }
    if (added.value.created && run.rankable) {
        m_rankings.added(run);
    }
    QJsonObject answer{{"id", added.value.id},
                       {"url", RunUrl(added.value.id)},
                       {"rankable", run.rankable},
                       {"reasons", QJsonArray::fromStringList(run.reasons)}};
    if (!added.value.created) {
        // The first upload's; its token went to whoever uploaded it.
        return Reply{200, "application/json", Json(answer), {}};
    }
    answer.insert(QStringLiteral("deleteToken"), token);
    return Reply{201, "application/json", Json(answer), {{"Location", RunUrl(run.id).toLatin1()}}};
}

ServiceHandlers::Reply ServiceHandlers::getRun(const QString& id) {
    const RunStore::Result<std::optional<RunStore::Run>> found = m_store.find(id);
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    if (!found.value) {
        return error(404, QStringLiteral("not_found"), QStringLiteral("Běh %1 tu není.").arg(id));
    }
    const RunStore::Run& run = *found.value;
    const RunEvaluation evaluation = RunEvaluation::OfBytes(run.log);
    QJsonArray tests;
    for (qsizetype i = 0; i < evaluation.tests().size(); ++i) {
        const FrameStatistics::BlockFigures& figures = evaluation.tests()[i].figures;
        tests.append(QJsonObject{{"index", int(i)},
                                 {"frames", figures.frames},
                                 {"values", figures.values},
                                 {"seconds", figures.seconds},
                                 {"averageRate", figures.averageRate},
                                 {"percentile99Ms", figures.percentile99Ms},
                                 {"low1PercentRate", figures.low1PercentRate},
                                 {"slowestRate", figures.slowestRate},
                                 {"fastestRate", figures.fastestRate}});
    }
    const QJsonObject answer{{"id", run.id},
                             {"url", RunUrl(run.id)},
                             {"uploaded", run.uploaded.toString(Qt::ISODate)},
                             {"program", run.program},
                             {"processor", run.processor},
                             {"graphicsCard", run.graphicsCard},
                             {"memory", run.memory},
                             {"operatingSystem", run.operatingSystem},
                             {"conditions", run.conditions},
                             {"key", QJsonObject{{"id", run.keyId}, {"text", run.keyText}}},
                             {"score", run.score},
                             {"rankable", run.rankable},
                             {"reasons", QJsonArray::fromStringList(run.reasons)},
                             {"tests", tests}};
    return Reply{200, "application/json", Json(answer), {}};
}

ServiceHandlers::Reply ServiceHandlers::deleteRun(const QString& id, const Request& request) {
    if (!request.authorization.startsWith("Bearer ") || request.authorization.size() <= 7) {
        Reply reply =
            error(401, QStringLiteral("unauthorized"),
                  QStringLiteral("Smazání potřebuje klíč ke smazání v hlavičce Authorization: Bearer."));
        reply.headers.append(std::pair<QByteArray, QByteArray>("WWW-Authenticate", "Bearer"));
        return reply;
    }
    const QString token = QString::fromLatin1(request.authorization.mid(7).trimmed());
    // What the ranking must lose when the run goes.
    const RunStore::Result<std::optional<RunStore::Run>> found = m_store.find(id);
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    const RunStore::Result<bool> removed = m_store.remove(id, TokenHash(token));
    if (!removed.ok()) {
        return storeFailed(removed.error);
    }
    if (!removed.value) {
        // Whether the run exists is not told to one without its token.
        return error(404, QStringLiteral("not_found"),
                     QStringLiteral("Běh %1 s tímto klíčem tu není.").arg(id));
    }
    if (found.value && found.value->rankable) {
        m_rankings.removed(*found.value);
    }
    return Reply{204, "application/json", {}, {}};
}

RunStore::Result<RunStore::Key> ServiceHandlers::shownKey(const Request& request) {
    const RunStore::Result<QList<RunStore::Key>> keys = m_rankings.keys(RankingCache::Clock::now());
    if (!keys.ok()) {
        return {{}, keys.error};
    }
    const QString asked = request.query.value(QStringLiteral("key"));
    for (const RunStore::Key& key : keys.value) {
        if (asked.isEmpty() || key.id == asked) {
            return {key, {}};
        }
    }
    return {RunStore::Key{asked, {}, 0}, {}};
}

std::optional<int> ServiceHandlers::pageOf(const Request& request) {
    bool ok = true;
    const int page = request.query.value(QStringLiteral("page"), QStringLiteral("1")).toInt(&ok);
    return ok && page >= 1 ? std::optional<int>(page) : std::nullopt;
}

ServiceHandlers::Reply ServiceHandlers::ranking(const Request& request) {
    const RunStore::Result<RunStore::Key> key = shownKey(request);
    if (!key.ok()) {
        return storeFailed(key.error);
    }
    const std::optional<int> page = pageOf(request);
    if (!page) {
        return error(400, QStringLiteral("bad_page"), QStringLiteral("Stránka musí být celé číslo od 1."));
    }
    const auto found = m_rankings.ranking(key.value.id, request.query.value(QStringLiteral("renderer")),
                                          RankingCache::Clock::now());
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    const Ranking& ranking = *found.value;
    QJsonObject percentiles;
    for (size_t i = 0; i < Ranking::kPercents.size(); ++i) {
        percentiles.insert(QStringLiteral("p%1").arg(Ranking::kPercents[i]), ranking.percentiles[i]);
    }
    QJsonArray systems;
    // Best first: the last of the ascending list.
    const qsizetype first = qsizetype(*page - 1) * Pages::kSystemsPerPage;
    for (qsizetype i = first; i < std::min(first + Pages::kSystemsPerPage, ranking.systems.size()); ++i) {
        const Ranking::System& system = ranking.systems[ranking.systems.size() - 1 - i];
        systems.append(QJsonObject{{"processor", system.processor},
                                   {"graphicsCard", system.graphicsCard},
                                   {"memory", system.memory},
                                   {"medianScore", system.medianScore},
                                   {"runs", system.runs},
                                   {"bestRun", QJsonObject{{"id", system.bestRunId},
                                                           {"url", RunUrl(system.bestRunId)},
                                                           {"score", system.bestScore}}}});
    }
    const QJsonObject answer{{"key", QJsonObject{{"id", key.value.id}, {"text", key.value.text}}},
                             {"runs", ranking.runCount},
                             {"percentiles", percentiles},
                             {"page", *page},
                             {"pages", int(Pages::PageCount(ranking))},
                             {"systems", systems}};
    return Reply{200, "application/json", Json(answer), {}};
}

ServiceHandlers::Reply ServiceHandlers::systemsDatabase(const Request& request) {
    const RunStore::Result<RunStore::Key> key = shownKey(request);
    if (!key.ok()) {
        return storeFailed(key.error);
    }
    const auto found = m_rankings.ranking(key.value.id, {}, RankingCache::Clock::now());
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    const QByteArray bytes = found.value->systemsDatabase();
    const QByteArray etag =
        '"' + QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(32) + '"';
    if (request.ifNoneMatch == etag) {
        return Reply{304, "application/octet-stream", {}, {{"ETag", etag}}};
    }
    return Reply{200,
                 "application/octet-stream",
                 bytes,
                 {{"ETag", etag}, {"Content-Disposition", "attachment; filename=\"systemy.dtb\""}}};
}

ServiceHandlers::Reply ServiceHandlers::rankingPage(const Request& request) {
    const RunStore::Result<QList<RunStore::Key>> keys = m_rankings.keys(RankingCache::Clock::now());
    const RunStore::Result<RunStore::Key> key = shownKey(request);
    if (!keys.ok() || !key.ok()) {
        return storeFailed(keys.ok() ? key.error : keys.error);
    }
    const auto found = m_rankings.ranking(key.value.id, {}, RankingCache::Clock::now());
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    const std::optional<int> page = pageOf(request);
    if (!page || *page > Pages::PageCount(*found.value)) {
        return Reply{404,
                     "text/html; charset=utf-8",
                     Pages::NotFoundPage(QStringLiteral("Tato stránka pořadí tu není.")),
                     {}};
    }
    return Reply{
        200, "text/html; charset=utf-8", Pages::RankingPage(*found.value, keys.value, key.value, *page), {}};
}

ServiceHandlers::Reply ServiceHandlers::runPage(const QString& id) {
    const RunStore::Result<std::optional<RunStore::Run>> found = m_store.find(id);
    if (!found.ok()) {
        return storeFailed(found.error);
    }
    if (!found.value) {
        return Reply{404,
                     "text/html; charset=utf-8",
                     Pages::NotFoundPage(QStringLiteral("Běh %1 tu není.").arg(id)),
                     {}};
    }
    return Reply{200,
                 "text/html; charset=utf-8",
                 Pages::RunPage(*found.value, RunEvaluation::OfBytes(found.value->log)),
                 {}};
}
