// The front end's start exactly as main() runs it, with its messages written
// to standard output ("<style> <text>" per line) instead of shown, so that a
// test can start it as a second process and read what it told the user.
// "running" follows once the main window stands. With the argument "run" it
// then presses "Spustit", waits for the engine it started to fail or to
// write a new log, presses "Zobrazit výsledky" and writes what the results
// window shows: "score <label>" (or "score -" when the window did not stay
// open) and "details <1 or 0>" for "Podrobnosti…", and ends with 0. The
// engine, its child, writes its own lines ("trenzor: …") to the same output.
#include "common/MessageBox.h"
#include "contract/FolderLock.h"
#include "results/ResultsLog.h"
#include "results/Vysledky_Form.h"
#include "shell/Cekejte_form.h"
#include "shell/FrontEnd.h"
#include "shell/Hlavni_Form.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QToolButton>
#include <cstdio>

namespace {

int runAndShowResults() {
    Hlavni_Form* main = Hlavni_Form::existing();
    main->Command1->click();
    // Until the run has failed, or its engine has written a new log (the
    // engine removes the old one first).
    const QDeadlineTimer deadline(120000);
    const auto waiting = [main] {
        const EngineRun::Verdict verdict = main->Run.verdict();
        return verdict == EngineRun::Verdict::Running ||
               (verdict == EngineRun::Verdict::Replaced && !ResultsLog::ResultsLogExists());
    };
    while (waiting() && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(50);
    }
    Cekejte_form::instance()->Command1->click();
    const Vysledky_Form* results = Vysledky_Form::existing();
    const bool shown = results && results->isVisible();
    std::printf("score %s\n", shown ? results->Label2->text().toUtf8().constData() : "-");
    std::printf("details %d\n", shown && results->Command3->isEnabled() ? 1 : 0);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    MessageBox::startRecording();
    MessageBox::setWhileShown([](const MessageBox::Shown& shown) {
        std::printf("%d %s\n", shown.style, shown.text.toUtf8().constData());
        std::fflush(stdout);
    });
    FolderLock lock;
    if (!FrontEnd::Start(lock)) {
        return 1;
    }
    std::printf("running\n");
    std::fflush(stdout);
    if (argc > 1 && QByteArrayView(argv[1]) == "run") {
        return runAndShowResults();
    }
    return app.exec();
}
