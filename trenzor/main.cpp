#include "CommandLine.h"
#include "ConfigParser.h"
#include "EglDevices.h"
#include "EngineWindow.h"
#include "GpuChoice.h"
#include "HeadlessContext.h"
#include "MessageWindow.h"
#include "OffscreenCanvas.h"
#include "RunUpload.h"
#include "ValidationRun.h"
#include "contract/EngineContract.h"
#include "contract/FolderLock.h"
#include "contract/ResultsLogWriter.h"
#include "contract/ServiceAddress.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>

namespace {

void printError(const QString& text) {
    std::fprintf(stderr, "trenzor: %s\n", qUtf8Printable(text));
    std::fflush(stderr);
}

// Set once each: Qt's own message handler, whether the window system has
// been reached, and the exit status of a run that has ended.
struct MessageState {
    QtMessageHandler qtHandler = nullptr;
    bool windowSystemReady = false;
    std::optional<int> runExitCode;
};

MessageState& messageState() {
    static MessageState state;
    return state;
}

// Qt ends the program with an abort when it cannot reach the display; the
// user gets a readable reason and an ordinary failure status instead. Other
// messages go to Qt's own handler.
void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Qt's Wayland platform ends the process with status 1 right after this
    // warning. Once the run has ended and its results are written, a broken
    // connection (zink on lavapipe shows a frame on the closed window's
    // surface while it tears down) must not turn a complete run into a
    // failed one: the status stays the run's.
    if (messageState().runExitCode && text.startsWith(QLatin1String("The Wayland connection"))) {
        printError(QStringLiteral("spojení s Waylandem selhalo až po skončení běhu (%1)").arg(text));
        std::_Exit(*messageState().runExitCode);
    }
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

void printText(const QString& text) {
    std::fputs(qUtf8Printable(text), stdout);
    if (!text.endsWith(u'\n')) {
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

// Takes the working folder for this run; what keeps it from running, or
// empty. The front end's engine has the front end's lock handed down.
QString folderProblem(FolderLock& lock) {
    switch (lock.acquire(FolderLock::handedDescriptor())) {
    case FolderLock::Outcome::Locked:
    case FolderLock::Outcome::Unprotected:
        break;
    case FolderLock::Outcome::Held:
        return QStringLiteral("v této složce už běží jiný test nebo program 3D výkon (zámek %1), tento test "
                              "se nespustí.")
            .arg(FolderLock::kFileName);
    case FolderLock::Outcome::Refused: {
        QString reason = lock.reason();
        reason[0] = reason[0].toLower();
        return QStringLiteral("zámek složky %1 nelze použít (%2), test se nespustí.")
            .arg(FolderLock::kFileName, reason);
    }
    }
    return {};
}

// The run has ended with this status; what the window system does while
// the window and the context go does not change it.
void endRun(int exitCode) {
    messageState().runExitCode = exitCode;
    QCoreApplication::exit(exitCode);
}

// An unattended run of the command line's options: no screens, no waits,
// and any failure ends it at once with a non-zero status. An uploaded run
// leaves its summary's JSON in uploadSummary.
int runOptions(QGuiApplication& app, const CommandLine::Result& command, const QString& startError,
               QByteArray& uploadSummary) {
    // A context without a display server says its own problems.
    const bool headless = HeadlessContext::wanted(command.options.offscreen, command.options.gpu);
    if (const QString problem = headless ? QString() : EngineWindow::openGlProblem(command.config);
        !problem.isEmpty()) {
        printError(problem);
        return 1;
    }
    if (command.options.offscreen) {
        OffscreenCanvas canvas(command.config, startError, command.options);
        QObject::connect(&canvas, &OffscreenCanvas::finished, &app, &QCoreApplication::exit);
        canvas.start();
        const int status = app.exec();
        uploadSummary = canvas.engine().record().uploadSummary();
        return status;
    }
    EngineWindow window(command.config, startError, command.options);
    QObject::connect(&window, &EngineWindow::finished, &app, endRun);
    window.start();
    const int status = app.exec();
    uploadSummary = window.engine().record().uploadSummary();
    return status;
}

// The picture validation of an uploaded run's tests as JSON, drawn off screen
// on the device the run drew on: through EGL where the run was, else by the
// window system's OpenGL. Empty when it cannot be drawn, which is said.
QByteArray validationOf(const CommandLine::Result& run) {
    const CommandLine::Result validation = CommandLine::validationOf(run);
    const ValidationRun check(validation.config, validation.options);
    QByteArray json;
    if (HeadlessContext::wanted(run.options.offscreen, run.options.gpu)) {
        HeadlessContext context;
        if (const QString error = context.create(run.options.gpu, run.options.glDebug); !error.isEmpty()) {
            printError(error);
            return {};
        }
        check.run(*context.context(), context.deviceLabel(), &json);
        return json;
    }
    QOpenGLContext context;
    context.setFormat(EngineWindow::formatFor(validation.config, run.options.glDebug));
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.create() || !surface.isValid() || !context.makeCurrent(&surface)) {
        printError(QStringLiteral("obraz nelze ověřit: kontext OpenGL nelze vytvořit."));
        return {};
    }
    check.run(context, QString(), &json);
    return json;
}

// Where an uploaded run goes: the command line's address, or sluzba.url's.
ServiceAddress uploadService(const RunOptions& options) {
    return options.uploadAddress.isEmpty() ? ServiceAddress::fromFile()
                                           : ServiceAddress::fromText(options.uploadAddress);
}

// The devices EGL offers, then what the window system offers, if there is
// one to reach.
int listGpus(int argc, char* argv[]) {
    for (const GpuDevice& device : EglDevices::list()) {
        printText(GpuChoice::line(device));
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        printText(
            QStringLiteral("okno: žádný grafický server (DISPLAY ani WAYLAND_DISPLAY nejsou nastaveny)"));
        return 0;
    }
    QGuiApplication app(argc, argv);
    messageState().windowSystemReady = true;
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface)) {
        printText(QStringLiteral("okno (%1): kontext OpenGL nelze vytvořit").arg(app.platformName()));
        return 0;
    }
    printText(QStringLiteral("okno (%1): %2")
                  .arg(app.platformName(), QString::fromLatin1(reinterpret_cast<const char*>(
                                               context.functions()->glGetString(GL_RENDERER)))));
    return 0;
}

