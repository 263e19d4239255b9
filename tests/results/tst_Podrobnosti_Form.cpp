#include "FrontEndFolder.h"
#include "ResultsFixture.h"
#include "WaitDialog.h"
#include "common/FileDialog.h"
#include "common/MessageBox.h"
#include "contract/EnergyReport.h"
#include "contract/RunEvaluation.h"
#include "contract/RunSummaryCodec.h"
#include "results/FrameTimeChart.h"
#include "results/Podrobnosti_Form.h"
#include "results/ResultsCsv.h"
#include "results/Vysledky_Form.h"
#include <QCryptographicHash>
#include <QFile>

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QThreadPool>
#include <QValueAxis>

using namespace ResultsFixture;

class tst_Podrobnosti_Form : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonFollowsTheEvaluation_data();
    void buttonFollowsTheEvaluation();
    void opensTheDetailsOfTheLog();
    void selectingATestRedraws();
    void everyColumnAsComputedByHand();
    void energyOfThisLogOnly();
    void thinnedTestShowsAllItsFrames();
    void hostileLogs_data();
    void hostileLogs();
    void savesCsv();
    void failedCsvSave();
    void sustainedScoresOverTime_data();
    void sustainedScoresOverTime();

private:
    // Presses "Podrobnosti…".
    Podrobnosti_Form* openDetails();

    std::optional<FrontEndFolder> m_folder;
};

namespace {

// The whole text is drawn: a label neither wraps nor elides, so a text wider
// than it is cut off.
bool showsWhole(const QLabel* label) {
    return label->fontMetrics().horizontalAdvance(label->text()) <= label->contentsRect().width();
}

} // namespace

void tst_Podrobnosti_Form::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_Podrobnosti_Form::cleanup() {
    m_folder.reset();
}

Podrobnosti_Form* tst_Podrobnosti_Form::openDetails() {
    QTest::mouseClick(Vysledky_Form::existing()->Command3, Qt::LeftButton);
    return Podrobnosti_Form::existing();
}

// After a usable evaluation of any length the button is enabled; after one
// that fails it is disabled again, whatever the evaluation before allowed.
void tst_Podrobnosti_Form::buttonFollowsTheEvaluation_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("Ok, 7 blocks") << logHeader() + blocksScoring(30, 7) << true;
    QTest::newRow("Ok, 3 blocks") << logHeader() + blocksScoring(30, 3) << true;
    QTest::newRow("NoLog") << QByteArray() << false;
    QTest::newRow("Damaged") << logHeader() + "3\r\n1\r\n" << false;
    QTest::newRow("ZeroFrames") << logHeader() + "0\r\n0\r\nkonec\r\n" << false;
}

void tst_Podrobnosti_Form::buttonFollowsTheEvaluation() {
    QFETCH(QByteArray, log);
    QFETCH(bool, enabled);
    QVERIFY(writeLog(blocksScoring(20, 7)));
    Vysledky_Form* window = WaitDialog::showResults();
    QVERIFY(window->Command3->isEnabled());
    QCOMPARE(window->Command3->geometry(), QRect(352, 368, 97, 33));
    QCOMPARE(window->Command3->text(), QStringLiteral("Podrobnosti…"));

    QFile::remove(QStringLiteral("vysledek.log"));
    if (!log.isEmpty()) {
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log));
    }
    window->hide();
    window = WaitDialog::showResults();
    QCOMPARE(window->Command3->isEnabled(), enabled);
    QCOMPARE(MessageBox::recorded().isEmpty(), enabled);
}

