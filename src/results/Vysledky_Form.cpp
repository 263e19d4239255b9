#include "Vysledky_Form.h"

#include "ComparisonList.h"
#include "ComparisonRows.h"
#include "Odeslat_Form.h"
#include "Podrobnosti_Form.h"
#include "ResultsLog.h"
#include "SystemsDatabase.h"
#include "WorldSystemsUpdate.h"
#include "common/ActivationTracker.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/RunHistory.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>
#include <utility>

namespace {

QLabel* resultLabel(QWidget* parent, const QString& name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Whatever the system substitutes for this classic face; Qt draws the
    // Czech letters in any of them.
    label->setFont(QFont(QStringLiteral("MS Sans Serif"), 12));
    return label;
}

// The user's text in a comparison column. A switch without a default: a
// column added to RecordText without its text here does not build.
QString userText(const ResultsLog::ResultsLogSummary& summary, RecordText column) {
    switch (column) {
    case RecordText::Computer:
        return summary.processorText;
    case RecordText::Score:
        return NumberRules::FormatScore(summary.score);
    case RecordText::GraphicsCard:
        return summary.graphicsCardText;
    case RecordText::Memory:
        break;
    }
    return summary.memoryText;
}

SystemRecord userRecord(const ResultsLog::ResultsLogSummary& summary) {
    SystemRecord record;
    for (const RecordText column : kRecordTexts) {
        record.text(column) = userText(summary, column);
    }
    return record;
}

} // namespace

