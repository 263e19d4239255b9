#include "shell/FrontEnd.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FrontEnd::Start();
    return app.exec();
}
