#pragma once

#include "common/EngineRun.h"
#include "common/SharedInstance.h"

#include <QMainWindow>

class FolderLock;
class QAction;
class QMenu;
class QToolButton;

// The main window, the program's start-up window and the only one that lives
// for the whole run. It makes sure the test engine's configuration file
// exists, starts the test engine and opens the other windows. One instance,
// created at start; closing it, or "Konec", ends the whole program.
class Hlavni_Form : public QMainWindow, public SharedInstance<Hlavni_Form> {
    Q_OBJECT
    friend class SharedInstance<Hlavni_Form>;

public:
    // Handlers, named after their control and event.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Nastaveni_Click();
    void OProgramu_Click();
    void Pomoc_Click();
    void Konec_Click();
    void Form_Unload();

    QToolButton* Command1 = nullptr;
    QToolButton* Command2 = nullptr;
    QToolButton* Command3 = nullptr;
    QMenu* Soubor = nullptr;
    QAction* Konec = nullptr;
    QAction* Nastaveni = nullptr;
    QMenu* Napoveda = nullptr;
    QAction* Pomoc = nullptr;
    QAction* OProgramu = nullptr;

    // The working folder's lock, which the program's start holds for the
    // whole run and which "Spustit" hands down to the engine; none when the
    // folder could not be locked.
    const FolderLock* Lock = nullptr;
    // The engine that "Spustit" started last, which the results window asks
    // whether the results log is its result.
    EngineRun Run;

signals:
    // Every window is gone; the program's event loop should end now.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Hlavni_Form();

    // After "Spustit": decides whether the run is a rated one and, if so,
    // opens the wait dialog.
    void RunRatedRunCheck();
};
