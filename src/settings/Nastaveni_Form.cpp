#include "Nastaveni_Form.h"

#include "SettingsValues.h"
#include "Soubor_Form.h"
#include "ValueCheckBox.h"
#include "common/ActivationTracker.h"
#include "common/CaptionButton.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "contract/LineReader.h"
#include "contract/TextFile.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace {

const QString kChooseScene = QStringLiteral("Vybrat scénu");

// A frame and where it stands on the dialog; the controls inside it are
// placed by their positions on the dialog.
struct Frame {
    QGroupBox* box;
    int left;
    int top;

    // A caption wider or taller than its place (the system's font is not
    // the one the layout was drawn with) may use the rest of the frame's
    // width and the height it needs, so it is never cut off.
    void place(QWidget* child, int l, int t, int w, int h) const {
        QRect r = Twips::rect(l - left, t - top, w, h);
        const QSize wanted = child->sizeHint();
        if (wanted.width() > r.width()) {
            r.setWidth(std::min(wanted.width(), box->width() - r.left() - 2));
        }
        if (wanted.height() > r.height()) {
            r.setHeight(wanted.height());
        }
        child->setGeometry(r);
    }
};

Frame frame(QWidget* dialog, const QString& name, const QString& caption, int l, int t, int w, int h) {
    auto* box = new QGroupBox(caption, dialog);
    box->setObjectName(name);
    box->setGeometry(Twips::rect(l, t, w, h));
    return Frame{box, l, t};
}

template <typename Control>
Control* named(Control* control, const QString& name) {
    control->setObjectName(name);
    return control;
}

template <typename Entry, std::size_t size>
QComboBox* dropDownList(QWidget* parent, const QString& name, const std::array<Entry, size>& entries) {
    auto* list = named(new QComboBox(parent), name);
    list->setEditable(false);
    for (const Entry& entry : entries) {
        list->addItem(QString::fromUtf8(entry.text));
    }
    // Nothing is chosen until the dialog is first activated.
    list->setCurrentIndex(-1);
    return list;
}

} // namespace