void tst_Podrobnosti_Form::opensTheDetailsOfTheLog() {
    QVERIFY(writeLog(QByteArray("3\r\n1\r\n2\r\n4\r\n0\r\n").repeated(7) + "konec\r\n"));
    Vysledky_Form* results = WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QVERIFY(details && details->isVisible());
    QCOMPARE(details->windowTitle(), QStringLiteral("Podrobnosti výsledků"));
    QVERIFY(!details->isModal());
    QVERIFY(results->isVisible());
    QCOMPARE(details->Grid1->rowCount(), 7);
    QCOMPARE(details->Grid1->item(6, 0)->text(), EngineContract::kTestNames[6].toString());
    // 1, 2 and 4 per second: 3 frames in 1.75 s.
    QCOMPARE(details->Grid1->item(0, 1)->text(), QStringLiteral("3"));
    QCOMPARE(details->Grid1->item(0, 2)->text(), QStringLiteral("1.750"));
    QCOMPARE(details->Grid1->item(0, 3)->text(), QStringLiteral("1.71"));
    QCOMPARE(details->Label3->text(), QStringLiteral("Výsledek: ") + results->Label2->text().trimmed());
    QCOMPARE(details->Label1->text(), QStringLiteral("Snímky / celková doba: 1.71 fps"));
    QCOMPARE(details->Label4->text(),
             QStringLiteral("Vynechané hodnoty (0, záporné, nekonečné nebo delší než test): 0"));
    for (QLabel* label : {details->Label1, details->Label2, details->Label3, details->Label4}) {
        QVERIFY(!label->toolTip().isEmpty());
    }

    // Four-digit rates are shown whole.
    QVERIFY(writeLog(QByteArray("3\r\n1000\r\n2000\r\n4000\r\n0\r\n").repeated(7) + "konec\r\n"));
    QCOMPARE(openDetails(), details);
    QCOMPARE(details->Label2->text(), QStringLiteral("Geometrický průměr testů: 1714.29 fps"));
    for (QLabel* label : {details->Label1, details->Label2, details->Label3}) {
        QVERIFY2(showsWhole(label), qPrintable(label->text()));
    }

    // The log changed since: the next press reads it anew, into the same
    // window.
    QVERIFY(writeLog("2\r\n0\r\n10\r\n0\r\n1\r\n5\r\n0\r\nkonec\r\n"));
    QCOMPARE(openDetails(), details);
    QCOMPARE(details->Grid1->rowCount(), 2);
    QCOMPARE(details->Grid1->item(1, 0)->text(), QStringLiteral("Test 2"));
    QCOMPARE(details->Label4->text(),
             QStringLiteral("Vynechané hodnoty (0, záporné, nekonečné nebo delší než test): 1"));

    // A log gone bad meanwhile: the results window's message, and the
    // details of the old log no longer shown.
    QVERIFY(writeLog("2\r\n1\r\n"));
    QVERIFY(!details->ReadLog());
    QVERIFY(!details->isVisible());
    QCOMPARE(MessageBox::recorded().constLast().text,
             ResultsLog::OutcomeMessage(ResultsLog::Outcome::Damaged));
}

// The graph shows one line per run of frames between gaps; the histogram
// counts them.
void tst_Podrobnosti_Form::selectingATestRedraws() {
    QVERIFY(writeLog("2\r\n10\r\n20\r\n0\r\n"
                     "5\r\n10\r\n0\r\n20\r\n-3\r\n40\r\n0\r\nkonec\r\n"));
    WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QCOMPARE(details->Chart1->chart()->series().size(), 1);
    details->Grid1->setCurrentCell(1, 0);
    QCOMPARE(details->Chart1->chart()->series().size(), 3);
    // One line, broken at the gaps: every piece in the same colour.
    for (QAbstractSeries* piece : details->Chart1->chart()->series()) {
        QCOMPARE(static_cast<QLineSeries*>(piece)->color(),
                 static_cast<QLineSeries*>(details->Chart1->chart()->series().constFirst())->color());
    }
    QVERIFY(details->Chart1->chart()->title().contains(QStringLiteral("Test 2")));
    QCOMPARE(details->Chart2->chart()->series().size(), 1);
    // Redrawing leaves nothing of the earlier drawing behind.
    const QPointer<QLineSeries> outline =
        static_cast<QAreaSeries*>(details->Chart2->chart()->series().constFirst())->upperSeries();
    const QPointer<QAbstractSeries> piece = details->Chart1->chart()->series().constFirst();
    details->Grid1->setCurrentCell(0, 0);
    QVERIFY(outline.isNull());
    QVERIFY(piece.isNull());
    QCOMPARE(details->Grid1->item(1, 12)->text(), QStringLiteral("2"));
}

