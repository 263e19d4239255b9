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

// How much more memory a window may take for a hostile file, in kB: the
// 100 MB promised. Under AddressSanitizer freed memory waits in its
// quarantine (256 MB by default) before it is used again, so there the bound
// is the promise plus that quarantine; the files it guards against take
// gigabytes.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kHostileFileMemoryKb = (100 + 256) * 1024;
#else
constexpr long kHostileFileMemoryKb = 100 * 1024;
#endif

// The process's resident memory in kB, as /proc/self/status gives it.
inline long residentKb() {
    for (const QByteArray& line : TestSupport::readAll(QStringLiteral("/proc/self/status")).split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').constFirst().toLong();
        }
    }
    return -1;
}

// Logs no run can have written, and what the details window shows of each
// one's first test (empty: the log is refused as damaged). A window shown
// them must stay responsive and small.
struct HostileLog {
    const char* name;
    QByteArray log;
    QString percentile99;
};
inline QList<HostileLog> hostileLogs() {
    const QByteArray normal = QByteArray("3\r\n50\r\n50\r\n50\r\n0\r\n").repeated(5) + "konec\r\n";
    return {
        // A frame of 100 000 s is no frame: left out, as a rate of 0 is.
        {"frame rate 0.00001", "3\r\n50\r\n0.000010\r\n50\r\n0\r\n" + normal, QStringLiteral("20.00")},
        // A sample that says it stands for 999 999 999 s is not taken for one.
        {"thinned block of 999999999 s",
         "22\r\n" + QByteArray("50\r\n").repeated(22) +
             cp1250(QStringLiteral("0 vzorek: každý 2. snímek; zobrazeno 43 snímků za 999999999 s\r\n")) +
             normal,
         QStringLiteral("20.00")},
        // Frames each real but together longer than any test.
        {"block of 8000 s", "8\r\n" + QByteArray("0.001\r\n").repeated(8) + "0\r\n" + normal, QString()},
        // A test of 0.01 s before one of 6000 s: the time axis goes from
        // steps of 2 ms to steps of 1000 s.
        {"short test, then the longest", "1\r\n100\r\n0\r\n3\r\n0.0005\r\n0.0005\r\n0.0005\r\n0\r\n" + normal,
         QStringLiteral("10.00")},
    };
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