Nastaveni_Form::Nastaveni_Form() {
    setObjectName(QStringLiteral("Nastaveni_Form"));
    setWindowTitle(QStringLiteral("Nastavení"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(Twips::px(6615), Twips::px(5895));

    const Frame tests = frame(this, QStringLiteral("Frame1"), QStringLiteral("Testy"), 120, 120, 3135, 2895);
    Frame1 = tests.box;
    for (int index = 0; index < EngineContract::kTestCount; ++index) {
        // The last two boxes belong to the dialog and only lie over the frame.
        const bool inFrame = index < 5;
        auto* box = named(new ValueCheckBox(EngineContract::kTestNames.at(index).toString(),
                                            inFrame ? static_cast<QWidget*>(Frame1) : this),
                          QStringLiteral("Check4_%1").arg(index));
        const Frame where = inFrame ? tests : Frame{nullptr, 0, 0};
        where.place(box, 360, 480 + 360 * index, 2655, 255);
        Check4[index] = box;
    }

    const Frame graphics =
        frame(this, QStringLiteral("Frame2"), QStringLiteral("Grafika"), 3360, 120, 3135, 2535);
    Frame2 = graphics.box;
    Label1 = named(new QLabel(QStringLiteral("Velikost okna:"), Frame2), QStringLiteral("Label1"));
    graphics.place(Label1, 3480, 480, 1695, 255);
    Combo1 = dropDownList(Frame2, QStringLiteral("Combo1"), SettingsValues::kWindowSizes);
    graphics.place(Combo1, 3480, 720, 2895, 315);
    Combo1->setToolTip(QStringLiteral("Velikost okna, kde budou probíhat testy v pixelech."));
    Label2 = named(new QLabel(QStringLiteral("Rozlišení barev:"), Frame2), QStringLiteral("Label2"));
    graphics.place(Label2, 3480, 1080, 1455, 255);
    Combo2 = dropDownList(Frame2, QStringLiteral("Combo2"), SettingsValues::kColourBits);
    graphics.place(Combo2, 3480, 1320, 2895, 315);
    Combo2->setToolTip(
        QStringLiteral("Kolik bitů připadne na jeden pixel v obrazu testu. Má vliv pouze pokud je "
                       "použito zobrazení přes celou obrazovku."));
    Label3 = named(new QLabel(QStringLiteral("Rozlišení Z-bufferu:"), Frame2), QStringLiteral("Label3"));
    graphics.place(Label3, 3480, 1680, 2895, 255);
    Combo3 = dropDownList(Frame2, QStringLiteral("Combo3"), SettingsValues::kDepthBits);
    graphics.place(Combo3, 3480, 1920, 2895, 315);
    Combo3->setToolTip(QStringLiteral("Kolik bitů připadne na jeden pixel v obrazu testu."));

    const Frame other =
        frame(this, QStringLiteral("Frame3"), QStringLiteral("Ostatní"), 3360, 2760, 3135, 2295);
    Frame3 = other.box;
    Check1 = named(new ValueCheckBox(QStringLiteral("Nezobrazovat popis testů"), Frame3),
                   QStringLiteral("Check1"));
    other.place(Check1, 3600, 3120, 2655, 255);
    Check1->setToolTip(
        QStringLiteral("Testy proběhnou bez čekání na stisk klávesy na začátku každého testu."));
    Check2 = named(new ValueCheckBox(QStringLiteral("Nekonečné opakování testů"), Frame3),
                   QStringLiteral("Check2"));
    other.place(Check2, 3600, 3480, 2535, 255);
    Check2->setToolTip(QStringLiteral("Testy se budou opakovat pořád dokola."));
    Check3 =
        named(new ValueCheckBox(QStringLiteral("Přes celou obrazovku"), Frame3), QStringLiteral("Check3"));
    other.place(Check3, 3600, 3840, 2415, 255);
    Check3->setToolTip(QStringLiteral("Testy nebudou zobrazeny v okně, ale pokryjí celou plochu obrazovky."));
    Check5 = named(new ValueCheckBox(QStringLiteral("Stereo pohled"), Frame3), QStringLiteral("Check5"));
    other.place(Check5, 3600, 4200, 2655, 255);
    Check5->setToolTip(
        QStringLiteral("Bude použito prostorové vykreslování. Je třeba mít červeno modré brýle. "
                       "Nefunguje při bezpečném módu."));
    Check6 = named(new ValueCheckBox(QStringLiteral("Bezpečný mód"), Frame3), QStringLiteral("Check6"));
    other.place(Check6, 3600, 4560, 2415, 195);
    Check6->setToolTip(
        QStringLiteral("Program použije jinou metodu vykreslování, která by měla být funkční "
                       "naprosto na všech OpenGL kompatibilních akcelerátorech, ale je pomalejší."));

    const Frame mode = frame(this, QStringLiteral("Frame4"), QStringLiteral("Mód"), 120, 3120, 3135, 855);
    Frame4 = mode.box;
    Option1 = named(new QRadioButton(QStringLiteral("Hodnocené testy"), Frame4), QStringLiteral("Option1"));
    mode.place(Option1, 360, 3360, 2655, 255);
    Option2 = named(new QRadioButton(QStringLiteral("Volný průlet"), Frame4), QStringLiteral("Option2"));
    mode.place(Option2, 360, 3600, 2655, 255);
    Option1->setChecked(true);

    const Frame scene =
        frame(this, QStringLiteral("Frame5"), QStringLiteral("Scéna volného průletu"), 120, 4080, 3135, 975);
    Frame5 = scene.box;
    Command4 = named(new QPushButton(kChooseScene, Frame5), QStringLiteral("Command4"));
    scene.place(Command4, 240, 4440, 2895, 375);

    Command1 = named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("Command1"));
    Command1->setGeometry(Twips::rect(600, 5280, 1575, 495));
    Command1->setToolTip(QStringLiteral("Uloží Vami vybraná nastavení."));
    Command2 = named(new QPushButton(QStringLiteral("Storno"), this), QStringLiteral("Command2"));
    Command2->setGeometry(Twips::rect(2520, 5280, 1575, 495));
    Command2->setToolTip(QStringLiteral("Nastavení se použije takové, jaké bylo při otevření tohoto okna."));
    Command3 = named(new CaptionButton(this), QStringLiteral("Command3"));
    Command3->setText(QStringLiteral("Obnovit základní nastavení"));
    Command3->setGeometry(Twips::rect(4440, 5280, 1575, 495));
    Command3->setToolTip(
        QStringLiteral("Všechny přepínače v tomto okně se upraví tak, aby byl test hodnocen."));
    // No button reacts to Enter or Esc.
    for (QPushButton* button : {Command1, Command2, Command4}) {
        button->setAutoDefault(false);
    }

    connect(Command1, &QPushButton::clicked, this, &Nastaveni_Form::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Nastaveni_Form::Command2_Click);
    connect(Command3, &QToolButton::clicked, this, &Nastaveni_Form::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Nastaveni_Form::Command4_Click);
    // On selection by mouse or by the arrow keys alike.
    connect(Option1, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected) {
            Option1_Click();
        }
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool selected) {
        if (selected) {
            Option2_Click();
        }
    });

    // The window system can deliver an activation late, after the dialog has
    // been hidden again; a hidden dialog is not activated, and reloading it
    // then would throw away the edits that "Spustit" is about to judge.
    ActivationTracker::instance().track(this, [this] {
        if (isVisible()) {
            Form_Activate();
        }
    });
}