Vysledky_Form::Vysledky_Form()
    : ImageList1(ComparisonList::MonitorPicture()) {
    setObjectName(QStringLiteral("Vysledky_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Výsledky testů"));
    // A sizable window whose controls keep their places.
    resize(Twips::px(8880), Twips::px(6165));

    Frame1 = new QGroupBox(QStringLiteral("Konfigurace Vašeho počítače"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(120, 120, 8655, 1815));
    List1 = new QListWidget(Frame1);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(Twips::rect(240, 240, 8175, 645));
    List1->addItems({QStringLiteral("Procesor"), QStringLiteral("Grafická karta"),
                     QStringLiteral("Operační Paměť"), QStringLiteral("Operační systém")});
    Label1 = resultLabel(Frame1, QStringLiteral("Label1"), QStringLiteral("Výsledek:"),
                         Twips::rect(240, 1080, 1215, 495));
    Label2 = resultLabel(Frame1, QStringLiteral("Label2"), QStringLiteral("0 bodů"),
                         Twips::rect(1440, 1080, 5055, 495));
    Command2 = new QPushButton(QStringLiteral("Uložit výsledek"), Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(6720, 1080, 1695, 495));

    Frame2 = new QGroupBox(QStringLiteral("Srovnání výsledků s jinými počítači"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(Twips::rect(120, 2160, 8655, 3015));
    ListView1 = new ComparisonList(Frame2);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(Twips::rect(240, 360, 8175, 2415));

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3600, 5520, 1455, 495));
    Command3 = new QPushButton(QStringLiteral("Podrobnosti…"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->setGeometry(Twips::rect(5280, 5520, 1455, 495));
    Command3->setEnabled(false);
    Command4 = new QPushButton(QStringLiteral("Aktualizovat seznam počítačů"), this);
    Command4->setObjectName(QStringLiteral("Command4"));
    Command4->setGeometry(Twips::rect(120, 5520, 3360, 495));
    Command5 = new QPushButton(QStringLiteral("Odeslat výsledek…"), this);
    Command5->setObjectName(QStringLiteral("Command5"));
    Command5->setGeometry(Twips::rect(6960, 5520, 1800, 495));
    Command5->setEnabled(false);
    connect(new WorldSystemsUpdate(Command4), &WorldSystemsUpdate::merged, this,
            &Vysledky_Form::Form_Activate);

    connect(Command1, &QPushButton::clicked, this, &Vysledky_Form::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Vysledky_Form::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Vysledky_Form::Command3_Click);
    connect(Command5, &QPushButton::clicked, this, &Vysledky_Form::Command5_Click);

    ActivationTracker::instance().track(this, [this] { Form_Activate(); });
}

void Vysledky_Form::Form_Activate() {
    using namespace ResultsLog;

    Command2->setEnabled(true);
    Command3->setEnabled(false);
    Command5->setEnabled(false);
    // A log the engine started last has not replaced is an earlier run's:
    // shown now, it would pass for this run's result.
    EngineRun* engine = CurrentRun ? CurrentRun() : nullptr;
    const EngineRun::Verdict run = engine ? engine->verdict() : EngineRun::Verdict::NoRun;
    if (run == EngineRun::Verdict::Running) {
        MessageBox::show(OutcomeMessage(Outcome::NoLog));
        hide();
        return;
    }
    if (run == EngineRun::Verdict::Failed) {
        emit resultsLogFound();
        MessageBox::show(FailedRunMessage(engine->endText()), MessageBox::Warning);
        hide();
        return;
    }
    if (!ResultsLogExists()) {
        MessageBox::show(OutcomeMessage(Outcome::NoLog));
        hide();
        return;
    }
    emit resultsLogFound();
    const ReadResult result = ReadResultsLog();
    if (result.outcome != Outcome::Ok) {
        const Failure failure = FailureOf(result.outcome, result.error);
        MessageBox::show(failure.text, failure.warning ? MessageBox::Warning : MessageBox::Plain);
        hide();
        return;
    }
    const ResultsLogSummary& summary = result.summary;

    Label2->setText(ScoreCaption(summary));
    Command3->setEnabled(true);
    if (!IsScoreShown(summary)) {
        Command2->setEnabled(false);
    }
    ListView1->rows()->clearRows();
    ListView1->resetColumns();
    ListView1->rows()->setSmallIcon(ImageList1);

    m_userScore = summary.score;
    m_userRow.reset();
    if (JoinsComparison(summary)) {
        KeepInHistory(summary.score);
        m_userRow = userRecord(summary);
        Command5->setEnabled(true);
    }
    m_databaseRecords.clear();
    if (SystemsDatabase::SystemsDatabaseExists()) {
        FileResult<QList<SystemRecord>> read = SystemsDatabase::ReadSystemsDatabase();
        if (read.ok()) {
            m_databaseRecords = std::move(read).value();
        } else {
            // Saving a list that lacks the unreadable database would lose it.
            MessageBox::show(read.error()->message(), MessageBox::Warning);
            Command2->setEnabled(false);
        }
    }
    ListView1->rows()->addRows(ComparisonRows::PlaceUser(m_databaseRecords, m_userRow, m_userScore));

    const QString configuration[] = {summary.processorText, summary.graphicsCardText, summary.memoryText,
                                     summary.operatingSystemText, summary.extraText};
    for (int row = 0; row < 5; ++row) {
        if (row < List1->count()) {
            List1->item(row)->setText(configuration[row]);
        } else {
            List1->addItem(configuration[row]);
        }
    }
}

void Vysledky_Form::KeepInHistory(double score) {
    // Two copies at once would write the same temporary file: a run shown
    // again meanwhile is kept after the copy under way.
    if (m_keeping) {
        m_keepNext = score;
        return;
    }
    m_keeping = true;
    // Copying and hashing a log of megabytes would hold the window's first
    // showing; the copy is made beside it. Only the answer comes back to this
    // thread, and only to a window that still exists.
    QPointer<Vysledky_Form> window(this);
    QThreadPool::globalInstance()->start([window, score] {
        std::optional<FileError> error = RunHistory::Keep(EngineContract::kResultsLogFileName, score);
        QMetaObject::invokeMethod(QCoreApplication::instance(), [window, error = std::move(error)] {
            if (window) {
                window->HistoryKept(error);
            }
        });
    });
}

void Vysledky_Form::HistoryKept(const std::optional<FileError>& error) {
    m_keeping = false;
    if (const std::optional<double> next = std::exchange(m_keepNext, std::nullopt)) {
        KeepInHistory(*next);
    }
    // One warning: a folder that cannot be written stays so for every run.
    if (!error || m_historyWarned) {
        return;
    }
    m_historyWarned = true;
    MessageBox::show(QStringLiteral("Běh se neuložil do historie běhů (složka „%1“), výsledky jsou ukázány i "
                                    "tak.\n\n%2")
                         .arg(RunHistory::kFolderName, error->message()),
                     MessageBox::Warning);
}

void Vysledky_Form::Command1_Click() {
    hide();
}

void Vysledky_Form::Command3_Click() {
    // The log is read anew, so the details are those of the log as it is
    // now, which the activation that brought the user here evaluated.
    Podrobnosti_Form* details = Podrobnosti_Form::instance();
    if (details->ReadLog()) {
        FormDisplay::showModeless(details);
    }
}

void Vysledky_Form::Command5_Click() {
    // The log is read anew, as for the details: what the dialog shows is
    // what it sends.
    Odeslat_Form* send = Odeslat_Form::instance();
    if (send->ReadLog()) {
        FormDisplay::showModeless(send);
    }
}

void Vysledky_Form::Command2_Click() {
    // Another writer (a front end elsewhere using the same database through
    // a link, an editor) may have saved since the list was read: the
    // database is read again, and when its records differ the user's row is
    // placed among them anew, so the save does not drop them. A database that
    // has gone is written anew from the list as shown.
    bool changed = false;
    if (SystemsDatabase::SystemsDatabaseExists()) {
        FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
        if (records.error()) {
            // Overwriting a database that cannot be read would lose it.
            MessageBox::show(records.error()->message(), MessageBox::Warning);
            Command2->setEnabled(false);
            return;
        }
        if (*records != m_databaseRecords) {
            changed = true;
            m_databaseRecords = std::move(records).value();
            ListView1->rows()->clearRows();
            ListView1->rows()->addRows(ComparisonRows::PlaceUser(m_databaseRecords, m_userRow, m_userScore));
        }
    }
    const std::optional<FileError> error = SystemsDatabase::WriteSystemsDatabase(ListView1->rows()->rows());
    // After a failure the old database is still whole; the button stays, so
    // the user can retry once the cause is gone.
    Command2->setEnabled(error.has_value());
    if (changed) {
        MessageBox::show(QStringLiteral("Databáze systémů se mezitím změnila, seznam byl aktualizován."));
    }
    if (error) {
        MessageBox::show(error->message(), MessageBox::Warning);
    }
}
