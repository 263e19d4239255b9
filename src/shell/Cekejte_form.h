#pragma once

#include "common/SharedInstance.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The wait dialog: stands open while the test engine runs a rated series and
// leads the user to the score once the engine has finished. Shown modeless
// by the rated-run check after "Spustit"; hidden once the results window it
// opens finds the results log; destroyed when the user closes it.
class Cekejte_form : public QWidget, public SharedInstance<Cekejte_form> {
    Q_OBJECT
    friend class SharedInstance<Cekejte_form>;

public:
    void Command1_Click();

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    Cekejte_form();
};