void Nastaveni_Form::Form_Activate() {
    LoadDialogState();
}

void Nastaveni_Form::closeEvent(QCloseEvent* event) {
    // The dialog is shown modally and lives for the whole run: its close
    // button is "Storno".
    event->ignore();
    Command2_Click();
}

void Nastaveni_Form::SetStandardSettings() {
    ApplyState(SettingsState::Standard());
}

SettingsState Nastaveni_Form::CurrentState() const {
    SettingsState state;
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        state.tests[i] = Check4[i]->Value();
    }
    state.noIntro = Check1->Value();
    state.endless = Check2->Value();
    state.fullScreen = Check3->Value();
    state.stereo = Check5->Value();
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        state.lists[i] = static_cast<qint16>(lists()[i]->currentIndex());
    }
    state.rated = Option1->isChecked();
    return state;
}

void Nastaveni_Form::ApplyState(const SettingsState& state) {
    for (int i = 0; i < EngineContract::kTestCount; ++i) {
        Check4[i]->setValue(state.tests[i]);
    }
    Check1->setValue(state.noIntro);
    Check2->setValue(state.endless);
    Check3->setValue(state.fullScreen);
    Check5->setValue(state.stereo);
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        lists()[i]->setCurrentIndex(state.lists[i]);
    }
    if (state.rated) {
        Option1->setChecked(true);
        Option1_Click();
    } else {
        Option2->setChecked(true);
        Option2_Click();
    }
}

bool Nastaveni_Form::SaveDialogState() {
    if (const std::optional<FileError> error = TextFile::Replace(kStateFileName, CurrentState().toBytes())) {
        MessageBox::show(error->message(), MessageBox::Warning);
        return false;
    }
    return true;
}

void Nastaveni_Form::LoadDialogState() {
    if (!TextFile::NormalFileExists(kStateFileName)) {
        SetStandardSettings();
        SaveDialogState();
        return;
    }
    std::array<int, SettingsState::kListCount> sizes{};
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        sizes[i] = lists()[i]->count();
    }
    LineReader reader(kStateFileName);
    const std::optional<SettingsState> state = SettingsState::read(reader, sizes);
    if (reader.error() || !state) {
        // One message for the whole file. The file stays as it is until the
        // user confirms settings; the dialog shows what a missing file gives.
        const FileError error = reader.error() ? *reader.error()
                                               : FileError{FileError::Operation::Read, kStateFileName,
                                                           reader.lineTooLongReason()};
        MessageBox::show(error.message() + QStringLiteral("\n\nUložené nastavení proto nelze použít, dialog "
                                                          "ukazuje základní nastavení."),
                         MessageBox::Warning);
        SetStandardSettings();
        return;
    }
    ApplyState(*state);
}

bool Nastaveni_Form::ListsShowStandardEntries() const {
    const SettingsState standard = SettingsState::Standard();
    for (int i = 0; i < SettingsState::kListCount; ++i) {
        const QComboBox* list = lists()[i];
        if (list->currentText() != list->itemText(standard.lists[i])) {
            return false;
        }
    }
    return true;
}

bool Nastaveni_Form::IsRatedRun(GreyedStereo greyedStereo) const {
    const bool stereoOn =
        greyedStereo == GreyedStereo::CountsAsOff ? Check5->Value() == 1 : Check5->Value() != 0;
    return Option1->isChecked() && ListsShowStandardEntries() && !stereoOn;
}

void Nastaveni_Form::Option1_Click() {
    Frame5->setEnabled(false);
    Command4->setEnabled(false);
    Frame1->setEnabled(true);
    for (ValueCheckBox* test : Check4) {
        test->setEnabled(true);
    }
    Check2->setEnabled(true);
}

