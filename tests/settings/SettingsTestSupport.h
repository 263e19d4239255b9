#pragma once

#include "TestSupport.h"

// Shared fixture pieces of the settings tests: every test runs in a fresh
// temporary working directory with messages and shell launches recorded, and
// leaves no shared window behind.
#include "common/DesktopLauncher.h"
#include "common/MessageBox.h"
#include "settings/Nastaveni_Form.h"
#include "settings/Soubor_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/Hlavni_Form.h"
#include "shell/OProgramu_Form.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

class WorkingDirectory {
public:
    WorkingDirectory()
        : m_previous(QDir::currentPath()) {
        QDir::setCurrent(m_dir.path());
        MessageBox::startRecording();
        DesktopLauncher::startRecording();
    }
    ~WorkingDirectory() {
        TestSupport::destroyAllWindows();
        MessageBox::stopRecording();
        DesktopLauncher::stopRecording();
        QDir::setCurrent(m_previous);
    }
    QString path() const { return m_dir.path(); }

private:
    QString m_previous;
    QTemporaryDir m_dir;
};

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
