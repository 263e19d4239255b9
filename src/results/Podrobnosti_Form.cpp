#include "Podrobnosti_Form.h"

#include "FrameTimeChart.h"
#include "Porovnani_Form.h"
#include "ResultsCsv.h"
#include "common/FileDialog.h"
#include "common/FormDisplay.h"
#include "common/GridCell.h"
#include "common/MessageBox.h"
#include "common/Twips.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QMap>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kHistogramBins = 40;
// The window's height in twips, and how much Chart3 adds below the others.
constexpr int kHeightTwips = 9015;
constexpr int kSustainedTwips = 2520;
constexpr int kButtonsTopTwips = 8400;
constexpr QColor kLineColour(0x20, 0x9f, 0xdf);
constexpr QColor kStutterColour(0xd0, 0x30, 0x30);

// Titles of two short lines, so that thirteen columns fit the window's width.
const QStringList& ColumnTitles() {
    static const QStringList titles = {
        QStringLiteral("Test"),
        QStringLiteral("Snímky"),
        QStringLiteral("Doba\n(s)"),
        QStringLiteral("Průměr\n(fps)"),
        QStringLiteral("1% low\n(fps)"),
        QStringLiteral("1 % času\nnejpomalejší (fps)"),
        QStringLiteral("99. percentil\n(ms)"),
        QStringLiteral("Nejpomalejší\n(fps)"),
        QStringLiteral("Nejrychlejší\n(fps)"),
        QStringLiteral("Záseky\n(snímky)"),
        QStringLiteral("Záseky\n(% času)"),
        QStringLiteral("Kolísání\n(ms)"),
        QStringLiteral("Vynecháno"),
    };
    return titles;
}

QString Fixed(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QLabel* FigureLabel(QWidget* parent, const QString& name, const QRect& geometry, const QString& toolTip) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setToolTip(toolTip);
    return label;
}

// A chart with two value axes titled in Czech, without legend or animation.
QChartView* ChartView(QWidget* parent, const QString& name, const QRect& geometry, const QString& xTitle,
                      const QString& yTitle) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* x = new QValueAxis;
    x->setTitleText(xTitle);
    x->setLabelFormat(QStringLiteral("%g"));
    auto* y = new QValueAxis;
    y->setTitleText(yTitle);
    y->setLabelFormat(QStringLiteral("%g"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    auto* view = new QChartView(chart, parent);
    view->setObjectName(name);
    view->setGeometry(geometry);
    return view;
}

QValueAxis* Axis(QChart* chart, Qt::Orientation orientation) {
    return static_cast<QValueAxis*>(chart->axes(orientation).constFirst());
}

// An axis from..to widened to round steps, so that its labels read 0, 2.5,
// 5 rather than 0, 2.5021, 5.00421.
void SetRange(QChart* chart, Qt::Orientation orientation, double from, double to) {
    QValueAxis* axis = Axis(chart, orientation);
    axis->setRange(from, to);
    axis->applyNiceNumbers();
}

void Attach(QChart* chart, QAbstractSeries* series) {
    chart->addSeries(series);
    series->attachAxis(Axis(chart, Qt::Horizontal));
    series->attachAxis(Axis(chart, Qt::Vertical));
}

} // namespace