// A device chosen by index for this run: refused when there is none, or a
// window cannot be drawn on it; for a window, Mesa is told which.
QString chooseGpu(const RunOptions& options) {
    if (options.gpu < 0) {
        return {};
    }
    const QList<GpuDevice> devices = EglDevices::list();
    if (QString error = GpuChoice::check(devices, options.gpu); !error.isEmpty()) {
        return error;
    }
    if (options.offscreen) {
        return {};
    }
    const GpuChoice::Window window = GpuChoice::forWindow(devices[options.gpu]);
    if (window.error.isEmpty()) {
        qputenv(window.name.constData(), window.value);
    }
    return window.error;
}

// A summary file left by an earlier run; it is written whole at the end of a
// run, never in part, so only a run that ends well leaves one.
QString removeOldSummary(const RunOptions& options) {
    if (options.summaryPath.isEmpty() || options.summaryToStandardOutput()) {
        return {};
    }
    return ResultsLogWriter::removeOld(options.summaryPath);
}

// Picture validation, drawn through EGL without any display server.
int validate(int argc, char* argv[], const CommandLine::Result& command) {
    QGuiApplication app(argc, argv);
    messageState().windowSystemReady = true;
    HeadlessContext context;
    if (const QString error = context.create(command.options.gpu, command.options.glDebug);
        !error.isEmpty()) {
        printError(error);
        return 1;
    }
    return ValidationRun(command.config, command.options).run(*context.context(), context.deviceLabel());
}

int run(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("Trenzor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0"));
    // Help, the version and a command line that cannot be used need no
    // display, and leave every file as it was.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    const CommandLine::Result command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Help:
    case CommandLine::Action::Version:
        printText(command.text);
        return 0;
    case CommandLine::Action::Refuse:
        printError(QStringLiteral("%1 (nápovědu vypíše %2 --help)")
                       .arg(command.text, QFileInfo(arguments.value(0)).fileName()));
        return CommandLine::kRefusedExit;
    case CommandLine::Action::ListGpus:
        return listGpus(argc, argv);
    case CommandLine::Action::ConfigFile:
    case CommandLine::Action::Options:
        break;
    }
    if (const QString error = chooseGpu(command.options); !error.isEmpty()) {
        printError(error);
        return CommandLine::kRefusedExit;
    }
    // Before the run: a run that cannot be uploaded is not worth its minutes.
    const std::optional<ServiceAddress> service =
        command.options.upload ? std::optional(uploadService(command.options)) : std::nullopt;
    if (service && !service->ok()) {
        printError(QStringLiteral("--upload: %1").arg(service->problem()));
        return CommandLine::kRefusedExit;
    }
    if (command.options.validate) {
        if (const QString error = removeOldSummary(command.options); !error.isEmpty()) {
            printError(error);
            return 1;
        }
        HeadlessContext::prepare();
        return validate(argc, argv, command);
    }
    if (command.action == CommandLine::Action::Options &&
        HeadlessContext::wanted(command.options.offscreen, command.options.gpu)) {
        HeadlessContext::prepare();
    }

    // Held until the run ends. A second engine in this folder leaves the
    // first one's log alone.
    FolderLock lock;
    QString startError = folderProblem(lock);
    // Before anything else can fail: whatever ends this run, the front end
    // must not find an earlier run's results and take them for this one's.
    if (startError.isEmpty()) {
        startError = ResultsLogWriter::removeOld(EngineContract::kResultsLogFileName);
    }
    // Nor may a script that reads the summary without the exit status.
    if (startError.isEmpty()) {
        startError = removeOldSummary(command.options);
    }

    QGuiApplication app(argc, argv);
    messageState().windowSystemReady = true;
    if (command.action == CommandLine::Action::Options) {
        QByteArray summary;
        const int status = runOptions(app, command, startError, summary);
        if (status != 0 || !service) {
            return status;
        }
        return RunUpload::send(*service, validationOf(command), summary);
    }

    ConfigParser::Result parsed = ConfigParser::parseFile(EngineContract::kConfigFileName);
    // The configuration is still read, to know whether anybody is watching.
    if (!startError.isEmpty()) {
        parsed.error = startError;
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
    QObject::connect(&window, &EngineWindow::finished, &app, endRun);
    window.start();
    return app.exec();
}

} // namespace

// Reads the command line first. Then takes the folder's lock (a second engine
// in the same folder ends with status 1), removes the previous results log, and
// either reads "nastaveni.atr" from the current directory and runs its scene
// list, or runs what the options ask. Every failure ends with a message on
// standard error and with exit status 1 (2 for a command line that cannot be
// used); a run of the configuration file also shows it in a window where one
// can be opened.
int main(int argc, char* argv[]) {
    messageState().qtHandler = qInstallMessageHandler(handleMessage);
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        printError(QStringLiteral("nečekaná chyba: %1").arg(QString::fromLocal8Bit(error.what())));
        return 1;
    }
}
