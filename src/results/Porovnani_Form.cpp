#include "Porovnani_Form.h"

#include "FrameTimeChart.h"
#include "common/FileDialog.h"
#include "common/GridCell.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineContract.h"
#include "contract/InputFile.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <cmath>

namespace {

// The current run and the chosen one: the same in the table's header, the
// graph and its legend.
constexpr QColor kCurrentColour(0x20, 0x9f, 0xdf);
constexpr QColor kOtherColour(0xe0, 0x70, 0x10);
const QString kCurrentName = QStringLiteral("Tento běh");
const QString kOtherName = QStringLiteral("Zvolený běh");

const QStringList& ColumnTitles() {
    static const QStringList titles = {
        QStringLiteral("Test"),
        QStringLiteral("Průměr\n(fps)\ntento"),
        QStringLiteral("Průměr\n(fps)\nzvolený"),
        QStringLiteral("Rozdíl\n(%)"),
        QStringLiteral("1% low\n(fps)\ntento"),
        QStringLiteral("1% low\n(fps)\nzvolený"),
        QStringLiteral("Rozdíl\n(%)"),
        QStringLiteral("99. perc.\n(ms)\ntento"),
        QStringLiteral("99. perc.\n(ms)\nzvolený"),
        QStringLiteral("Rozdíl\n(%)"),
        QStringLiteral("Význam rozdílu\nprůměru"),
    };
    return titles;
}

QString Figure(bool present, double value) {
    return present ? QString::number(value, 'f', 2) : QStringLiteral("–");
}

QString Difference(bool present, double current, double other) {
    if (!present || other == 0) {
        return QStringLiteral("–");
    }
    const double percent = RunComparison::DifferencePercent(current, other);
    return (percent > 0 ? QStringLiteral("+") : QString()) + QString::number(percent, 'f', 1);
}

// A kept run's score as its sidecar gives it, to two places: the list is for
// finding a run. The sidecar is only a cache of the log, which the
// comparison reads: a score that does not read as one is not shown.
QString ListedScore(const QString& sidecarScore) {
    bool ok = false;
    const double score = sidecarScore.trimmed().toDouble(&ok);
    return ok && std::isfinite(score) && score >= 0 ? QString::number(score, 'f', 2) : QString();
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    return button;
}

QTableWidget* Table(QWidget* parent, const QString& name, const QStringList& titles, const QRect& geometry) {
    auto* table = new QTableWidget(0, int(titles.size()), parent);
    table->setObjectName(name);
    table->setGeometry(geometry);
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    // A selected row would make every title bold, and too wide for its column.
    table->horizontalHeader()->setHighlightSections(false);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(Twips::px(300));
    return table;
}

} // namespace

Porovnani_Form::Porovnani_Form() {
    setObjectName(QStringLiteral("Porovnani_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Porovnání běhů"));
    // 960 x 664 pixels: on a 1024x768 screen a title bar and a panel of
    // about 100 pixels together leave the buttons in sight.
    resize(Twips::px(14400), Twips::px(9960));

    List1 = Table(this, QStringLiteral("List1"),
                  {QStringLiteral("Datum"), QStringLiteral("Body"), QStringLiteral("Podmínky"),
                   QStringLiteral("Grafická karta")},
                  Twips::rect(120, 120, 12240, 1560));
    // The widths fill the table, so that a cut text is known and gets its
    // tooltip; the conditions take the most room.
    const int listTwips[] = {2940, 900, 5520, 2820};
    for (int column = 0; column < List1->columnCount(); ++column) {
        List1->setColumnWidth(column, Twips::px(listTwips[column]));
    }
    List1->setToolTip(
        QStringLiteral("Běhy uložené ve složce „%1“, nejnovější nahoře.").arg(RunHistory::kFolderName));
    Command1 = Button(this, QStringLiteral("Command1"), QStringLiteral("Jiný soubor…"),
                      Twips::rect(12480, 120, 1800, 495));

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(120, 1800, 14160, 300));
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(Twips::rect(120, 2100, 14160, 420));
    Label2->setWordWrap(true);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setStyleSheet(QStringLiteral("color: #b00000;"));

    Grid1 = Table(this, QStringLiteral("Grid1"), ColumnTitles(), Twips::rect(120, 2580, 14160, 2940));
    // "Rozdíl" holds a four-digit percentage with its sign and decimal,
    // "+1364.5"; the widths fill the table.
    const int gridTwips[] = {1950, 1170, 1170, 960, 1170, 1170, 960, 1350, 1350, 960, 1860};
    for (int column = 0; column < Grid1->columnCount(); ++column) {
        Grid1->setColumnWidth(column, Twips::px(gridTwips[column]));
    }
    Grid1->horizontalHeader()->setFixedHeight(Twips::px(780));
    Grid1->setToolTip(QStringLiteral(
        "Rozdíl = (tento / zvolený − 1) × 100. Význam: oba běhy letí stejnou cestou; každý test se rozdělí "
        "na 32 stejně dlouhých částí a porovnají se jejich snímkové frekvence párovým t-testem na 95 %. "
        "Sousední části, které spolu souvisejí, se nejprve slučují. „rozdíl v rámci šumu“: tak velký rozdíl "
        "mohlo způsobit kolísání běhů samo. „bez snímků nelze posoudit“: zvolený běh je souhrn JSON, "
        "který doby snímků nemá."));

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(Twips::rect(120, 5580, 14160, 300));
    Label3->setToolTip(QStringLiteral(
        "Záseky: snímky delší než 2,5× medián doby snímku téhož běhu, jako podíl doby testu. Význam: "
        "rozdíl podílu záseků v 32 částech testu, párový t-test na 95 % jako u průměru."));

    Chart1 = new FrameTimeChart(true, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(Twips::rect(120, 5940, 14160, 3300));

    Command2 = Button(this, QStringLiteral("Command2"), QStringLiteral("Uložit porovnání jako CSV…"),
                      Twips::rect(9720, 9360, 2760, 495));
    Command3 = Button(this, QStringLiteral("Command3"), QStringLiteral("Zavřít"),
                      Twips::rect(12600, 9360, 1680, 495));
    Command2->setEnabled(false);

    connect(List1, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { List1_CurrentRowChanged(row); });
    connect(Grid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { Grid1_CurrentRowChanged(row); });
    connect(Command1, &QPushButton::clicked, this, &Porovnani_Form::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Porovnani_Form::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Porovnani_Form::Command3_Click);
}

