#include "contract/FileError.h"

#include <cstring>

FileError FileError::fromSystem(Operation operation, const QString& fileName, int error) {
    return FileError{operation, fileName, QString::fromLocal8Bit(std::strerror(error))};
}

QString FileError::message() const {
    QString what;
    switch (operation) {
    case Operation::Open:
        what = QStringLiteral("Soubor „%1“ nelze otevřít.");
        break;
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

QString FileError::oneLine() const {
    QString what;
    switch (operation) {
    case Operation::Open:
        what = QStringLiteral("Soubor %1 nelze otevřít: %2");
        break;
    case Operation::Read:
        what = QStringLiteral("Soubor %1 nelze číst: %2");
        break;
    case Operation::Write:
        what = QStringLiteral("Soubor %1 nelze zapsat: %2");
        break;
    case Operation::Start:
        what = QStringLiteral("Program %1 nelze spustit: %2");
        break;
    }
    return what.arg(fileName, reason);
}
