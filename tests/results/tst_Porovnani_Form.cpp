#include "FrontEndFolder.h"
#include "ResultsFixture.h"
#include "SyntheticRuns.h"
#include "common/FileDialog.h"
#include "common/MessageBox.h"
#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/RunHistory.h"
#include "results/FrameTimeChart.h"
#include "results/Podrobnosti_Form.h"
#include "results/Porovnani_Form.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

using namespace ResultsFixture;

// The comparison window as the user reaches it: "Porovnat s…" in the details
// window of "vysledek.log", with runs in the history.
class tst_Porovnani_Form : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void comparesWithTheNewestOtherRun();
    void warnsWhenConditionsDiffer();
    void otherFileAndCsv();
    void refusesImpossibleSummaries_data();
    void refusesImpossibleSummaries();
    void hostileLogs();
    void fitsA1024x768Screen();

private:
    // A log of seven synthetic tests at this speed, with these conditions.
    static QByteArray log(double speed, unsigned seed, const QString& conditions = kExtra);
    // Writes the log as "vysledek.log" and keeps it in the history.
    static void keep(const QByteArray& bytes);
    static Porovnani_Form* openComparison();

    std::optional<FrontEndFolder> m_folder;
};

void tst_Porovnani_Form::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_Porovnani_Form::cleanup() {
    m_folder.reset();
}

QByteArray tst_Porovnani_Form::log(double speed, unsigned seed, const QString& conditions) {
    QByteArray bytes = logHeader().replace(cp1250(kExtra), cp1250(conditions));
    // Different dates, so that the history orders the runs.
    bytes.replace(cp1250(QStringLiteral("čas běhu")),
                  QByteArray("2026-01-01 00:00:0") + QByteArray::number(seed % 10));
    SyntheticRuns::Shape shape;
    shape.speed = speed;
    for (unsigned test = 0; test < 7; ++test) {
        QList<double> rates = SyntheticRuns::Rates(shape, seed * 10 + test);
        // A value that is no rate: the line of test 5 has a gap.
        rates[100] = test == 4 ? 0 : rates[100];
        bytes += QByteArray::number(rates.size()) + "\r\n";
        for (const double rate : rates) {
            bytes += QByteArray::number(rate, 'f', 3) + "\r\n";
        }
        bytes += "0\r\n";
    }
    return bytes + "konec\r\n";
}

void tst_Porovnani_Form::keep(const QByteArray& bytes) {
    QVERIFY(TestSupport::writeRaw(EngineContract::kResultsLogFileName, bytes));
    QVERIFY(!RunHistory::Keep(EngineContract::kResultsLogFileName, 1));
}

Porovnani_Form* tst_Porovnani_Form::openComparison() {
    Podrobnosti_Form* details = Podrobnosti_Form::instance();
    if (!details->ReadLog()) {
        return nullptr;
    }
    QTest::mouseClick(details->Command3, Qt::LeftButton);
    return Porovnani_Form::existing();
}

