#include "ConfigParser.h"
#include "EngineWindow.h"

#include <QFile>
#include <QGuiApplication>

// Reads "nastaveni.atr" from the current directory and runs its scene list.
// A configuration that cannot be used still opens the window, which then
// shows why the tests cannot run.
int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Trenzor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    EngineConfig config;
    QString error;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments != QStringList{QStringLiteral("0")}) {
        error = QStringLiteral("Neznámé parametry programu: %1 (program se spouští s parametrem 0)")
                    .arg(arguments.join(u' '));
    } else {
        QFile file(QStringLiteral("nastaveni.atr"));
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("Soubor nastaveni.atr nelze otevřít: %1").arg(file.errorString());
        } else {
            const QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                error = QStringLiteral("Soubor nastaveni.atr nelze číst: %1").arg(file.errorString());
            } else {
                ConfigParser::Result parsed = ConfigParser::parse(bytes);
                error = parsed.error;
                if (parsed.ok()) {
                    config = std::move(parsed.config);
                }
            }
        }
    }

    EngineWindow window(config, error);
    QObject::connect(&window, &EngineWindow::finished, &app, &QCoreApplication::exit);
    window.start();
    return app.exec();
}
