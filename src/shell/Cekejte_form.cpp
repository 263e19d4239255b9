#include "Cekejte_form.h"

#include "Hlavni_Form.h"
#include "common/ActivationTracker.h"
#include "common/FormDisplay.h"
#include "common/Twips.h"
#include "results/Vysledky_Form.h"

#include <QLabel>
#include <QPushButton>

Cekejte_form::Cekejte_form() {
    setObjectName(QStringLiteral("Cekejte_form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Čekejte prosím"));
    // An ordinary sizable window; resizing moves nothing.
    resize(Twips::px(4680), Twips::px(3090));

    Label1 = new QLabel(QStringLiteral("Počkejte až proběhnou testy..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(600, 240, 3375, 495));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Command1 = new QPushButton(QStringLiteral("Zobrazit výsledky"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(960, 960, 2655, 495));
    connect(Command1, &QPushButton::clicked, this, &Cekejte_form::Command1_Click);

    ActivationTracker::instance().track(this);
}

void Cekejte_form::Command1_Click() {
    const bool created = !Vysledky_Form::existing();
    Vysledky_Form* results = Vysledky_Form::instance();
    if (created) {
        results->CurrentRun = []() -> EngineRun* {
            Hlavni_Form* main = Hlavni_Form::existing();
            return main ? &main->Run : nullptr;
        };
        // Once per results window, and for whichever wait dialog stands open
        // when it finds the log, not only this one: the engine has finished.
        connect(results, &Vysledky_Form::resultsLogFound, results, [] {
            if (Cekejte_form* wait = existing()) {
                wait->hide();
            }
        });
    }
    FormDisplay::showModeless(results);
}
