#pragma once

#include "common/SharedInstance.h"

#include <QIcon>
#include <QWidget>

class ComparisonList;
class QPushButton;

// The comparison window: the systems database alone, one computer per row
// in file order. Shown modeless by the main window's "Prohlédnout výsledky
// testování"; every activation reads the database anew. It writes only what
// "Aktualizovat seznam počítačů" brings in from the results service.
// "Ok" hides it; closing it with the title-bar button destroys it, and the
// next use creates it afresh.
class Vysledky2_Form : public QWidget, public SharedInstance<Vysledky2_Form> {
    Q_OBJECT
    friend class SharedInstance<Vysledky2_Form>;

public:
    void Form_Activate();
    void Command1_Click();

    ComparisonList* ListView1 = nullptr;
    QPushButton* Command1 = nullptr;
    // "Aktualizovat seznam počítačů": the world's systems from the results
    // service merged into the systems database (WorldSystemsUpdate).
    QPushButton* Command2 = nullptr;
    // The image list of the comparison list: its one picture.
    QIcon ImageList1;

private:
    Vysledky2_Form();
};