void tst_Porovnani_Form::comparesWithTheNewestOtherRun() {
    keep(log(1.0, 1));
    keep(log(1.0, 2));
    // The current run is 10 % faster and kept as well: it is the newest.
    keep(log(1.1, 3));
    Porovnani_Form* window = openComparison();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->List1->rowCount(), 3);
    QCOMPARE(window->List1->item(0, 0)->text(), QStringLiteral("2026-01-01 00:00:03 (tento běh)"));
    QCOMPARE(window->List1->item(0, 2)->text(), kExtra);
    QCOMPARE(window->List1->currentRow(), 1);
    QVERIFY(window->Label2->text().isEmpty());
    QCOMPARE(window->Grid1->rowCount(), 7);
    for (int row = 0; row < 7; ++row) {
        QCOMPARE(window->Grid1->item(row, 10)->text(), QStringLiteral("rychlejší"));
        const double difference = window->Grid1->item(row, 3)->text().toDouble();
        QVERIFY2(difference > 8 && difference < 12, qPrintable(window->Grid1->item(row, 3)->text()));
    }

    // Both runs in the graph, in two colours, one legend entry each.
    window->Grid1->setCurrentCell(4, 0);
    QChart* chart = window->Chart1->chart();
    QCOMPARE(chart->title(), QStringLiteral("Doba snímků: Procedurální textury"));
    // Drawn, as the user sees it: the legend is laid out.
    window->grab();
    QStringList legend;
    QSet<QRgb> colours;
    for (QAbstractSeries* series : chart->series()) {
        colours.insert(static_cast<QLineSeries*>(series)->color().rgb());
        for (QLegendMarker* marker : chart->legend()->markers(series)) {
            if (marker->isVisible()) {
                legend << marker->label();
            }
        }
    }
    QCOMPARE(legend, (QStringList{"Tento běh", "Zvolený běh"}));
    QCOMPARE(colours.size(), 2);
    QCOMPARE(chart->series().size(), 4);
    QVERIFY(MessageBox::recorded().isEmpty());

    // The oldest run instead: a run of the same speed as the one before.
    window->List1->setCurrentCell(2, 0);
    QVERIFY(window->Label1->text().contains(QStringLiteral("historie/20260101-000001-")));
    QCOMPARE(window->Grid1->currentRow(), 4);

    // Another file: no kept run stays chosen, and clicking the one that was
    // chooses it again.
    QVERIFY(TestSupport::writeRaw(QStringLiteral("jiny.log"), log(1.0, 4)));
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("jiny.log"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QVERIFY(window->List1->selectedItems().isEmpty());
    QTest::mouseClick(window->List1->viewport(), Qt::LeftButton, {},
                      window->List1->visualItemRect(window->List1->item(2, 0)).center());
    QVERIFY(window->Label1->text().contains(QStringLiteral("historie/20260101-000001-")));

    // A sidecar with garbage for a score: the list shows none, and the run's
    // figures come from its log.
    const QString sidecar = RunHistory::List()->at(2).logFile.chopped(4) + QStringLiteral(".txt");
    QList<QByteArray> lines = TestSupport::readAll(sidecar).split('\n');
    lines[1] = "\x01garbage";
    QVERIFY(TestSupport::writeRaw(sidecar, lines.join('\n')));
    window->Compare(Podrobnosti_Form::existing()->details());
    QCOMPARE(window->List1->item(2, 1)->text(), QString());
    window->List1->setCurrentCell(2, 0);
    const double score = ResultsLog::ReadResultsLog(RunHistory::List()->at(2).logFile).summary.score;
    QVERIFY(window->Label1->text().endsWith(
        QStringLiteral("(%1 bodů)").arg(NumberRules::FormatScore(score).trimmed())));
}

void tst_Porovnani_Form::warnsWhenConditionsDiffer() {
    const QString conditions = QStringLiteral("okno 800x600, barvy 24 b, Z 24 b, vsync zapnuta");
    keep(log(1.0, 1, conditions));
    QVERIFY(TestSupport::writeRaw(
        EngineContract::kResultsLogFileName,
        log(1.0, 2, QStringLiteral("okno 640x480, barvy 24 b, Z 24 b, vsync vypnuta"))));
    Porovnani_Form* window = openComparison();
    QVERIFY(window);
    QCOMPARE(window->Label2->text(),
             QStringLiteral("Podmínky běhů se liší: okno 640x480 / okno 800x600; vsync "
                            "vypnuta / vsync zapnuta"));
    // Same distribution: no test differs beyond its noise.
    int withinNoise = 0;
    for (int row = 0; row < 7; ++row) {
        withinNoise += window->Grid1->item(row, 10)->text() == QStringLiteral("rozdíl v rámci šumu") ? 1 : 0;
    }
    QVERIFY2(withinNoise >= 6, qPrintable(QString::number(withinNoise)));
}

