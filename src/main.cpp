#include "contract/FolderLock.h"
#include "shell/FrontEnd.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Held until the process ends.
    FolderLock lock;
    if (!FrontEnd::Start(lock)) {
        return 1;
    }
    return app.exec();
}
