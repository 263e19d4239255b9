#include "ValueCheckBox.h"

ValueCheckBox::ValueCheckBox(const QString& caption, QWidget* parent)
    : QCheckBox(caption, parent) {}

qint16 ValueCheckBox::Value() const {
    switch (checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void ValueCheckBox::setValue(qint16 value) {
    setTristate(value == 2);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void ValueCheckBox::nextCheckState() {
    const bool wasGreyed = checkState() == Qt::PartiallyChecked;
    setTristate(false);
    setCheckState(wasGreyed || checkState() == Qt::Unchecked ? Qt::Checked : Qt::Unchecked);
}
