#include "Pages.h"

#include "SvgChart.h"
#include "contract/NumberRules.h"

namespace {

QString Escaped(const QString& text) {
    return text.toHtmlEscaped();
}

QString Number(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

QByteArray Document(const QString& title, const QString& body) {
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"cs\"><head><meta charset=\"utf-8\">"
                          "<meta name=\"viewport\" content=\"width=device-width\"><title>%1</title>"
                          "<style>body{font-family:sans-serif;margin:2em;max-width:1000px}"
                          "table{border-collapse:collapse}td,th{border:1px solid #ccc;padding:.2em .5em}"
                          "td.n{text-align:right}.neni{color:#a00}</style></head><body>%2</body></html>\n")
        .arg(Escaped(title), body)
        .toUtf8();
}

} // namespace

namespace Pages {

QString StoredDataList() {
    return QStringLiteral(
        "<ul><li>protokol výsledků tak, jak jej zapsal testovací program (verze programu, datum běhu, popis "
        "paměti, operačního systému, procesoru a grafické karty, podmínky běhu a snímkové frekvence)</li>"
        "<li>co z něj služba spočítala: skóre, počet testů, klíč srovnání, zda je běh v pořadí a proč ne</li>"
        "<li>otisk (SHA-256) protokolu, aby se týž běh neuložil dvakrát, a otisk klíče ke smazání</li>"
        "<li>čas nahrání</li></ul>"
        "<p>Služba neukládá název počítače, jméno uživatele, sériová čísla ani síťové adresy; počty nahrání "
        "z "
        "jedné adresy drží jen v paměti a po minutě je zapomene. Souhrn běhu a ověření obrazu služba jen "
        "posoudí a neukládá. Nahraný běh smažete jeho klíčem: <code>curl -X DELETE -H \"Authorization: "
        "Bearer "
        "KLÍČ\" …/api/v1/runs/ID</code>.</p>");
}

qsizetype PageCount(const Ranking& ranking) {
    return std::max<qsizetype>(1, (ranking.systems.size() + kSystemsPerPage - 1) / kSystemsPerPage);
}

QByteArray RankingPage(const Ranking& ranking, const QList<RunStore::Key>& keys, const RunStore::Key& shown,
                       int page) {
    QString body = QStringLiteral("<h1>Pořadí počítačů</h1>");
    if (keys.isEmpty()) {
        body += QStringLiteral("<p>Zatím není nahrán žádný běh, který by byl v pořadí.</p>");
    } else {
        body +=
            QStringLiteral("<p>Srovnání: %1 (%2 běhů)</p>").arg(Escaped(shown.text)).arg(ranking.runCount);
        if (keys.size() > 1) {
            body += QStringLiteral("<p>Další srovnání:");
            for (const RunStore::Key& key : keys) {
                if (key.id != shown.id) {
                    body += QStringLiteral(" <a href=\"/?key=%1\">%2</a>").arg(key.id, Escaped(key.text));
                }
            }
            body += QStringLiteral("</p>");
        }
        body += QStringLiteral("<p>Percentily skóre:");
        for (size_t i = 0; i < Ranking::kPercents.size(); ++i) {
            body +=
                QStringLiteral(" %1 %: %2").arg(Ranking::kPercents[i]).arg(Number(ranking.percentiles[i]));
        }
        body += QStringLiteral(
            "</p><table><tr><th>Pořadí</th><th>Počítač</th><th>Grafická karta</th>"
            "<th>Operační paměť</th><th>Medián bodů</th><th>Běhů</th><th>Nejlepší běh</th></tr>");
        // Best first: the last of the ascending list.
        const qsizetype first = qsizetype(page - 1) * kSystemsPerPage;
        for (qsizetype i = first; i < std::min(first + kSystemsPerPage, ranking.systems.size()); ++i) {
            const Ranking::System& system = ranking.systems[ranking.systems.size() - 1 - i];
            body += QStringLiteral("<tr><td class=\"n\">%1</td><td>%2</td><td>%3</td><td>%4</td>"
                                   "<td class=\"n\">%5</td><td class=\"n\">%6</td>"
                                   "<td><a href=\"/r/%7\">%8</a></td></tr>")
                        .arg(i + 1)
                        .arg(Escaped(system.processor), Escaped(system.graphicsCard), Escaped(system.memory),
                             Number(system.medianScore))
                        .arg(system.runs)
                        .arg(system.bestRunId, Number(system.bestScore));
        }
        body += QStringLiteral("</table><p>Strana %1 z %2").arg(page).arg(PageCount(ranking));
        if (page > 1) {
            body +=
                QStringLiteral(" <a href=\"/?key=%1&amp;page=%2\">předchozí</a>").arg(shown.id).arg(page - 1);
        }
        if (page < PageCount(ranking)) {
            body += QStringLiteral(" <a href=\"/?key=%1&amp;page=%2\">další</a>").arg(shown.id).arg(page + 1);
        }
        body +=
            QStringLiteral("</p><p><a href=\"/systemy.dtb?key=%1\">systemy.dtb</a> pro srovnání v programu "
                           "3D výkon</p>")
                .arg(shown.id);
    }
    body += QStringLiteral("<h2>Co služba ukládá</h2>") + StoredDataList();
    return Document(QStringLiteral("Pořadí počítačů"), body);
}

QByteArray RunPage(const RunStore::Run& run, const RunEvaluation& evaluation) {
    QString body = QStringLiteral("<h1>Běh %1</h1><table>").arg(run.id);
    const QList<std::pair<QString, QString>> rows = {
        {QStringLiteral("Počítač"), run.processor},
        {QStringLiteral("Grafická karta"), run.graphicsCard},
        {QStringLiteral("Operační paměť"), run.memory},
        {QStringLiteral("Operační systém"), run.operatingSystem},
        {QStringLiteral("Podmínky"), run.conditions},
        {QStringLiteral("Program"), run.program},
        {QStringLiteral("Srovnání"), run.keyText},
        {QStringLiteral("Počet bodů"), NumberRules::FormatScore(run.score).trimmed()},
    };
    for (const auto& [name, value] : rows) {
        body += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>").arg(name, Escaped(value));
    }
    body += QStringLiteral("</table>");
    if (run.rankable) {
        body += QStringLiteral("<p>Běh je v pořadí.</p>");
    } else {
        body += QStringLiteral("<p class=\"neni\">Běh není v pořadí:</p><ul class=\"neni\">");
        for (const QString& reason : run.reasons) {
            body += QStringLiteral("<li>%1</li>").arg(Escaped(reason));
        }
        body += QStringLiteral("</ul>");
    }
    body += QStringLiteral("<h2>Testy</h2><table><tr><th>Test</th><th>Snímků</th><th>Čas (s)</th>"
                           "<th>Průměr (snímků/s)</th><th>1% low (snímků/s)</th><th>99. percentil doby "
                           "snímku (ms)</th><th>1 % času nejpomalejší (snímků/s)</th><th>Záseky (snímků)</th>"
                           "<th>Záseky (% času)</th><th>Kolísání (ms)</th></tr>");
    QList<QList<double>> rates;
    for (qsizetype i = 0; i < evaluation.tests().size(); ++i) {
        const FrameStatistics::BlockFigures& figures = evaluation.tests()[i].figures;
        // A run of chosen tests names them in its conditions; the block's
        // position is not its test.
        const QString& name = evaluation.tests()[i].name;
        body += QStringLiteral(
                    "<tr><td>%1</td><td class=\"n\">%2</td><td class=\"n\">%3</td><td class=\"n\">%4</td>"
                    "<td class=\"n\">%5</td><td class=\"n\">%6</td>")
                    .arg(Escaped(name))
                    .arg(figures.frames)
                    .arg(Number(figures.seconds, 2), Number(figures.averageRate),
                         Number(figures.low1PercentRate), Number(figures.percentile99Ms, 2));
        // A test without a usable frame has no smoothness.
        const Smoothness::Figures smoothness = figures.smoothness.value_or(Smoothness::Figures{});
        const auto cell = [&figures](const QString& text) {
            return QStringLiteral("<td class=\"n\">%1</td>")
                .arg(figures.smoothness ? text : QStringLiteral("–"));
        };
        body += cell(Number(smoothness.slowestTimeRate)) + cell(QString::number(smoothness.stutterFrames)) +
                cell(Number(smoothness.stutterPercent, 2)) + cell(Number(smoothness.jitter99Ms, 2)) +
                QStringLiteral("</tr>");
        rates.append(evaluation.tests()[i].rates);
    }
    body += QStringLiteral("</table><h2>Doby snímků</h2>") + SvgChart::FrameTimes(rates);
    body += QStringLiteral("<p><a href=\"/\">Pořadí počítačů</a></p>");
    return Document(QStringLiteral("Běh %1").arg(run.id), body);
}

QByteArray NotFoundPage(const QString& message) {
    return Document(QStringLiteral("Nenalezeno"),
                    QStringLiteral("<h1>Nenalezeno</h1><p>%1</p><p><a href=\"/\">Pořadí počítačů</a></p>")
                        .arg(Escaped(message)));
}

} // namespace Pages
