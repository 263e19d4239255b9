#include "Hlavni_Form.h"

#include "Cekejte_form.h"
#include "OProgramu_Form.h"
#include "common/ActivationTracker.h"
#include "common/CaptionButton.h"
#include "common/DesktopLauncher.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "contract/TextFile.h"
#include "results/Vysledky2_Form.h"
#include "settings/Nastaveni_Form.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QLayout>
#include <QMenuBar>
#include <QProxyStyle>
#include <QToolButton>

namespace {

// A 32 × 32 button picture whose light-grey background is drawn transparent.
QIcon buttonPicture(const QString& resource) {
    QPixmap picture(resource);
    picture.setMask(picture.createMaskFromColor(QColor(192, 192, 192)));
    return QIcon(picture);
}

QToolButton* bigButton(QWidget* parent, const QString& name, const QString& caption, int top) {
    auto* button = new CaptionButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setGeometry(Twips::rect(360, top, 2055, 1215));
    return button;
}

// Menu bar items with half the usual side margins.
class CompactMenuBarStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_MenuBarItem && !result.isEmpty()) {
            result.rwidth() -= 8;
        }
        return result;
    }
};

} // namespace

Hlavni_Form::Hlavni_Form() {
    setObjectName(QStringLiteral("Hlavni_Form"));
    setWindowTitle(QStringLiteral("3D výkon"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* client = new QWidget(this);
    client->setFixedSize(Twips::px(2775), Twips::px(4560));
    setCentralWidget(client);

    Command1 = bigButton(client, QStringLiteral("Command1"), QStringLiteral("Spustit"), 240);
    Command1->setIcon(buttonPicture(QStringLiteral(":/spustit.xpm")));
    Command1->setToolTip(QStringLiteral("Všechny testy vybrané v dialogu Nastavení se spustí."));
    Command2 = bigButton(client, QStringLiteral("Command2"), QStringLiteral("Nastavení"), 1680);
    Command2->setIcon(buttonPicture(QStringLiteral(":/nastaveni.xpm")));
    Command2->setToolTip(QStringLiteral("Zobrazí dialog kde upravíte nastavení testů."));
    Command3 =
        bigButton(client, QStringLiteral("Command3"), QStringLiteral("Prohlédnout výsledky testování"), 3120);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    Command1->setFocus();

    Soubor = menuBar()->addMenu(QStringLiteral("Soubor"));
    Soubor->setObjectName(QStringLiteral("Soubor"));
    Konec = Soubor->addAction(QStringLiteral("Konec"));
    Konec->setObjectName(QStringLiteral("Konec"));
    Konec->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    // Only while the main window is active: "Konec" is its menu's item.
    Konec->setShortcutContext(Qt::WindowShortcut);
    Nastaveni = menuBar()->addAction(QStringLiteral("Nastavení"));
    Nastaveni->setObjectName(QStringLiteral("Nastaveni"));
    Napoveda = menuBar()->addMenu(QStringLiteral("Nápověda"));
    Napoveda->setObjectName(QStringLiteral("Napoveda"));
    Pomoc = Napoveda->addAction(QStringLiteral("Pomoc"));
    Pomoc->setObjectName(QStringLiteral("Pomoc"));
    OProgramu = Napoveda->addAction(QStringLiteral("O Programu"));
    OProgramu->setObjectName(QStringLiteral("OProgramu"));

    // The window is only 185 pixels wide: narrow item margins let the bar show
    // all three menus.
    auto* menuStyle = new CompactMenuBarStyle;
    menuStyle->setParent(menuBar());
    menuBar()->setStyle(menuStyle);

    // The window keeps the size of its client area and menu bar.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(Command1, &QToolButton::clicked, this, &Hlavni_Form::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &Hlavni_Form::Command2_Click);
    connect(Command3, &QToolButton::clicked, this, &Hlavni_Form::Command3_Click);
    connect(Konec, &QAction::triggered, this, &Hlavni_Form::Konec_Click);
    connect(Nastaveni, &QAction::triggered, this, &Hlavni_Form::Nastaveni_Click);
    connect(Pomoc, &QAction::triggered, this, &Hlavni_Form::Pomoc_Click);
    connect(OProgramu, &QAction::triggered, this, &Hlavni_Form::OProgramu_Click);

    ActivationTracker::instance().track(this);
    Form_Load();
}

void Hlavni_Form::Form_Load() {
    // An existing file is the user's (or the last confirmation's): whatever
    // it holds, even nothing, it stays as it is.
    if (TextFile::NormalFileExists(EngineContract::kConfigFileName)) {
        return;
    }
    // The directives and the first scene pair go out in one replacement: a
    // file cut between them would name no scene, and since it exists, no
    // later start would write it again.
    if (const std::optional<FileError> error =
            TextFile::Replace(EngineContract::kConfigFileName, EngineConfig::StartUpFile())) {
        MessageBox::show(error->message(), MessageBox::Warning);
    }
}

void Hlavni_Form::Command1_Click() {
    // A run that never started must not send the user to wait for results.
    if (const std::optional<FileError> error =
            Run.start(EngineContract::kEngineFileName, QStringLiteral("0"), Lock)) {
        MessageBox::show(error->message(), MessageBox::Warning);
        return;
    }
    RunRatedRunCheck();
}

void Hlavni_Form::RunRatedRunCheck() {
    // The dialog's controls as they stand, unconfirmed edits included; a
    // dialog not created yet is created hidden, with nothing chosen.
    if (Nastaveni_Form::instance()->IsRatedRun(Nastaveni_Form::GreyedStereo::CountsAsOn)) {
        FormDisplay::showModeless(Cekejte_form::instance());
    }
}

void Hlavni_Form::Command2_Click() {
    Nastaveni_Form* settings = Nastaveni_Form::instance();
    connect(settings, &Nastaveni_Form::finished, this, &QWidget::show, Qt::UniqueConnection);
    FormDisplay::showModal(settings);
}

void Hlavni_Form::Nastaveni_Click() {
    Command2_Click();
}

void Hlavni_Form::Command3_Click() {
    FormDisplay::showModeless(Vysledky2_Form::instance());
}

void Hlavni_Form::OProgramu_Click() {
    FormDisplay::showModeless(OProgramu_Form::instance());
}

void Hlavni_Form::Pomoc_Click() {
    DesktopLauncher::open(QStringLiteral("pomoc.chm"), QStringLiteral("0"));
}

void Hlavni_Form::Konec_Click() {
    // Every window goes at once, without its own closing logic; the test
    // engine, a process of its own, runs on.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget()) {
            window->hide();
            window->deleteLater();
        }
    }
    emit programEnded();
}

void Hlavni_Form::Form_Unload() {
    Konec_Click();
}

void Hlavni_Form::closeEvent(QCloseEvent* event) {
    event->accept();
    Form_Unload();
}
