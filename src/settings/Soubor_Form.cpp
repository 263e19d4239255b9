#include "Soubor_Form.h"

#include "DirectoryList.h"
#include "FileList.h"
#include "MountTable.h"
#include "common/ActivationTracker.h"
#include "common/MessageBox.h"
#include "common/Twips.h"
#include "contract/EngineConfig.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

Soubor_Form::Soubor_Form() {
    setObjectName(QStringLiteral("Soubor_Form"));
    setWindowTitle(QStringLiteral("Dialog Caption"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(Twips::px(6045), Twips::px(3870));

    Label1 = new QLabel(QStringLiteral("Vyberte soubor se scénou."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(Twips::rect(120, 120, 5775, 375));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Dir1 = new DirectoryList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips::rect(120, 600, 2055, 2790));

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(Twips::rect(120, 3480, 2055, 315));

    File1 = new FileList(QStringLiteral("*.bin"), this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(Twips::rect(2280, 600, 2175, 2820));

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(Twips::rect(4680, 600, 1215, 375));
    OKButton->setAutoDefault(false);
    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(Twips::rect(4680, 1080, 1215, 375));
    CancelButton->setAutoDefault(false);

    setTabOrder(OKButton, CancelButton);
    setTabOrder(CancelButton, File1);
    setTabOrder(File1, Dir1);
    setTabOrder(Dir1, Drive1);

    // The lists start at the program's current drive and directory.
    Dir1->setPath(QDir::currentPath());
    File1->setPath(Dir1->path());
    setDrives(MountTable::CurrentDrives());

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Soubor_Form::Drive1_Change);
    connect(Dir1, &DirectoryList::changed, this, &Soubor_Form::Dir1_Change);
    connect(OKButton, &QPushButton::clicked, this, &Soubor_Form::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &Soubor_Form::CancelButton_Click);

    ActivationTracker::instance().track(this);
}

void Soubor_Form::setDrives(const QStringList& drives) {
    const QSignalBlocker blocker(Drive1);
    Drive1->clear();
    Drive1->addItems(drives);
    selectDriveOfDirectory();
}

void Soubor_Form::selectDriveOfDirectory() {
    QStringList drives;
    for (int i = 0; i < Drive1->count(); ++i) {
        drives.append(Drive1->itemText(i));
    }
    const QSignalBlocker blocker(Drive1);
    Drive1->setCurrentIndex(Drive1->findText(MountTable::DriveOf(Dir1->path(), drives)));
}

void Soubor_Form::Drive1_Change() {
    const QString drive = Drive1->currentText();
    const QFileInfo info(drive);
    // A drive that cannot be read (gone, or closed to this user) is not
    // entered: the lists stay where they were.
    if (!info.isDir() || !info.isReadable() || !info.isExecutable()) {
        MessageBox::show(QStringLiteral("Jednotka „%1“ není přístupná.").arg(drive), MessageBox::Warning);
        selectDriveOfDirectory();
        return;
    }
    Dir1->setPath(drive);
    File1->setPath(drive);
}

void Soubor_Form::Dir1_Change() {
    File1->setPath(Dir1->path());
}

QString Soubor_Form::acceptedFileName() {
    const QString name = File1->fileName();
    if (name.isEmpty()) {
        MessageBox::show(QStringLiteral("Musí být vybrán soubor!"));
        return {};
    }
    // The name goes into a quoted line of the test engine's configuration,
    // which is written in Windows-1250.
    if (!EngineConfig::IsSafeSceneName(name)) {
        MessageBox::show(QStringLiteral("Soubor „%1“ nelze použít: jeho jméno obsahuje uvozovky, konec řádku "
                                        "nebo znak, který nelze zapsat v kódování Windows-1250. "
                                        "Přejmenujte jej nebo vyberte jiný soubor.")
                             .arg(name),
                         MessageBox::Warning);
        return {};
    }
    return name;
}

void Soubor_Form::OKButton_Click() {
    const QString name = acceptedFileName();
    if (name.isEmpty()) {
        return;
    }
    if (cestakescene.isEmpty()) {
        cestakescene = name;
        Label1->setText(QStringLiteral("Vyberte jméno souboru s browserem scény."));
        File1->setFileName(QString());
    } else {
        cestakbrowseru = name;
    }
    hide();
}

void Soubor_Form::CancelButton_Click() {
    cancelled = true;
    hide();
}

void Soubor_Form::closeEvent(QCloseEvent* event) {
    // The caller expects every showing to end with a name or with "Cancel".
    event->ignore();
    CancelButton_Click();
}
