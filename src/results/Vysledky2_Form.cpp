#include "Vysledky2_Form.h"

#include "ComparisonList.h"
#include "ResultsLog.h"
#include "SystemsDatabase.h"
#include "WorldSystemsUpdate.h"
#include "common/ActivationTracker.h"
#include "common/MessageBox.h"
#include "common/Twips.h"

#include <QPushButton>

Vysledky2_Form::Vysledky2_Form()
    : ImageList1(ComparisonList::MonitorPicture()) {
    setObjectName(QStringLiteral("Vysledky2_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Form1"));
    // A sizable window whose controls keep their places.
    resize(Twips::px(8445), Twips::px(6030));

    ListView1 = new ComparisonList(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(Twips::rect(120, 120, 8175, 5175));
    ListView1->rows()->setSmallIcon(ImageList1);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(3000, 5400, 2535, 495));
    connect(Command1, &QPushButton::clicked, this, &Vysledky2_Form::Command1_Click);
    Command2 = new QPushButton(QStringLiteral("Aktualizovat seznam počítačů"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(120, 5400, 2760, 495));
    // The caption is longer than the room left of "Ok": a smaller face keeps
    // it whole rather than moving what the window holds.
    for (QFont font = Command2->font();
         Command2->sizeHint().width() > Command2->width() && font.pointSizeF() > 6; Command2->setFont(font)) {
        font.setPointSizeF(font.pointSizeF() - 0.5);
    }
    connect(new WorldSystemsUpdate(Command2), &WorldSystemsUpdate::merged, this,
            &Vysledky2_Form::Form_Activate);

    ActivationTracker::instance().track(this, [this] { Form_Activate(); });
}

void Vysledky2_Form::Form_Activate() {
    ListView1->rows()->clearRows();
    ListView1->resetColumns();
    if (!SystemsDatabase::SystemsDatabaseExists()) {
        MessageBox::show(ResultsLog::OutcomeMessage(ResultsLog::Outcome::NoLog));
        hide();
        return;
    }
    const FileResult<QList<SystemRecord>> records = SystemsDatabase::ReadSystemsDatabase();
    if (records.error()) {
        MessageBox::show(records.error()->message(), MessageBox::Warning);
        hide();
        return;
    }
    ListView1->rows()->addRows(*records);
}

void Vysledky2_Form::Command1_Click() {
    hide();
}
