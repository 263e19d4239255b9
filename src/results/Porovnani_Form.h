#pragma once

#include "ResultsDetails.h"
#include "RunComparison.h"
#include "common/SharedInstance.h"
#include "contract/RunHistory.h"

#include <QWidget>

class FrameTimeChart;
class QLabel;
class QPushButton;
class QTableWidget;

// The window "Porovnání běhů": the details window's run beside another one,
// chosen from the run history's list (date, score, conditions) or as any
// results log or JSON summary of a run through "Jiný soubor…". Per test both runs' figures, their
// differences and whether a difference is beyond the runs' noise; the
// selected test's frame times of both runs in one graph; a warning line when
// the runs' conditions differ. "Uložit porovnání jako CSV…" exports the
// table. Shown modeless by the details window's "Porovnat s…", which hands
// it the run; "Zavřít" hides it, closing it with the title-bar button
// destroys it.
class Porovnani_Form : public QWidget, public SharedInstance<Porovnani_Form> {
    Q_OBJECT
    friend class SharedInstance<Porovnani_Form>;

public:
    // Takes the current run, lists the kept runs anew and compares with the
    // newest of them that is another run.
    void Compare(const ResultsDetails::Details& current);
    // Compares with the log or summary of this file (RunComparison::ReadRun);
    // one that cannot be evaluated is reported, and the comparison shown
    // stays. False then.
    bool OpenRun(const QString& logFile);
    void List1_CurrentRowChanged(int row);
    void Grid1_CurrentRowChanged(int row);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    const RunComparison::Comparison& comparison() const { return m_comparison; }

    // The kept runs, newest first.
    QTableWidget* List1 = nullptr;
    // What is compared with what, and the warning line.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QTableWidget* Grid1 = nullptr;
    // The selected test's stutter in both runs and whether it differs.
    QLabel* Label3 = nullptr;
    FrameTimeChart* Chart1 = nullptr;
    // "Jiný soubor…", "Uložit porovnání jako CSV…", "Zavřít".
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    Porovnani_Form();
    void ShowComparison();

    ResultsDetails::Details m_current;
    ResultsDetails::Details m_other;
    QString m_otherName;
    QList<RunHistory::Entry> m_entries;
    RunComparison::Comparison m_comparison;
};