// The engine's energy file is shown for the test selected while it is the
// log's own; a later log without one shows no earlier run's figures.
void tst_Podrobnosti_Form::energyOfThisLogOnly() {
    const QByteArray log = "2\r\n10\r\n20\r\n0\r\n1\r\n5\r\n0\r\nkonec\r\n";
    QVERIFY(writeLog(log));
    EnergyReport::Report report;
    report.logSha256 = QCryptographicHash::hash(logHeader() + log, QCryptographicHash::Sha256).toHex();
    report.energy.files = QStringLiteral("class/powercap/intel-rapl:0/energy_uj");
    report.cpuTemperature.unavailable = QStringLiteral("žádné čidlo");
    report.gpuTemperature.unavailable =
        QStringLiteral("potřebuje práva roota: class/hwmon/hwmon1/temp1_input");
    report.cpuFrequency.files = QStringLiteral("devices/system/cpu/cpu0/cpufreq/scaling_cur_freq");
    report.gpuFrequency.unavailable = QStringLiteral("žádné čidlo");
    report.tests = {{0, 150.5, 15.05, 1, {}, {}, 2400, {}}, {1, {}, {}, {}, {}, {}, 800, {}}};
    QFile energy(EnergyReport::kFileName);
    QVERIFY(energy.open(QIODevice::WriteOnly) && energy.write(EnergyReport::encode(report)) > 0);
    energy.close();
    WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QCOMPARE(
        details->Label5->text(),
        QStringLiteral("Energie 150,5 J, příkon 15,1 W, 1,00 bodů/W\nCPU nedostupné (žádné čidlo), 2400 MHz; "
                       "GPU nedostupné (potřebuje práva roota: class/hwmon/hwmon1/temp1_input), nedostupné "
                       "(žádné čidlo)"));
    details->Grid1->setCurrentCell(1, 0);
    QVERIFY(details->Label5->text().startsWith(QStringLiteral("Energie nedostupné (málo vzorků)")));
    // A computer without sensors: the one reason is said once.
    for (EnergyReport::Source* source : {&report.energy, &report.cpuTemperature, &report.cpuFrequency,
                                         &report.gpuTemperature, &report.gpuFrequency}) {
        *source = {{}, QStringLiteral("žádné čidlo")};
    }
    QVERIFY(energy.open(QIODevice::WriteOnly) && energy.write(EnergyReport::encode(report)) > 0);
    energy.close();
    QVERIFY(details->ReadLog());
    QCOMPARE(details->Label5->text(), QStringLiteral("Energie a teploty: nedostupné (žádné čidlo)"));
    QVERIFY(writeLog(log + "\r\n"));
    QVERIFY(details->ReadLog());
    QCOMPARE(details->Label5->text(), QStringLiteral("Energie a teploty: nedostupné (běh je nezměřil)"));
}