void Porovnani_Form::Compare(const ResultsDetails::Details& current) {
    m_current = current;
    m_other = {};
    m_otherName.clear();
    m_comparison = {};

    // The current log is usually kept already: its row says so, and the
    // newest other run is compared with.
    // Read as any log is, bounded: a log that cannot be read or is too large
    // to be kept is no kept run, and the details window has already said why.
    QString fingerprint;
    const InputFile::Result log =
        InputFile::read(EngineContract::kResultsLogFileName, ResultsLogReader::kMaxLogSize);
    if (log.ok()) {
        fingerprint = RunHistory::Fingerprint(log.bytes);
    }
    FileResult<QList<RunHistory::Entry>> entries = RunHistory::List();
    if (!entries.ok()) {
        MessageBox::show(entries.error()->message(), MessageBox::Warning);
    }
    m_entries = entries.ok() ? std::move(entries).value() : QList<RunHistory::Entry>();
    int first = -1;
    {
        const QSignalBlocker blocker(List1);
        List1->clearContents();
        List1->setRowCount(int(m_entries.size()));
        for (int row = 0; row < List1->rowCount(); ++row) {
            const RunHistory::Entry& entry = m_entries[row];
            const bool isCurrent = entry.fingerprint == fingerprint;
            List1->setItem(
                row, 0,
                GridCell::make(isCurrent ? entry.date + QStringLiteral(" (tento běh)") : entry.date, false));
            List1->setItem(row, 1, GridCell::make(ListedScore(entry.score), true));
            List1->setItem(row, 2, GridCell::make(entry.conditions, false));
            List1->setItem(row, 3, GridCell::make(entry.graphicsCard, false));
            if (first < 0 && !isCurrent) {
                first = row;
            }
        }
        GridCell::showCutTextsWhole(List1);
    }
    if (first >= 0) {
        List1->setCurrentCell(first, 0);
    } else {
        ShowComparison();
    }
}

bool Porovnani_Form::OpenRun(const QString& logFile) {
    ResultsDetails::Details other = RunComparison::ReadRun(logFile);
    if (other.outcome != ResultsLog::Outcome::Ok) {
        const ResultsLog::Failure failure = ResultsLog::FailureOf(other.outcome, other.error);
        MessageBox::show(failure.warning ? failure.text
                                         : QStringLiteral("%1\n\n%2").arg(logFile, failure.text),
                         failure.warning ? MessageBox::Warning : MessageBox::Plain);
        return false;
    }
    m_other = std::move(other);
    m_otherName = logFile;
    m_comparison = RunComparison::Compare(m_current, m_other);
    ShowComparison();
    return true;
}