void tst_Porovnani_Form::otherFileAndCsv() {
    QVERIFY(TestSupport::writeRaw(EngineContract::kResultsLogFileName, log(1.0, 1)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("jiny.log"), log(1.0, 2)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("poskozeny.log"), logHeader() + "5\r\n1\r\n"));
    Porovnani_Form* window = openComparison();
    QVERIFY(window);
    QCOMPARE(window->List1->rowCount(), 0);
    QVERIFY(!window->Command2->isEnabled());

    FileDialog::setAnswer([](const QString&) { return QStringLiteral("jiny.log"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(window->Grid1->rowCount(), 7);
    // A damaged log is reported and the comparison stays.
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("poskozeny.log"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 1);
    QVERIFY(MessageBox::recorded()[0].text.contains(QStringLiteral("poskozeny.log")));
    QVERIFY(window->Label1->text().contains(QStringLiteral("jiny.log")));

    FileDialog::setAnswer([](const QString&) { return QStringLiteral("porovnani.csv"); });
    QTest::mouseClick(window->Command2, Qt::LeftButton);
    const QList<QByteArray> lines = TestSupport::readAll(QStringLiteral("porovnani.csv")).split('\n');
    QCOMPARE(lines.size(), 9);
    QVERIFY(lines[0].startsWith("test,průměr tento běh (1/s),"));
    const QList<QByteArray> first = lines[1].trimmed().split(',');
    QCOMPARE(first.size(), 19);
    QCOMPARE(QString::fromUtf8(first[0]), QStringLiteral("Průlet krajinou"));
    QCOMPARE(first[1].toDouble(),
             std::round(window->comparison().tests[0].current.averageRate * 1000) / 1000);
    QCOMPARE(QString::fromUtf8(first[13]), window->Grid1->item(0, 10)->text());

    // The engine's summary of tests 3 and 6 of the other log: their figures
    // beside the same tests, no judgement, and only this run's frame times
    // in the graph.
    const ResultsDetails::Details other = ResultsDetails::ReadDetails(QStringLiteral("jiny.log"));
    ResultsDetails::Details some = other;
    some.tests = {other.tests[2], other.tests[5]};
    QVERIFY(
        TestSupport::writeRaw(QStringLiteral("souhrn.json"),
                              SyntheticRuns::Summary(some, {"3D Trenzor", "2026-01-01", kMemory, kSystem,
                                                            kExtra, kProcessor, QStringLiteral("Radeon")})));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("rozbity.json"), "{\"program\": "));
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("souhrn.json"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(window->Grid1->rowCount(), 7);
    QCOMPARE(window->Grid1->item(2, 2)->text(), QString::number(other.tests[2].figures.averageRate, 'f', 2));
    const double percent = RunComparison::DifferencePercent(window->comparison().tests[2].current.averageRate,
                                                            other.tests[2].figures.averageRate);
    QCOMPARE(window->Grid1->item(2, 3)->text().toDouble(), std::round(percent * 10) / 10);
    QCOMPARE(window->Grid1->item(2, 10)->text(), QStringLiteral("bez snímků nelze posoudit"));
    QCOMPARE(window->Grid1->item(5, 2)->text(), QString::number(other.tests[5].figures.averageRate, 'f', 2));
    QCOMPARE(window->Grid1->item(3, 2)->text(), QStringLiteral("–"));
    window->Grid1->setCurrentCell(2, 0);
    // A summary's stutter share is shown, its difference not judged.
    QCOMPARE(
        window->Label3->text(),
        QStringLiteral("Záseky – %1: tento běh %2 % času, zvolený běh %3 % času: bez snímků nelze posoudit")
            .arg(other.tests[2].name,
                 QString::number(window->comparison().tests[2].current.smoothness->stutterPercent, 'f', 2),
                 QString::number(other.tests[2].figures.smoothness->stutterPercent, 'f', 2)));
    QCOMPARE(window->Label2->text(),
             QStringLiteral("Podmínky běhů se liší: grafická karta %1 / Radeon").arg(kGraphics));
    window->grab();
    QStringList legend;
    for (QAbstractSeries* series : window->Chart1->chart()->series()) {
        for (QLegendMarker* marker : window->Chart1->chart()->legend()->markers(series)) {
            if (marker->isVisible()) {
                legend << marker->label();
            }
        }
    }
    QCOMPARE(legend, QStringList{"Tento běh (zvolený běh je souhrn bez dob snímků)"});
    // A broken summary is refused with the file and the reason.
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("rozbity.json"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 2);
    QVERIFY(MessageBox::recorded()[1].text.contains(QStringLiteral("„rozbity.json“")));
    QVERIFY(MessageBox::recorded()[1].text.contains(QStringLiteral("není platný JSON")));
    QVERIFY(window->Label1->text().contains(QStringLiteral("souhrn.json")));
}

void tst_Porovnani_Form::refusesImpossibleSummaries_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("reason");
    QTest::newRow("negative rate") << "averageRate" << -25.29 << "pole \"averageRate\"";
    QTest::newRow("seven tests numbered 3") << "index" << 3.0 << "test 3 je v souhrnu dvakrát";
    QTest::newRow("frames beyond the values") << "frames" << 2147483647.0 << "pole \"frames\"";
    QTest::newRow("seconds 1e308") << "seconds" << 1e308 << "pole \"seconds\"";
    QTest::newRow("seconds 100000") << "seconds" << 100000.0 << "pole \"seconds\"";
}

// A summary whose figures no run can have is refused with the file and the
// reason, as a broken one is, and the comparison shown stays.
void tst_Porovnani_Form::refusesImpossibleSummaries() {
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, reason);
    QVERIFY(TestSupport::writeRaw(EngineContract::kResultsLogFileName, log(1.0, 1)));
    QVERIFY(TestSupport::writeRaw(QStringLiteral("jiny.log"), log(1.0, 2)));
    const ResultsDetails::Details other = ResultsDetails::ReadDetails(QStringLiteral("jiny.log"));
    QJsonObject summary =
        QJsonDocument::fromJson(SyntheticRuns::Summary(other, QStringList(7, QStringLiteral("x")))).object();
    QJsonArray tests = summary[QStringLiteral("tests")].toArray();
    for (qsizetype test = 0; test < tests.size(); ++test) {
        QJsonObject figures = tests[test].toObject();
        figures[field] = value;
        tests[test] = figures;
    }
    summary[QStringLiteral("tests")] = tests;
    QVERIFY(TestSupport::writeRaw(QStringLiteral("souhrn.json"), QJsonDocument(summary).toJson()));
    Porovnani_Form* window = openComparison();
    QVERIFY(window);
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("jiny.log"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("souhrn.json"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 1);
    QVERIFY(MessageBox::recorded()[0].text.contains(QStringLiteral("„souhrn.json“")));
    QVERIFY2(MessageBox::recorded()[0].text.contains(reason), qPrintable(MessageBox::recorded()[0].text));
    QVERIFY(window->Label1->text().contains(QStringLiteral("jiny.log")));
}

// Each hostile log, chosen through "Jiný soubor…" and every row clicked,
// leaves the window answering (the test ends) with under 100 MB more memory.
void tst_Porovnani_Form::hostileLogs() {
    QVERIFY(TestSupport::writeRaw(EngineContract::kResultsLogFileName, log(1.0, 1)));
    Porovnani_Form* window = openComparison();
    QVERIFY(window);
    const long before = residentKb();
    for (const HostileLog& hostile : ResultsFixture::hostileLogs()) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("jiny.log"), logHeader() + hostile.log));
        FileDialog::setAnswer([](const QString&) { return QStringLiteral("jiny.log"); });
        const qsizetype messages = MessageBox::recorded().size();
        QTest::mouseClick(window->Command1, Qt::LeftButton);
        QCOMPARE(MessageBox::recorded().size() == messages, !hostile.percentile99.isEmpty());
        for (int row = 0; row < window->Grid1->rowCount(); ++row) {
            QTest::mouseClick(window->Grid1->viewport(), Qt::LeftButton, {},
                              window->Grid1->visualItemRect(window->Grid1->item(row, 0)).center());
            QCOMPARE(window->Grid1->currentRow(), row);
            window->grab();
        }
    }
    QVERIFY2(residentKb() - before < kHostileFileMemoryKb,
             qPrintable(QString::number(residentKb() - before)));
}

