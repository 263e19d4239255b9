#include "ConfigParser.h"
#include "EngineWindow.h"
#include "MessageWindow.h"
#include "ResultsLogWriter.h"
#include "contract/EngineContract.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "trenzor: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

// Set once each: Qt's own message handler, and whether the window system
// has been reached.
struct MessageState {
    QtMessageHandler qtHandler = nullptr;
    bool windowSystemReady = false;
};

MessageState& messageState() {
    static MessageState state;
    return state;
}

// Qt ends the program with an abort when it cannot reach the display; the
// user gets a readable reason and an ordinary failure status instead. Other
// messages go to Qt's own handler.
void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtFatalMsg) {
        messageState().qtHandler(type, context, text);
        return;
    }
    // While the application object is being made, the only fatal error is
    // the window system's: no display to open a window on.
    printError(messageState().windowSystemReady
                   ? QStringLiteral("nečekaná chyba: %1").arg(text)
                   : QStringLiteral("okno testu nelze otevřít (grafické prostředí není k dispozici), testy "
                                    "nelze spustit."));
    std::_Exit(1);
}

int run(int argc, char* argv[]) {
    // Before anything else can fail: whatever ends this run, the front end
    // must not find an earlier run's results and take them for this one's.
    const QString removeError = ResultsLogWriter::removeOld(EngineContract::kResultsLogFileName);

    QGuiApplication app(argc, argv);
    messageState().windowSystemReady = true;
    QCoreApplication::setApplicationName(QStringLiteral("Trenzor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));

    ConfigParser::Result parsed;
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && arguments != QStringList{QStringLiteral("0")}) {
        parsed.error = QStringLiteral("Neznámé parametry programu: %1 (program se spouští s parametrem 0)")
                           .arg(arguments.join(u' '));
    } else {
        parsed = ConfigParser::parseFile(EngineContract::kConfigFileName);
    }
    // The configuration is still read, to know whether anybody is watching.
    if (!removeError.isEmpty()) {
        parsed.error = removeError;
    }
    RunConfig config = parsed.ok() ? parsed.config : RunConfig();
    // An unattended run stays unattended when its configuration is refused
    // after the switch was read.
    config.dontShowIntro = parsed.config.dontShowIntro;

    if (const QString problem = EngineWindow::openGlProblem(config); !problem.isEmpty()) {
        printError(problem);
        MessageWindow window(problem, config.dontShowIntro);
        QObject::connect(&window, &MessageWindow::finished, &app, &QCoreApplication::exit);
        window.start();
        return app.exec();
    }

    EngineWindow window(config, parsed.error);
    QObject::connect(&window, &EngineWindow::finished, &app, &QCoreApplication::exit);
    window.start();
    return app.exec();
}

} // namespace

// Removes the previous results log, reads "nastaveni.atr" from the current
// directory and runs its scene list. Every failure ends with a message on
// standard error and, where a window can be opened, in it, and with exit
// status 1.
int main(int argc, char* argv[]) {
    messageState().qtHandler = qInstallMessageHandler(handleMessage);
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        printError(QStringLiteral("nečekaná chyba: %1").arg(QString::fromLocal8Bit(error.what())));
        return 1;
    }
}
