#include "contract/FileError.h"

#include <cstring>

FileError FileError::fromSystem(Operation operation, const QString& fileName, int error) {
    return FileError{operation, fileName, QString::fromLocal8Bit(std::strerror(error))};
}

QString FileError::message() const {
    QString what;
    switch (operation) {
    case Operation::Read:
        what = QStringLiteral("Soubor „%1“ nelze přečíst.");
        break;
    case Operation::Write:
        what = QStringLiteral("Soubor „%1“ nelze zapsat.");
        break;
    case Operation::Start:
        what = QStringLiteral("Testovací program „%1“ nelze spustit.");
        break;
    }
    return what.arg(fileName) + QStringLiteral("\n\n") + reason;
}