void Nastaveni_Form::Option2_Click() {
    Frame1->setEnabled(false);
    for (ValueCheckBox* test : Check4) {
        test->setEnabled(false);
    }
    Check2->setEnabled(false);
    Frame5->setEnabled(true);
    Command4->setEnabled(true);
}

void Nastaveni_Form::Command2_Click() {
    hide();
    emit finished();
}

void Nastaveni_Form::Command3_Click() {
    SetStandardSettings();
}

void Nastaveni_Form::Command4_Click() {
    // The dialog reloads the state file when the picker closes: without this
    // save the choices made so far would be lost, so no save, no picker.
    if (!SaveDialogState()) {
        return;
    }
    Soubor_Form* picker = Soubor_Form::instance();
    const auto cancelChoice = [this, picker] {
        picker->cestakescene.clear();
        picker->cestakbrowseru.clear();
        Command4->setText(kChooseScene);
        picker->cancelled = false;
    };
    picker->cestakescene.clear();
    picker->cestakbrowseru.clear();
    picker->Label1->setText(QStringLiteral("Vyberte soubor se scénou."));
    FormDisplay::showModal(picker);
    if (picker->cancelled) {
        cancelChoice();
        return;
    }
    FormDisplay::showModal(picker);
    if (picker->cancelled) {
        cancelChoice();
        return;
    }
    Command4->setText(picker->cestakescene);
}

std::optional<QByteArray> Nastaveni_Form::ConfigurationBytes() {
    const std::optional<SettingsValues::Screen> screen = SettingsValues::FromListPositions(
        Combo1->currentIndex(), Combo2->currentIndex(), Combo3->currentIndex());
    if (!screen) {
        MessageBox::show(QStringLiteral("Zvolenou velikost okna nebo počet bitů nelze zapsat."),
                         MessageBox::Warning);
        return std::nullopt;
    }
    EngineConfig::Settings settings;
    screen->applyTo(settings);
    settings.fullScreen = Check3->Value() != 0;
    settings.stereo = Check5->Value() != 0;
    settings.noIntro = Check1->Value() != 0;
    settings.endless = Check2->Value() != 0;
    settings.safeMode = Check6->Value() != 0;
    settings.freeFlight = !Option1->isChecked();

    if (!settings.freeFlight) {
        QList<qint16> tests;
        for (int index = 0; index < EngineContract::kTestCount; ++index) {
            if (Check4[index]->Value() == 1) {
                tests.append(static_cast<qint16>(index));
            }
        }
        return EngineConfig::RatedFile(settings, tests);
    }

    const Soubor_Form* picker = Soubor_Form::instance();
    if (picker->cestakbrowseru.isEmpty() || picker->cestakescene.isEmpty()) {
        MessageBox::show(
            QStringLiteral("Musíte vybrat scénu pro Volný průlet a scénu browseru pro Volný průlet."));
        return std::nullopt;
    }
    std::optional<QByteArray> bytes =
        EngineConfig::FreeFlightFile(settings, picker->cestakbrowseru, picker->cestakescene);
    if (!bytes) {
        MessageBox::show(
            QStringLiteral("Jméno zvolené scény nelze zapsat do nastavení testu. Vyberte scénu znovu."),
            MessageBox::Warning);
    }
    return bytes;
}

void Nastaveni_Form::Command1_Click() {
    int testCount = 0;
    for (const ValueCheckBox* test : Check4) {
        if (test->Value() == 1) {
            ++testCount;
        }
    }
    if (testCount == 0) {
        MessageBox::show(QStringLiteral("Musí být vybrán alespoň jeden test"));
        return;
    }
    if (Option1->isChecked() && !IsRatedRun(GreyedStereo::CountsAsOff)) {
        MessageBox::show(
            QStringLiteral("Upozornění: Test nebude hodnocen pokud nepoužijete základní nastavení "
                           "rozlišení obrazovky,stereo pohledu,barev a depth bufferu."),
            MessageBox::Warning, QStringLiteral("Pozor"));
    }
    // The configuration goes out whole in one replacement, so a failure
    // leaves the last confirmed one in place.
    const std::optional<QByteArray> configuration = ConfigurationBytes();
    if (!configuration) {
        return;
    }
    if (const std::optional<FileError> error =
            TextFile::Replace(EngineContract::kConfigFileName, *configuration)) {
        MessageBox::show(error->message(), MessageBox::Warning);
        return;
    }
    if (!SaveDialogState()) {
        return;
    }
    emit finished();
    hide();
}
