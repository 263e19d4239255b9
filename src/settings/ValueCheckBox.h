#pragma once

#include <QCheckBox>

// A check box that holds a number: 0 cleared, 1 ticked, 2 greyed. The program
// never greys a box itself, but a loaded state can; a greyed box turns ticked
// when the user clicks it, and from then on the user only toggles between 0
// and 1.
class ValueCheckBox : public QCheckBox {
public:
    explicit ValueCheckBox(const QString& caption, QWidget* parent = nullptr);

    qint16 Value() const;
    // Takes 0, 1 or 2; any other value clears the box.
    void setValue(qint16 value);

protected:
    void nextCheckState() override;
};
