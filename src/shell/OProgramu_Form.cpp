#include "OProgramu_Form.h"

#include "common/ActivationTracker.h"
#include "common/Twips.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace {

QLabel* label(QWidget* parent, const QString& name, const QString& text) {
    auto* control = new QLabel(text, parent);
    control->setObjectName(name);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    control->setWordWrap(true);
    return control;
}

} // namespace

OProgramu_Form::OProgramu_Form() {
    setObjectName(QStringLiteral("OProgramu_Form"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("O programu"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(Twips::px(6075), Twips::px(2910));

    // The stored picture is 373 × 488 pixels; it is scaled to fill its place.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(Twips::rect(120, 120, 2295, 2640));
    Image1->setPixmap(QPixmap(QStringLiteral(":/oprogramu.jpg")));
    Image1->setScaledContents(true);

    Label1 = label(this, QStringLiteral("Label1"),
                   QStringLiteral("3D Trenzor - Test 3D výkonu počítače. Verze 1.0"));
    Label1->setGeometry(Twips::rect(2760, 240, 3255, 375));
    Label2 = label(this, QStringLiteral("Label2"), QStringLiteral("Vytvořil tým vývojářů 3D Trenzoru."));
    Label2->setGeometry(Twips::rect(2760, 840, 3615, 375));
    Label3 = label(this, QStringLiteral("Label3"),
                   QStringLiteral("Obrázek vykreslil náš vlastní\nsledovač paprsků."));
    Label3->setGeometry(Twips::rect(2760, 1440, 3375, 495));

    Command1 = new QPushButton(QStringLiteral("Oukej"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(2880, 2160, 2175, 615));
    connect(Command1, &QPushButton::clicked, this, &OProgramu_Form::Command1_Click);

    ActivationTracker::instance().track(this);
}

void OProgramu_Form::Command1_Click() {
    hide();
}