// Each cell of a row against figures worked out by hand: frames of 20, 50,
// 10 and 40 ms and a value left out.
void tst_Podrobnosti_Form::everyColumnAsComputedByHand() {
    QVERIFY(writeLog("5\r\n50\r\n20\r\n0\r\n100\r\n25\r\n0\r\nkonec\r\n"));
    WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QCOMPARE(details->Grid1->rowCount(), 1);
    // Test, frames, 0.12 s, 4 / 0.12 s, 1000 / 50 ms, the slowest 1.2 ms of
    // the time inside the 50 ms frame, the 99th percentile of 4 frames is
    // the longest (50 ms), slowest 1000 / 50 ms, fastest 1000 / 10 ms, none
    // beyond 2.5 × the median 20 ms, 30 ms from each frame to the next (the
    // gap parts 50 and 10 ms), left out.
    const QStringList expected = {"Test 1", "4",      "0.120", "33.33", "20.00", "20.00", "50.00",
                                  "20.00",  "100.00", "0",     "0.00",  "30.00", "1"};
    QStringList shown;
    for (int column = 0; column < details->Grid1->columnCount(); ++column) {
        shown << details->Grid1->item(0, column)->text();
    }
    QCOMPARE(shown, expected);
    QCOMPARE(details->Grid1->horizontalHeaderItem(5)->text(), QStringLiteral("1 % času\nnejpomalejší (fps)"));
    QCOMPARE(details->Grid1->horizontalHeaderItem(7)->text(), QStringLiteral("Nejpomalejší\n(fps)"));
    QCOMPARE(details->Grid1->horizontalHeaderItem(8)->text(), QStringLiteral("Nejrychlejší\n(fps)"));
    // Thirteen columns fit the table without scrolling, and the window with
    // all it holds a 1024 pixels wide screen.
    QCOMPARE(details->Grid1->horizontalScrollBar()->maximum(), 0);
    QVERIFY2(details->width() <= 1024, qPrintable(QString::number(details->width())));
    for (const QWidget* child : details->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(child->isHidden() || details->rect().contains(child->geometry()),
                 qPrintable(child->objectName()));
    }

    // One 200 ms frame among 999 of 8 ms (docs/smoothness.md): the 1% low
    // stays 125 fps, the slowest 1 % of the time runs at 5 fps, the frame
    // stutters for 2.44 % of the time, and the histogram marks the limit of
    // 20 ms among its bars.
    QByteArray example = "1000\r\n" + QByteArray("125\r\n").repeated(500) + "5\r\n" +
                         QByteArray("125\r\n").repeated(499) + "0\r\nkonec\r\n";
    QVERIFY(writeLog(example));
    QCOMPARE(openDetails(), details);
    shown.clear();
    for (const int column : {4, 5, 6, 9, 10, 11}) {
        shown << details->Grid1->item(0, column)->text();
    }
    QCOMPARE(shown, (QStringList{"125.00", "5.00", "8.00", "1", "2.44", "0.00"}));
    QCOMPARE(details->Chart2->chart()->series().size(), 2);
    const auto* limit = static_cast<QLineSeries*>(details->Chart2->chart()->series().constLast());
    QCOMPARE(limit->at(0).x(), 20.0);
    QCOMPARE(limit->at(1).y(), 999.0);
}

