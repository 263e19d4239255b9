#include "MessageText.h"

const QString MessageText::kTitle = QStringLiteral("Test nelze spustit");

QString MessageText::hint(bool unattended) {
    return unattended ? QStringLiteral("Program se za několik sekund ukončí.")
                      : QStringLiteral("Stiskněte libovolnou klávesu pro ukončení.");
}
