#pragma once

#include "SystemsDatabase.h"
#include "common/EngineRun.h"
#include "common/SharedInstance.h"

#include <QIcon>
#include <QWidget>
#include <functional>

class ComparisonList;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;

// The results window "Výsledky testů": the tested computer's configuration
// and score from the results log, and the systems database with the user's
// computer placed among the others by score, which "Uložit výsledek" saves.
// Shown modeless by the wait dialog's "Zobrazit výsledky"; every activation
// evaluates the log and the database anew. "Podrobnosti…" opens the details
// window of the same log. A complete run is kept in the run history
// (RunHistory) beside the showing; a history that cannot be written is
// warned about once and changes nothing else. "Aktualizovat seznam
// počítačů" brings the results service's systems in and evaluates anew;
// "Odeslat výsledek…" offers a complete run for the service (Odeslat_Form). "OK" hides it; closing it with
// the title-bar button destroys it, and the next use creates it afresh.
class Vysledky_Form : public QWidget, public SharedInstance<Vysledky_Form> {
    Q_OBJECT
    friend class SharedInstance<Vysledky_Form>;

public:
    void Form_Activate();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();

    QGroupBox* Frame1 = nullptr;
    QListWidget* List1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* Command2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    ComparisonList* ListView1 = nullptr;
    QPushButton* Command1 = nullptr;
    // "Podrobnosti…": the details window of the evaluated log; enabled only
    // after an evaluation that could show a score.
    QPushButton* Command3 = nullptr;
    // "Aktualizovat seznam počítačů": the world's systems from the results
    // service merged into the systems database (WorldSystemsUpdate).
    QPushButton* Command4 = nullptr;
    // "Odeslat výsledek…": the dialog that sends a complete run to the
    // results service (Odeslat_Form); enabled only for a run that joins the
    // comparison.
    QPushButton* Command5 = nullptr;
    // The image list of the comparison list: its one picture.
    QIcon ImageList1;
    // The engine run whose log the window evaluates, asked at every
    // activation; handed over by whoever shows the window (the wait dialog).
    // Without it, or when it yields none, the log is evaluated as it stands.
    std::function<EngineRun*()> CurrentRun;

signals:
    // An activation found the results log: the engine has finished, and
    // whatever stood waiting for it has done its part.
    void resultsLogFound();

private:
    Vysledky_Form();
    // Keeps the evaluated log in the run history on a worker thread.
    void KeepInHistory(double score);
    // A kept run's outcome, delivered on the window's thread: an error is
    // shown once in the window's life.
    void HistoryKept(const std::optional<FileError>& error);

    // What the last activation read, so that a save notices another writer:
    // the database's records, and the user's row with its score (no row when
    // the run does not join the comparison).
    QList<SystemRecord> m_databaseRecords;
    std::optional<SystemRecord> m_userRow;
    double m_userScore = 0;
    bool m_historyWarned = false;
    // A copy into the history is under way, and the score of a run to keep
    // once it is done.
    bool m_keeping = false;
    std::optional<double> m_keepNext;
};
