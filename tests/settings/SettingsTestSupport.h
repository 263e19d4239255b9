#pragma once

// Shared pieces of the settings tests, which each run in a FrontEndFolder.
#include "FrontEndFolder.h"
#include "TestSupport.h"
#include "common/DesktopLauncher.h"
#include "common/MessageBox.h"
#include "settings/Nastaveni_Form.h"
#include "settings/Soubor_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"
#include "shell/OProgramu_Form.h"

#include <QTest>
#include <QTimer>
#include <functional>

// Runs the action inside the next modal display once the window system has
// made the window active, as a user acting on it would; whatever the action
// leaves open is hidden afterwards, so a failed check can never leave a modal
// loop waiting.
inline void whileModal(QWidget* window, std::function<void()> action) {
    QTimer::singleShot(0, window, [window, action] {
        if (QTest::qWaitForWindowActive(window)) {
            action();
        } else {
            QTest::qFail("the window never became active", __FILE__, __LINE__);
        }
        if (window->isVisible()) {
            window->hide();
        }
    });
}