Podrobnosti_Form::Podrobnosti_Form() {
    setObjectName(QStringLiteral("Podrobnosti_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Podrobnosti výsledků"));
    resize(Twips::px(14850), Twips::px(kHeightTwips));

    Grid1 = new QTableWidget(0, int(ColumnTitles().size()), this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setGeometry(Twips::rect(120, 120, 14610, 2940));
    Grid1->setHorizontalHeaderLabels(ColumnTitles());
    Grid1->verticalHeader()->hide();
    Grid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid1->setSelectionMode(QAbstractItemView::SingleSelection);
    // Seven rows and a two-line header fill the table without scroll bars.
    // "Doba (s)" holds the longest a test can take, "7200.000".
    const int columnTwips[] = {1830, 870, 990, 900, 900, 1680, 1200, 1260, 1260, 870, 870, 870, 1050};
    for (int column = 0; column < Grid1->columnCount(); ++column) {
        Grid1->setColumnWidth(column, Twips::px(columnTwips[column]));
    }
    Grid1->horizontalHeader()->setFixedHeight(Twips::px(540));
    // A selected row would make every title bold, and too wide for its column.
    Grid1->horizontalHeader()->setHighlightSections(false);
    Grid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    Grid1->verticalHeader()->setDefaultSectionSize(Twips::px(330));
    Grid1->setToolTip(QStringLiteral(
        "Jeden řádek na test. Průměr = snímky / doba testu. 1% low = 1000 / 99. percentil doby snímku: "
        "nejvýš 1 % snímků trvalo déle. 1 % času nejpomalejší = snímky / čas nejpomalejších snímků, které "
        "spolu trvaly 1 % doby testu. Nejpomalejší a nejrychlejší snímek jako snímková frekvence. Záseky: "
        "snímky delší než 2,5× medián doby snímku, jejich počet a podíl na době testu. Kolísání = 99. "
        "percentil rozdílu doby snímku oproti předchozímu snímku."));

    Label1 = FigureLabel(
        this, QStringLiteral("Label1"), Twips::rect(120, 3180, 7260, 300),
        QStringLiteral("Všechny snímky všech testů děleno součtem jejich dob. Každá sekunda váží stejně, "
                       "takže delší a pomalejší testy váží víc."));
    Label2 = FigureLabel(
        this, QStringLiteral("Label2"), Twips::rect(7500, 3180, 7230, 300),
        QStringLiteral("Geometrický průměr průměrných snímkových frekvencí testů: každý test váží stejně, "
                       "ať vykreslil snímků kolik chce. Dvakrát rychlejší test jej zvýší stejným dílem, "
                       "ať je to kterýkoli test."));
    Label3 = FigureLabel(
        this, QStringLiteral("Label3"), Twips::rect(120, 3480, 14610, 300),
        QStringLiteral("Výsledek, jak jej ukazuje okno Výsledky testů: součet všech hodnot záznamu děleno "
                       "počtem snímků, tedy průměr okamžitých snímkových frekvencí. Každý snímek váží "
                       "stejně, takže rychlé testy s mnoha snímky váží víc, a při kolísající době snímku "
                       "vychází výš než snímky / celková doba."));
    Label4 = FigureLabel(
        this, QStringLiteral("Label4"), Twips::rect(120, 3780, 14610, 420),
        QStringLiteral("Hodnoty 0, záporné nebo nekonečné nejsou snímkovou frekvencí: do údajů se "
                       "nepočítají a v grafu jsou mezerou. Výsledek v bodech je sčítá, jak jsou. Test, "
                       "který zobrazil víc snímků, než se vejde do záznamu, zapsal jen každý 2. (4., …) "
                       "snímek: je uveden se svým vzorkem."));

    Label5 = FigureLabel(
        this, QStringLiteral("Label5"), Twips::rect(120, 8370, 8850, 600),
        QStringLiteral("Vybraný test: energie z čidel počítače, průměrný příkon a body (průměr okamžitých "
                       "snímkových frekvencí testu) na watt; nejvyšší teplota a průměrný takt procesoru a "
                       "grafické karty. Co systém bez práv roota nedá číst, je nedostupné s důvodem."));
    Label5->setWordWrap(true);

    // Room for a second line of marks when many tests were thinned.
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Chart1 = new FrameTimeChart(false, this);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(Twips::rect(120, 4200, 9450, 4080));
    Chart2 = ChartView(this, QStringLiteral("Chart2"), Twips::rect(9690, 4200, 5040, 4080),
                       QStringLiteral("Doba snímku (ms)"), QStringLiteral("Počet snímků"));
    // A narrow chart: fewer labels, so that they are not cut short.
    Axis(Chart2->chart(), Qt::Horizontal)->setTickCount(4);

    Chart3 = ChartView(this, QStringLiteral("Chart3"), Twips::rect(120, kButtonsTopTwips, 14610, 2400),
                       QStringLiteral("Čas od začátku (min)"), QStringLiteral("Skóre (bodů)"));
    Chart3->setToolTip(QStringLiteral(
        "Skóre každého běhu trvalého testu (trenzor.exe --sustain) v minutách od začátku prvního běhu. "
        "Stabilita je skóre nejhoršího běhu děleno skóre nejlepšího: nad 97 % karta pod zátěží drží "
        "výkon, jinak zpomaluje."));
    Chart3->hide();

    Command1 = new QPushButton(QStringLiteral("Uložit jako CSV…"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(11130, 8400, 1935, 495));
    Command2 = new QPushButton(QStringLiteral("Zavřít"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(13170, 8400, 1560, 495));

    Command3 = new QPushButton(QStringLiteral("Porovnat s…"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::rect(9090, 8400, 1935, 495));

    connect(Grid1, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { Grid1_CurrentRowChanged(row); });
    connect(Command1, &QPushButton::clicked, this, &Podrobnosti_Form::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Podrobnosti_Form::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Podrobnosti_Form::Command3_Click);
}

bool Podrobnosti_Form::ReadLog() {
    using ResultsLog::Outcome;
    ResultsDetails::Details details = ResultsDetails::ReadDetails();
    if (details.outcome != Outcome::Ok) {
        const ResultsLog::Failure failure = ResultsLog::FailureOf(details.outcome, details.error);
        MessageBox::show(failure.text, failure.warning ? MessageBox::Warning : MessageBox::Plain);
        // What the window showed belongs to a log that is gone.
        hide();
        return false;
    }
    m_details = std::move(details);
    ShowDetails();
    return true;
}

void Podrobnosti_Form::ShowDetails() {
    const QSignalBlocker blocker(Grid1);
    Grid1->setRowCount(int(m_details.tests.size()));
    // The names of the thinned tests by their mark, so that many fit the line.
    QMap<int, QStringList> thinned;
    for (int row = 0; row < Grid1->rowCount(); ++row) {
        const ResultsDetails::TestDetails& test = m_details.tests[row];
        const FrameStatistics::BlockFigures& f = test.figures;
        const bool any = f.frames > 0;
        // A test without a usable frame has no figures to show.
        const auto figure = [any](double value, int decimals) {
            return any ? Fixed(value, decimals) : QStringLiteral("–");
        };
        // A summary written before the smoothness figures has none.
        const auto smooth = [&f](double Smoothness::Figures::*value, int decimals) {
            return f.smoothness ? Fixed((*f.smoothness).*value, decimals) : QStringLiteral("–");
        };
        const QString texts[] = {
            test.name,
            QString::number(f.frames),
            figure(f.seconds, 3),
            figure(f.averageRate, 2),
            figure(f.low1PercentRate, 2),
            smooth(&Smoothness::Figures::slowestTimeRate, 2),
            figure(f.percentile99Ms, 2),
            figure(f.slowestRate, 2),
            figure(f.fastestRate, 2),
            f.smoothness ? QString::number(f.smoothness->stutterFrames) : QStringLiteral("–"),
            smooth(&Smoothness::Figures::stutterPercent, 2),
            smooth(&Smoothness::Figures::jitter99Ms, 2),
            QString::number(f.leftOut),
        };
        for (int column = 0; column < Grid1->columnCount(); ++column) {
            Grid1->setItem(row, column, GridCell::make(texts[column], column > 0));
        }
        const QString mark = ResultsDetails::SampleMark(test);
        if (!mark.isEmpty()) {
            Grid1->item(row, 0)->setToolTip(
                QStringLiteral("%1: záznam má jen každý %2. snímek testu. Snímky a doba jsou všech snímků, "
                               "ostatní údaje a grafy jsou ze zapsaného vzorku.")
                    .arg(mark)
                    .arg(f.stride));
            thinned[f.stride] << test.name;
        }
    }
    GridCell::showCutTextsWhole(Grid1);
    const FrameStatistics::RunFigures& run = m_details.run;
    Label1->setText(QStringLiteral("Snímky / celková doba: %1 fps").arg(Fixed(run.framesPerSecond, 2)));
    Label2->setText(QStringLiteral("Geometrický průměr testů: %1 fps").arg(Fixed(run.geometricMeanRate, 2)));
    Label3->setText(
        QStringLiteral("Výsledek: %1").arg(ResultsLog::ScoreCaption(m_details.summary).trimmed()));
    QString leftOutAndMarks =
        QStringLiteral("Vynechané hodnoty (0, záporné, nekonečné nebo delší než test): %1").arg(run.leftOut);
    for (auto stride = thinned.cbegin(); stride != thinned.cend(); ++stride) {
        leftOutAndMarks +=
            QStringLiteral("; %1 – %2")
                .arg(BlockSampling{stride.key(), 0, 0}.Mark(), stride.value().join(QStringLiteral(", ")));
    }
    Label4->setText(leftOutAndMarks);
    ShowSustained();
    Grid1->setCurrentCell(0, 0);
    Grid1_CurrentRowChanged(0);
}

void Podrobnosti_Form::ShowSustained() {
    QChart* chart = Chart3->chart();
    chart->removeAllSeries();
    const std::optional<RunSummaryCodec::Summary>& summary = m_details.runSummary;
    const QList<QPointF> points = summary ? ResultsDetails::SustainedScores(*summary) : QList<QPointF>();
    const bool shown = !points.isEmpty() || !m_details.summaryError.isEmpty();
    // The window grows by the chart's room when it appears and shrinks when
    // it goes, keeping whatever size the user gave it otherwise.
    if (shown == Chart3->isHidden()) {
        resize(width(), height() + (shown ? 1 : -1) * Twips::px(kSustainedTwips));
    }
    Chart3->setVisible(shown);
    for (QWidget* bottom : std::initializer_list<QWidget*>{Label5, Command1, Command2, Command3}) {
        bottom->move(bottom->x(), Twips::px(kButtonsTopTwips + (shown ? kSustainedTwips : 0)));
    }
    if (points.isEmpty()) {
        chart->setTitle(m_details.summaryError);
        SetRange(chart, Qt::Horizontal, 0, 1);
        SetRange(chart, Qt::Vertical, 0, 1);
        return;
    }
    const QString stability = summary->scoreSpread
                                  ? QStringLiteral("stabilita %1 %")
                                        .arg(Fixed(summary->scoreSpread->stabilityPercent.value_or(0), 2))
                                  : QStringLiteral("jen jeden běh");
    chart->setTitle(
        QStringLiteral("Skóre běhů v čase (%1 min, %2)").arg(summary->sustainMinutes).arg(stability));
    double lowest = 0;
    double highest = 0;
    for (const QPointF& point : points) {
        lowest = std::min(lowest, point.y());
        highest = std::max(highest, point.y());
    }
    // The decoder bounds the time to the run's minutes; a score may be any
    // finite number, and the axis a little above the highest must stay one.
    const double end = std::max(points.constLast().x(), double(summary->sustainMinutes));
    const double top = std::isfinite(highest * 1.05) ? highest * 1.05 : highest;
    Axis(chart, Qt::Horizontal)->setRange(0, end);
    Axis(chart, Qt::Vertical)->setRange(lowest, top > lowest ? top : 1);
    auto* line = new QLineSeries;
    // A few points per pixel column, however many runs the summary holds.
    line->replace(ResultsDetails::Thinned(points, 0, end, Chart3->width()));
    line->setPointsVisible(points.size() <= 60);
    line->setColor(kLineColour);
    Attach(chart, line);
}

void Podrobnosti_Form::Grid1_CurrentRowChanged(int row) {
    if (row < 0 || row >= m_details.tests.size()) {
        return;
    }
    const ResultsDetails::TestDetails& test = m_details.tests[row];
    Label5->setText(ResultsDetails::EnergyText(m_details, row));

    const QString mark = ResultsDetails::SampleMark(test);
    Chart1->Show(
        mark.isEmpty() ? QStringLiteral("Doba snímků: %1").arg(test.name)
                       : QStringLiteral("Doba snímků: %1 (%2)").arg(test.name, mark),
        {{QString(), kLineColour, ResultsDetails::FrameTimeRuns(test.rates, test.figures.timeScale)}},
        test.figures.seconds);

    QChart* histogramChart = Chart2->chart();
    histogramChart->removeAllSeries();
    // The chart is narrow: the mark takes a line of its own.
    histogramChart->setTitle(mark.isEmpty() ? QStringLiteral("Rozložení dob snímků")
                                            : QStringLiteral("Rozložení dob snímků<br>(%1)").arg(mark));
    const ResultsDetails::Histogram histogram =
        ResultsDetails::FrameTimeHistogram(test.rates, kHistogramBins, test.figures.stride);
    if (histogram.counts.isEmpty()) {
        SetRange(histogramChart, Qt::Horizontal, 0, 1);
        SetRange(histogramChart, Qt::Vertical, 0, 1);
        return;
    }
    // Bars as one stepped outline, filled down to 0.
    auto* outline = new QLineSeries;
    QList<QPointF> steps;
    steps.reserve(histogram.counts.size() * 2 + 2);
    const double first = histogram.firstMs;
    steps.append(QPointF(first, 0));
    for (qsizetype bin = 0; bin < histogram.counts.size(); ++bin) {
        steps.append(QPointF(first + double(bin) * histogram.binMs, double(histogram.counts[bin])));
        steps.append(QPointF(first + double(bin + 1) * histogram.binMs, double(histogram.counts[bin])));
    }
    const double last = first + double(histogram.counts.size()) * histogram.binMs;
    steps.append(QPointF(last, 0));
    outline->replace(steps);
    const qint64 most = *std::max_element(histogram.counts.cbegin(), histogram.counts.cend());
    SetRange(histogramChart, Qt::Horizontal, first, last);
    SetRange(histogramChart, Qt::Vertical, 0, double(most));
    auto* area = new QAreaSeries(outline);
    Attach(histogramChart, area);
    // The area does not own its outline; removing the area must not leave
    // it behind at every redraw.
    outline->setParent(area);
    // The stutter limit as a line where it falls among the frame times.
    const std::optional<Smoothness::Figures>& smoothness = test.figures.smoothness;
    if (smoothness && smoothness->stutterLimitMs >= first && smoothness->stutterLimitMs <= last) {
        auto* limit = new QLineSeries;
        limit->setName(QStringLiteral("Mez záseku"));
        limit->setColor(kStutterColour);
        limit->replace(
            {QPointF(smoothness->stutterLimitMs, 0), QPointF(smoothness->stutterLimitMs, double(most))});
        Attach(histogramChart, limit);
    }
}

void Podrobnosti_Form::Command1_Click() {
    const QString name = FileDialog::saveFileName(this, QStringLiteral("Uložit jako CSV"),
                                                  QDir::current().filePath(ResultsCsv::kDefaultFileName),
                                                  QStringLiteral("Soubory CSV (*.csv)"));
    if (name.isEmpty()) {
        return;
    }
    if (const std::optional<FileError> error = ResultsCsv::Write(name, m_details)) {
        MessageBox::show(error->message(), MessageBox::Warning);
    }
}

void Podrobnosti_Form::Command3_Click() {
    Porovnani_Form* comparison = Porovnani_Form::instance();
    comparison->Compare(m_details);
    FormDisplay::showModeless(comparison);
}

void Podrobnosti_Form::Command2_Click() {
    hide();
}