// A test that wrote every 2nd of its 8 frames: the table gives all 8 and
// their 0.25 s, the graph spans them, and the test is marked; so are the
// others thinned, by their step.
void tst_Podrobnosti_Form::thinnedTestShowsAllItsFrames() {
    const auto closing = [](const char* stride, const char* frames, const char* seconds) {
        return cp1250(QStringLiteral("0 vzorek: každý %1. snímek; zobrazeno %2 snímků za %3 s\r\n")
                          .arg(QLatin1String(stride), QLatin1String(frames), QLatin1String(seconds)));
    };
    QVERIFY(writeLog("4\r\n100\r\n50\r\n25\r\n20\r\n" + closing("2", "8", "0.25") + "1\r\n10\r\n0\r\n" +
                     "2\r\n10\r\n10\r\n" + closing("4", "6", "0.5") + "2\r\n20\r\n20\r\n" +
                     closing("2", "4", "0.2") + "konec\r\n"));
    Vysledky_Form* results = WaitDialog::showResults();
    QCOMPARE(results->Label2->text(), QStringLiteral("Neproběhl dostatečný počet testů."));
    Podrobnosti_Form* details = openDetails();
    QCOMPARE(details->Label3->text(), QStringLiteral("Výsledek: Neproběhl dostatečný počet testů."));
    QVERIFY(showsWhole(details->Label3));
    // The score counts the values as always: 265 / 9.
    QCOMPARE(details->details().summary.score, 265.0 / 9);
    QCOMPARE(details->Grid1->item(0, 1)->text(), QStringLiteral("8"));
    QCOMPARE(details->Grid1->item(0, 2)->text(), QStringLiteral("0.250"));
    QCOMPARE(details->Grid1->item(0, 3)->text(), QStringLiteral("32.00"));
    // Its smoothness from the sample: 1.2 ms of the time inside the 50 ms
    // frame, steps of 10, 20 and 10 ms.
    QCOMPARE(details->Grid1->item(0, 5)->text(), QStringLiteral("20.00"));
    QCOMPARE(details->Grid1->item(0, 11)->text(), QStringLiteral("20.00"));
    QCOMPARE(details->Grid1->item(1, 1)->text(), QStringLiteral("1"));
    QVERIFY(details->Grid1->item(0, 0)->toolTip().startsWith(QStringLiteral("vzorek: každý 2. snímek")));
    QVERIFY(details->Grid1->item(1, 0)->toolTip().isEmpty());
    QCOMPARE(details->Grid1->item(2, 1)->text(), QStringLiteral("6"));
    // 19 frames in 1.05 s.
    QCOMPARE(details->Label1->text(), QStringLiteral("Snímky / celková doba: 18.10 fps"));
    QCOMPARE(details->Label4->text(),
             QStringLiteral("Vynechané hodnoty (0, záporné, nekonečné nebo delší než test): 0; "
                            "vzorek: každý 2. snímek – Test 1, Test 4; "
                            "vzorek: každý 4. snímek – Test 3"));
    QCOMPARE(details->Chart1->chart()->title(),
             QStringLiteral("Doba snímků: Test 1 (vzorek: každý 2. snímek)"));
    QCOMPARE(details->Chart2->chart()->title(),
             QStringLiteral("Rozložení dob snímků<br>(vzorek: každý 2. snímek)"));
    const auto* line = static_cast<QLineSeries*>(details->Chart1->chart()->series().constFirst());
    QCOMPARE(line->count(), 4);
    QCOMPARE(line->at(3).x(), 0.25);

    details->Grid1->setCurrentCell(1, 0);
    QCOMPARE(details->Chart1->chart()->title(), QStringLiteral("Doba snímků: Test 2"));
    QCOMPARE(details->Chart2->chart()->title(), QStringLiteral("Rozložení dob snímků"));
}

void tst_Podrobnosti_Form::hostileLogs_data() {
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<QString>("percentile99");
    for (const HostileLog& hostile : ResultsFixture::hostileLogs()) {
        QTest::newRow(hostile.name) << hostile.log << hostile.percentile99;
    }
}

// Opened and every row clicked, each such log leaves the window answering
// (the test ends) with under 100 MB more memory, and its figures real.
void tst_Podrobnosti_Form::hostileLogs() {
    QFETCH(QByteArray, log);
    QFETCH(QString, percentile99);
    QVERIFY(writeLog(log));
    const long before = residentKb();
    Podrobnosti_Form* details = Podrobnosti_Form::instance();
    details->resize(1024, 768);
    if (percentile99.isEmpty()) {
        QVERIFY(!details->ReadLog());
        QCOMPARE(MessageBox::recorded().constLast().text,
                 ResultsLog::OutcomeMessage(ResultsLog::Outcome::Damaged));
        return;
    }
    QVERIFY(details->ReadLog());
    details->show();
    QCOMPARE(details->Grid1->item(0, 6)->text(), percentile99);
    for (int row = 0; row < details->Grid1->rowCount(); ++row) {
        QTest::mouseClick(details->Grid1->viewport(), Qt::LeftButton, {},
                          details->Grid1->visualItemRect(details->Grid1->item(row, 0)).center());
        QCOMPARE(details->Grid1->currentRow(), row);
        details->grab();
        // "Doba (s)" is shown whole, up to the longest a test can take.
        QVERIFY2(details->Grid1->item(row, 2)->toolTip().isEmpty(),
                 qPrintable(details->Grid1->item(row, 2)->text()));
    }
    QVERIFY2(residentKb() - before < kHostileFileMemoryKb,
             qPrintable(QString::number(residentKb() - before)));
}