void Porovnani_Form::ShowComparison() {
    const bool any = !m_otherName.isEmpty();
    Command2->setEnabled(any);
    Label1->setText(any ? QStringLiteral("%1: %2 bodů, %3: %4 (%5 bodů)")
                              .arg(kCurrentName, NumberRules::FormatScore(m_current.summary.score).trimmed(),
                                   kOtherName, QDir::current().relativeFilePath(m_otherName),
                                   NumberRules::FormatScore(m_other.summary.score).trimmed())
                        : QStringLiteral("Zvolte běh ze seznamu nebo jiný soubor."));
    Label2->setText(RunComparison::ConditionsWarning(m_comparison.conditionDifferences));

    const int row = std::max(Grid1->currentRow(), 0);
    {
        const QSignalBlocker blocker(Grid1);
        Grid1->setRowCount(int(m_comparison.tests.size()));
        for (int test = 0; test < Grid1->rowCount(); ++test) {
            const RunComparison::TestComparison& t = m_comparison.tests[test];
            const bool a = t.inCurrent() && t.current.frames > 0;
            const bool b = t.inOther() && t.other.frames > 0;
            const QString texts[] = {
                t.name,
                Figure(a, t.current.averageRate),
                Figure(b, t.other.averageRate),
                Difference(a && b, t.current.averageRate, t.other.averageRate),
                Figure(a, t.current.low1PercentRate),
                Figure(b, t.other.low1PercentRate),
                Difference(a && b, t.current.low1PercentRate, t.other.low1PercentRate),
                Figure(a, t.current.percentile99Ms),
                Figure(b, t.other.percentile99Ms),
                Difference(a && b, t.current.percentile99Ms, t.other.percentile99Ms),
                RunComparison::VerdictText(t.judgement.verdict),
            };
            for (int column = 0; column < Grid1->columnCount(); ++column) {
                Grid1->setItem(test, column, GridCell::make(texts[column], column > 0 && column < 10));
            }
            if (t.judgement.parts > 0) {
                Grid1->item(test, 10)->setToolTip(
                    QStringLiteral("%1 % ± %2 % (95 %), z %3 částí")
                        .arg(QString::number(t.judgement.differencePercent, 'f', 1),
                             QString::number(t.judgement.marginPercent, 'f', 1))
                        .arg(t.judgement.parts));
            }
        }
        GridCell::showCutTextsWhole(Grid1);
    }
    // The graph is drawn once, here, not again by the table's signal.
    if (Grid1->rowCount() > 0) {
        const QSignalBlocker blocker(Grid1);
        Grid1->setCurrentCell(std::min(row, Grid1->rowCount() - 1), 0);
    }
    Grid1_CurrentRowChanged(Grid1->currentRow());
}

void Porovnani_Form::Grid1_CurrentRowChanged(int row) {
    if (row < 0 || row >= m_comparison.tests.size()) {
        Chart1->Clear();
        Label3->clear();
        return;
    }
    const RunComparison::TestComparison& compared = m_comparison.tests[row];
    Label3->setText(RunComparison::StutterLine(compared));
    // A summary has no frame times to draw: the legend says why its line is
    // missing.
    const bool otherWithoutFrames =
        compared.inOther() && RunComparison::LacksFrameTimes(m_other.tests[compared.otherAt]);
    QList<FrameTimeChart::Line> lines = {
        {otherWithoutFrames ? kCurrentName + QStringLiteral(" (zvolený běh je souhrn bez dob snímků)")
                            : kCurrentName,
         kCurrentColour,
         {}},
        {kOtherName, kOtherColour, {}},
    };
    // The axis ends with the longer test.
    double seconds = 0;
    for (const auto& [details, at, line] : {std::tuple{&m_current, compared.currentAt, &lines[0]},
                                            std::tuple{&m_other, compared.otherAt, &lines[1]}}) {
        if (at >= 0) {
            const ResultsDetails::TestDetails& test = details->tests[at];
            line->runs = ResultsDetails::FrameTimeRuns(test.rates, test.figures.timeScale);
            seconds = std::max(seconds, test.figures.seconds);
        }
    }
    Chart1->Show(QStringLiteral("Doba snímků: %1").arg(compared.name), lines, seconds);
}

void Porovnani_Form::List1_CurrentRowChanged(int row) {
    if (row >= 0 && row < m_entries.size()) {
        OpenRun(m_entries[row].logFile);
    }
}

void Porovnani_Form::Command1_Click() {
    const QString name = FileDialog::openFileName(
        this, QStringLiteral("Jiný soubor"), QDir::currentPath(),
        QStringLiteral("Záznamy výsledků a souhrny běhů (*.log *.json);;Všechny soubory (*)"));
    if (!name.isEmpty() && OpenRun(name)) {
        // No kept run is compared now: choosing the one that was becomes a
        // change of row again.
        const QSignalBlocker blocker(List1);
        List1->setCurrentCell(-1, -1);
        List1->clearSelection();
    }
}

void Porovnani_Form::Command2_Click() {
    const QString name = FileDialog::saveFileName(this, QStringLiteral("Uložit porovnání jako CSV"),
                                                  QDir::current().filePath(QStringLiteral("porovnani.csv")),
                                                  QStringLiteral("Soubory CSV (*.csv)"));
    if (name.isEmpty()) {
        return;
    }
    if (const std::optional<FileError> error = TextFile::Replace(name, RunComparison::Csv(m_comparison))) {
        MessageBox::show(error->message(), MessageBox::Warning);
    }
}

void Porovnani_Form::Command3_Click() {
    hide();
}
