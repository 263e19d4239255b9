#include "MessageText.h"

const QString MessageText::kTitle = QStringLiteral("Test nelze spustit");
const QString MessageText::kIntroHint =
    QStringLiteral("Stiskněte libovolnou klávesu pro spuštění, Esc ukončí.");

QString MessageText::hint(bool unattended) {
    return unattended ? QStringLiteral("Program se za několik sekund ukončí.")
                      : QStringLiteral("Stiskněte libovolnou klávesu pro ukončení.");
}

QString MessageText::introBody(const QString& description, bool freeFlight) {
    if (!freeFlight) {
        return description;
    }
    return description +
           QStringLiteral("\n\nVolný průlet: šipky otáčejí a posouvají kameru, PageUp/PageDown zvedají a "
                          "sklápějí pohled, čárka a tečka úkrok, středník a minus stoupání a klesání, "
                          "0 na numerické klávesnici návrat na začátek, Ctrl zrychlí, myš otáčí pohled.");
}