void tst_Podrobnosti_Form::savesCsv() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QString proposed;
    FileDialog::setAnswer([&proposed](const QString& name) {
        proposed = name;
        return QString();
    });
    QTest::mouseClick(details->Command1, Qt::LeftButton);
    QCOMPARE(proposed, QDir::current().absoluteFilePath(QStringLiteral("vysledek.csv")));
    QVERIFY(!QFileInfo::exists(proposed));

    FileDialog::setAnswer([](const QString& name) { return name; });
    QTest::mouseClick(details->Command1, Qt::LeftButton);
    QVERIFY(MessageBox::recorded().isEmpty());
    QCOMPARE(TestSupport::readAll(QStringLiteral("vysledek.csv")), ResultsCsv::FramesCsv(details->details()));
    QCOMPARE(TestSupport::readAll(QStringLiteral("vysledek-testy.csv")),
             ResultsCsv::TestsCsv(details->details()));
    QCOMPARE(details->details().tests.size(), 7);
}

void tst_Podrobnosti_Form::failedCsvSave() {
    QVERIFY(writeLog(blocksScoring(30, 7)));
    WaitDialog::showResults();
    Podrobnosti_Form* details = openDetails();
    QVERIFY(QDir().mkdir(QStringLiteral("vysledek.csv")));
    FileDialog::setAnswer([](const QString& name) { return name; });
    QTest::mouseClick(details->Command1, Qt::LeftButton);
    QCOMPARE(MessageBox::recorded().size(), 1);
    const MessageBox::Shown& shown = MessageBox::recorded().constFirst();
    QCOMPARE(shown.style, int(MessageBox::Warning));
    QVERIFY2(shown.text.contains(QDir::current().absoluteFilePath(QStringLiteral("vysledek.csv"))),
             qPrintable(shown.text));
    QVERIFY2(shown.text.contains(QStringLiteral("Is a directory")), qPrintable(shown.text));
    QVERIFY(details->isVisible());
}

QTEST_MAIN(tst_Podrobnosti_Form)
#include "tst_Podrobnosti_Form.moc"

// The summary beside the log (souhrn.json) draws a sustained run's scores
// over time when it is this log's; the window grows by the chart and the
// buttons go below it.
void tst_Podrobnosti_Form::sustainedScoresOverTime_data() {
    QTest::addColumn<int>("minutes");
    // Each run's start (s) and score, 0 for the log's score.
    QTest::addColumn<QList<QPointF>>("runs");
    QTest::addColumn<bool>("ofThisLog");
    // Written instead of the summary, when not empty.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");
    const QList<QPointF> three = {{0, 104}, {30, 98}, {45, 0}};
    QTest::newRow("sustained") << 1 << three << true << QByteArray()
                               << "Skóre běhů v čase (1 min, stabilita ";
    QTest::newRow("another log's") << 2 << three << false << QByteArray() << QString();
    QTest::newRow("not sustained") << 0 << three << true << QByteArray() << QString();
    QTest::newRow("broken") << 2 << three << true << QByteArray("{") << "souhrn.json";
    QTest::newRow("runs out of order")
        << 2 << QList<QPointF>{{0, 1}, {50, 2}, {40, 0}} << true << QByteArray() << "začal dřív";
    QTest::newRow("a start after the time")
        << 1 << QList<QPointF>{{0, 1}, {61, 0}} << true << QByteArray() << "startSeconds";
    // Qt Charts is asked for a few points a pixel column, whatever the count.
    QList<QPointF> many;
    for (int i = 0; i < 40000; ++i) {
        many.append({i * 0.1, i % 2 ? 1e150 : 0});
    }
    QTest::newRow("40000 runs") << 120 << many << true << QByteArray()
                                << "Skóre běhů v čase (120 min, stabilita 0.00 %)";
}