// On a 1024x768 screen (the offscreen platform's, set by the test's
// configuration) the window leaves room for a title bar and a panel, and
// every text cut short in a table is whole in its tooltip.
void tst_Porovnani_Form::fitsA1024x768Screen() {
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768));
    const QString conditions = QStringLiteral("okno 640x480 na obrazovce 1024x768, barvy 24 b, Z 24 b, "
                                              "synchr. vypnuta, bezpečný mód");
    keep(log(1.0, 1, conditions));
    // Many times as fast: differences of four digits.
    QVERIFY(TestSupport::writeRaw(EngineContract::kResultsLogFileName, log(40, 2)));
    Porovnani_Form* window = openComparison();
    QVERIFY(window);
    // A title bar and a panel take up to 100 pixels of the screen's height.
    QVERIFY2(window->height() + 100 <= 768, qPrintable(QString::number(window->height())));
    for (const QPushButton* button : window->findChildren<QPushButton*>()) {
        QVERIFY(window->rect().contains(button->geometry()));
    }
    QVERIFY2(window->Grid1->item(0, 3)->text().toDouble() >= 1000,
             qPrintable(window->Grid1->item(0, 3)->text()));
    for (const int column : {3, 6}) {
        QVERIFY2(window->Grid1->item(0, column)->toolTip().isEmpty(),
                 qPrintable(window->Grid1->item(0, column)->text()));
    }
    const QTableWidgetItem* listed = window->List1->item(0, 2);
    QVERIFY(listed->toolTip().isEmpty() || listed->toolTip() == conditions);

    const ResultsDetails::Details other = ResultsDetails::ReadDetails(RunHistory::List()->at(0).logFile);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("souhrn.json"),
                                  SyntheticRuns::Summary(other, QStringList(7, QStringLiteral("x")))));
    FileDialog::setAnswer([](const QString&) { return QStringLiteral("souhrn.json"); });
    QTest::mouseClick(window->Command1, Qt::LeftButton);
    const QTableWidgetItem* verdict = window->Grid1->item(0, 10);
    QCOMPARE(verdict->text(), QStringLiteral("bez snímků nelze posoudit"));
    QVERIFY2(window->Label3->fontMetrics().horizontalAdvance(window->Label3->text()) <=
                 window->Label3->contentsRect().width(),
             qPrintable(window->Label3->text()));
    QVERIFY(verdict->toolTip().startsWith(verdict->text()));
}

QTEST_MAIN(tst_Porovnani_Form)
#include "tst_Porovnani_Form.moc"
