#pragma once

#include "common/SharedInstance.h"

#include <QWidget>

class DirectoryList;
class FileList;
class QComboBox;
class QLabel;
class QPushButton;

// The scene picker: a small modal dialog in which the user picks one "*.bin"
// file with a drive list (the mounted file systems), a directory list and a
// file list. The settings dialog shows it twice in a row, first for the
// free-flight scene file, then for its browser file, and reads the results
// from the public members. Created on first use and only ever hidden: the
// members keep their values while the program runs, and its title-bar close
// button acts as "Cancel".
class Soubor_Form : public QWidget, public SharedInstance<Soubor_Form> {
    Q_OBJECT
    friend class SharedInstance<Soubor_Form>;

public:
    void Drive1_Change();
    void Dir1_Change();
    void OKButton_Click();
    void CancelButton_Click();

    // The chosen scene file and browser file, names alone; empty while none
    // is chosen. Whether the scene name is empty decides which one the next
    // "OK" stores.
    QString cestakescene;
    QString cestakbrowseru;
    // Set by "Cancel"; only the caller clears it.
    bool cancelled = false;

    QLabel* Label1 = nullptr;
    DirectoryList* Dir1 = nullptr;
    QComboBox* Drive1 = nullptr;
    FileList* File1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // The drive list's entries; the machine's mounted file systems unless
    // replaced (tests offer drives of their own).
    void setDrives(const QStringList& drives);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Soubor_Form();

    // Shows in Drive1 the drive that the directory list stands on.
    void selectDriveOfDirectory();
    // The chosen name, or empty after telling the user why it cannot be taken.
    QString acceptedFileName();
};
