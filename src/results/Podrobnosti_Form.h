#pragma once

#include "ResultsDetails.h"
#include "common/SharedInstance.h"

#include <QWidget>

class FrameTimeChart;
class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

// The details window "Podrobnosti výsledků": what the results log holds
// beyond the score. A table of the tests with their figures, the run's
// figures below it, and for the test selected in the table a graph of its
// frame times over the test's time and a histogram of them; below them, for
// a log whose summary tells it came from a sustained run, each run's score
// over the time since the first run started; "Uložit jako
// CSV…" exports it all, "Porovnat s…" sets the run beside another one
// (Porovnani_Form). Shown modeless by the results window's
// "Podrobnosti…", which has it read the log anew each time; "Zavřít" hides
// it, closing it with the title-bar button destroys it.
class Podrobnosti_Form : public QWidget, public SharedInstance<Podrobnosti_Form> {
    Q_OBJECT
    friend class SharedInstance<Podrobnosti_Form>;

public:
    // Reads "vysledek.log" and shows its details. A log that cannot be
    // evaluated is reported as the results window reports it, the window
    // hides, and the result is false.
    bool ReadLog();
    // Draws the graphs of the test in this row of the table.
    void Grid1_CurrentRowChanged(int row);
    void Command1_Click();
    void Command2_Click();
    // "Porovnat s…": the comparison window with this run.
    void Command3_Click();

    const ResultsDetails::Details& details() const { return m_details; }

    QTableWidget* Grid1 = nullptr;
    // The run's figures: frames / total time, the geometric mean of the
    // tests' rates, the score, and the count of values left out with the
    // marks of the thinned tests.
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    // The selected test's energy, power, points per watt, temperatures and
    // clocks.
    QLabel* Label5 = nullptr;
    // The frame-time graph and the histogram of the selected test.
    FrameTimeChart* Chart1 = nullptr;
    QChartView* Chart2 = nullptr;
    // A sustained run's scores over time, or why the log's summary could not
    // be read; hidden for any other log.
    QChartView* Chart3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;

private:
    Podrobnosti_Form();
    void ShowDetails();
    // Chart3 from the log's summary, the window as tall as it then needs.
    void ShowSustained();

    ResultsDetails::Details m_details;
};