void tst_Podrobnosti_Form::sustainedScoresOverTime() {
    QFETCH(int, minutes);
    QFETCH(QList<QPointF>, runs);
    QFETCH(bool, ofThisLog);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    QVERIFY(writeLog(blocksScoring(30, 7)));
    const RunEvaluation log = RunEvaluation::OfFile(QStringLiteral("vysledek.log"));
    RunSummaryCodec::Summary summary;
    for (int line = 0; line < RunSummaryCodec::kHeaderFieldCount; ++line) {
        summary.header << log.headerLine(EngineContract::LogLine(line));
    }
    for (int test = 0; test < 7; ++test) {
        summary.last.tests.append({test, EngineContract::kTestNames[test].toString(), 0, {}});
    }
    summary.last.run.score = log.score() + (ofThisLog ? 0 : 0.001);
    summary.sustainMinutes = minutes;
    QList<double> scores;
    for (const QPointF& run : runs) {
        summary.runs.append({{}, {0, 0, run.y() > 0 ? run.y() : summary.last.run.score, 0}});
        summary.runStartSeconds.append(run.x());
        scores.append(summary.runs.constLast().run.score);
    }
    summary.scoreSpread = RepeatStatistics::Of(scores);
    QVERIFY(TestSupport::writeRaw(QStringLiteral("souhrn.json"),
                                  bytes.isEmpty() ? RunSummaryCodec::encode(summary) : bytes));

    const long before = residentKb();
    Podrobnosti_Form* details = Podrobnosti_Form::instance();
    const int height = details->height();
    QVERIFY(details->ReadLog());
    details->show();
    details->grab();
    const bool shown = !title.isEmpty();
    QCOMPARE(details->Chart3->isVisible(), shown);
    QVERIFY2(details->Chart3->chart()->title().contains(title),
             qPrintable(details->Chart3->chart()->title()));
    QCOMPARE(details->height() > height, shown);
    QCOMPARE(details->Command1->y() > details->Chart3->geometry().bottom(), shown);
    const QList<QAbstractSeries*> series = details->Chart3->chart()->series();
    if (minutes > 0 && ofThisLog && bytes.isEmpty() && title.startsWith(QStringLiteral("Skóre"))) {
        QCOMPARE(series.size(), 1);
        const QList<QPointF> points = static_cast<QLineSeries*>(series.first())->points();
        QVERIFY(points.size() <= 4 * details->Chart3->width());
        QCOMPARE(points.first(), QPointF(0, scores.first()));
        QCOMPARE(points.last().x(), runs.last().x() / 60);
        if (runs.size() == 3) {
            QCOMPARE(points, (QList<QPointF>{{0, 104}, {0.5, 98}, {0.75, log.score()}}));
            const auto* scores =
                static_cast<QValueAxis*>(details->Chart3->chart()->axes(Qt::Vertical).first());
            QCOMPARE(scores->min(), 0.0);
            QVERIFY(scores->max() >= 104);
        }
    } else {
        QVERIFY(series.isEmpty());
    }
    QVERIFY2(residentKb() - before < kHostileFileMemoryKb,
             qPrintable(QString::number(residentKb() - before)));

    // The summary gone, the window is as before.
    QVERIFY(QFile::remove(QStringLiteral("souhrn.json")));
    QVERIFY(details->ReadLog());
    QVERIFY(details->Chart3->isHidden());
    QCOMPARE(details->height(), height);
}
