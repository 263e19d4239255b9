#include "WaitDialog.h"

#include "common/FormDisplay.h"
#include "results/Vysledky_Form.h"
#include "shell/Cekejte_form.h"

#include <QPushButton>
#include <QTest>

Vysledky_Form* WaitDialog::showResults() {
    Cekejte_form* wait = Cekejte_form::instance();
    FormDisplay::showModeless(wait);
    QTest::mouseClick(wait->Command1, Qt::LeftButton);
    return Vysledky_Form::existing();
}
