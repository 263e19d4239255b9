// The front end's start exactly as main() runs it, with its messages written
// to standard output ("<style> <text>" per line) instead of shown, so that a
// test can start it as a second process and read what it told the user.
#include "common/MessageBox.h"
#include "shell/FolderLock.h"
#include "shell/FrontEnd.h"

#include <QApplication>
#include <cstdio>

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
    return app.exec();
}
