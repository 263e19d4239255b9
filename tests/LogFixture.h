#pragma once

#include "contract/BlockSampling.h"
#include "contract/Cp1250Codec.h"
#include "contract/ResultsLogWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The results log's header that the tests of both programs' readers and
// writers share: the computer every test log describes, with Czech letters
// in its texts, and whole logs written by the contract's own writer.
namespace LogFixture {

inline const QString kProcessor = QStringLiteral("Procesor Čtyřjádrový 3,2 GHz");
inline const QString kGraphics = QStringLiteral("Grafická karta Žluťoučký kůň");
inline const QString kMemory = QStringLiteral("Operační paměť 512 MB");
inline const QString kSystem = QStringLiteral("Linux 6.1");
inline const QString kExtra = QStringLiteral("OpenGL 4.6 – ovladač");

// Lines 1 to 7 of a log, in the order of EngineContract::LogLine.
inline QStringList header() {
    return {QStringLiteral("3D Trenzor"),
            QStringLiteral("čas běhu"),
            kMemory,
            kSystem,
            kExtra,
            kProcessor,
            kGraphics};
}

inline QByteArray logHeader() {
    return Cp1250Codec::encode(header().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).bytes;
}

// A whole log of these blocks' rates, none of them thinned.
inline QByteArray log(const QList<QList<double>>& blocks) {
    ResultsLogWriter writer(header());
    for (const QList<double>& rates : blocks) {
        writer.addBlock(rates, BlockSampling{});
    }
    return writer.encode();
}

} // namespace LogFixture
