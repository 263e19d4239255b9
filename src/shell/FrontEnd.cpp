#include "FrontEnd.h"

#include "Hlavni_Form.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"

#include <QApplication>
#include <QFont>

namespace FrontEnd {

void Start() {
    QApplication::setApplicationName(QStringLiteral("vykon3d"));
    QApplication::setApplicationDisplayName(MessageBox::applicationTitle());
    // The windows are laid out for the compact 8-point dialog font of classic
    // desktops; the narrow main window's menu bar needs it to show all items.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);
    Hlavni_Form* main = Hlavni_Form::instance();
    QObject::connect(main, &Hlavni_Form::programEnded, qApp, [] { QCoreApplication::exit(0); });
    FormDisplay::showModeless(main);
}

} // namespace FrontEnd
