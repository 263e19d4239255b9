#include "ConfigParser.h"
#include "EngineWindow.h"

#include <QGuiApplication>

// Reads "nastaveni.atr" from the current directory and runs its scene list.
// A configuration that cannot be used still opens the window, which then
// shows why the tests cannot run.
int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Trenzor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    ConfigParser::Result parsed;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments != QStringList{QStringLiteral("0")}) {
        parsed.error = QStringLiteral("Neznámé parametry programu: %1 (program se spouští s parametrem 0)")
                           .arg(arguments.join(u' '));
    } else {
        parsed = ConfigParser::parseFile(QStringLiteral("nastaveni.atr"));
    }

    EngineWindow window(parsed.ok() ? parsed.config : RunConfig(), parsed.error);
    QObject::connect(&window, &EngineWindow::finished, &app, &QCoreApplication::exit);
    window.start();
    return app.exec();
}
