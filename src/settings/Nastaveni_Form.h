#pragma once

#include "SettingsState.h"
#include "common/SharedInstance.h"

#include <QWidget>
#include <array>
#include <optional>

class CaptionButton;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class ValueCheckBox;

// The settings dialog: which tests the test engine runs and how, or a free
// flight through a scene of the user's choice. Its controls are the program's
// only in-memory settings; other windows read them directly. Every
// activation reloads them from the state file "nastaveni.bnc" (the standard
// settings, saved at once, when the file is missing). "OK" checks the
// choices and writes the test engine's configuration and the state file;
// "Storno" and the title-bar close button hide the dialog without writing;
// either way the dialog says it has finished, and its opener shows itself.
// Created on first use and never destroyed, so a hidden dialog keeps every
// value, unconfirmed edits included, until its next activation.
class Nastaveni_Form : public QWidget, public SharedInstance<Nastaveni_Form> {
    Q_OBJECT
    friend class SharedInstance<Nastaveni_Form>;

public:
    void Form_Activate();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Option1_Click();
    void Option2_Click();

    // Shows SettingsState::Standard(); "Bezpečný mód" is not part of it and
    // keeps its value.
    void SetStandardSettings();
    // Both tell the user about a file that cannot be written or read;
    // SaveDialogState then returns false and the file is left as it was.
    bool SaveDialogState();
    void LoadDialogState();

    // True when each list shows the text of its standard entry ("640x480",
    // "16 bitů", "16 bitů"), compared exactly.
    bool ListsShowStandardEntries() const;

    // How a greyed "Stereo pohled" box (value 2) counts in the rated-run rule.
    // The confirmation's warning takes only a ticked box (1) for stereo on;
    // the wait dialog after "Spustit" takes anything but a clear box (0).
    enum class GreyedStereo { CountsAsOff, CountsAsOn };

    // The rated-run rule, on the controls as they stand (unconfirmed edits
    // included): rated tests, every list at its standard entry and stereo off.
    bool IsRatedRun(GreyedStereo greyedStereo) const;

    QGroupBox* Frame1 = nullptr;
    std::array<ValueCheckBox*, EngineContract::kTestCount> Check4{};
    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* Combo2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* Combo3 = nullptr;
    QGroupBox* Frame3 = nullptr;
    ValueCheckBox* Check1 = nullptr;
    ValueCheckBox* Check2 = nullptr;
    ValueCheckBox* Check3 = nullptr;
    ValueCheckBox* Check5 = nullptr;
    ValueCheckBox* Check6 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QPushButton* Command4 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    CaptionButton* Command3 = nullptr;

signals:
    // "OK" has written the choices, or "Storno" dropped them: the window the
    // dialog was opened from comes back.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Nastaveni_Form();

    static inline const QString kStateFileName = QStringLiteral("nastaveni.bnc");

    std::array<QComboBox*, SettingsState::kListCount> lists() const { return {Combo1, Combo2, Combo3}; }
    SettingsState CurrentState() const;
    void ApplyState(const SettingsState& state);
    // The whole engine configuration for the current choices, or empty after
    // telling the user why it cannot be written.
    std::optional<QByteArray> ConfigurationBytes();
};
