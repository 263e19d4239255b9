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
    FormDisplay::showModeless(Hlavni_Form::instance());
}

} // namespace FrontEnd
