#include "FrontEnd.h"

#include "Hlavni_Form.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/FolderLock.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace FrontEnd {

bool Start(FolderLock& lock) {
    // No display name: the window system would append it to every caption.
    QApplication::setApplicationName(QStringLiteral("vykon3d"));
    // The windows are laid out for the compact 8-point dialog font of classic
    // desktops; the narrow main window's menu bar needs it to show all items.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    // Frames carry their caption on their top border line, as the layouts of
    // the windows (controls close below a frame's top edge) expect.
    qApp->setStyleSheet(QStringLiteral(
        "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
        "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px; "
        "padding: 0px 2px; }"));
    // Qt's own dialogs and buttons (the save dialog, "Zrušit") speak Czech
    // like the rest of the program, whatever the desktop's language. Without
    // Qt's translations installed they stay in English, which is no error.
    auto* translator = new QTranslator(qApp);
    if (translator->load(QLocale(QLocale::Czech, QLocale::CzechRepublic), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    }
    // Before the main window, which may write the engine configuration.
    const FolderLock::Outcome locked = lock.acquire();
    if (locked == FolderLock::Outcome::Held) {
        MessageBox::show(QStringLiteral("Program 3D výkon v této složce už běží."), MessageBox::Warning);
        return false;
    }
    if (locked == FolderLock::Outcome::Refused) {
        MessageBox::show(QStringLiteral("Zámek této složky, soubor „%1“, nelze použít.\n\n%2.\n\nProgram 3D "
                                        "výkon se v této složce nespustí, aby v ní nemohl běžet dvakrát.")
                             .arg(FolderLock::kFileName, lock.reason()),
                         MessageBox::Warning);
        return false;
    }
    Hlavni_Form* main = Hlavni_Form::instance();
    if (locked == FolderLock::Outcome::Locked) {
        main->Lock = &lock;
    }
    QObject::connect(main, &Hlavni_Form::programEnded, qApp, [] { QCoreApplication::exit(0); });
    FormDisplay::showModeless(main);
    return true;
}

} // namespace FrontEnd
