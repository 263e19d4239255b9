#pragma once

#include "LogFixture.h"
#include "TestSupport.h"
#include "contract/Cp1250Codec.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Files the results tests work on, built in the current (temporary)
// directory.
namespace ResultsFixture {

using namespace LogFixture;

inline QByteArray cp1250(const QString& text) {
    return Cp1250Codec::encode(text).bytes;
}

// Blocks of one frame with the values v and v: the score of any number of
// them is exactly 2 v.
inline QByteArray blocksScoring(double score, int blocks) {
    QByteArray data;
    for (int i = 0; i < blocks; ++i) {
        data += "1\r\n" + QByteArray::number(score / 2) + "\r\n" + QByteArray::number(score / 2) + "\r\n";
    }
    return data + "konec\r\n";
}

[[nodiscard]] inline bool writeLog(const QByteArray& blocks) {
    return TestSupport::writeRaw(QStringLiteral("vysledek.log"), logHeader() + blocks);
}

// A database of records whose texts say their score, e.g. " 10".
inline QByteArray database(const QList<QByteArray>& scores) {
    QByteArray bytes;
    for (const QByteArray& score : scores) {
        bytes += cp1250(QStringLiteral("Počítač ")) + score.trimmed() + "\r\n" + score + "\r\n" +
                 cp1250(QStringLiteral("Karta ")) + score.trimmed() + "\r\n" +
                 cp1250(QStringLiteral("Paměť ")) + score.trimmed() + "\r\n";
    }
    return bytes;
}

} // namespace ResultsFixture
