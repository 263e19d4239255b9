#pragma once

#include "common/SharedInstance.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The about box: the program's title line, two credit lines and a picture of
// a rendered 3D scene. Shown modeless from the main window's menu; "Oukej"
// hides it and keeps it, its title-bar close button destroys it, and either
// way the menu shows it again.
class OProgramu_Form : public QWidget, public SharedInstance<OProgramu_Form> {
    Q_OBJECT
    friend class SharedInstance<OProgramu_Form>;

public:
    void Command1_Click();

    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    OProgramu_Form();
};
