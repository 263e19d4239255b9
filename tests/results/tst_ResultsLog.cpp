#include "ResultsFixture.h"
#include "WorkingFolder.h"
#include "contract/EngineContract.h"
#include "contract/LineReader.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/TextFile.h"
#include "results/ResultsLog.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTest>
#include <cmath>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace ResultsFixture;
using ResultsLog::Outcome;

Q_DECLARE_METATYPE(ResultsLog::Outcome)

class tst_ResultsLog : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void readsBlocks_data();
    void readsBlocks();
    void largestFrameCountIsRead();
    void lineTooLongIsDamaged_data();
    void lineTooLongIsDamaged();
    void logTooLargeIsRefused();
    void lineEndsOfAnyKind();
    void headerTextsAsRead();
    void notANormalFileIsNoLog_data();
    void notANormalFileIsNoLog();
    void readFailureIsReported();
    void caption_data();
    void caption();
    void valueLinesReadAsTheGeneralRuleReadsThem();

private:
    std::optional<WorkingFolder> m_folder;
};

void tst_ResultsLog::init() {
    QVERIFY(m_folder.emplace().isValid());
}

void tst_ResultsLog::cleanup() {
    m_folder.reset();
}

void tst_ResultsLog::readsBlocks_data() {
    QTest::addColumn<QByteArray>("blocks");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<int>("blockCount");
    QTest::addColumn<qint64>("totalFrames");
    QTest::addColumn<double>("valueSum");

    const QByteArray block = "3\r\n1\r\n2\r\n3\r\n4\r\n";
    QTest::newRow("seven blocks") << block.repeated(7) + "konec\r\n"
                                  << Outcome::Ok << 7 << qint64(21) << 70.0;
    QTest::newRow("six blocks") << block.repeated(6) + "konec\r\n" << Outcome::Ok << 6 << qint64(18) << 60.0;
    QTest::newRow("eight blocks") << block.repeated(8) + "konec\r\n"
                                  << Outcome::Ok << 8 << qint64(24) << 80.0;
    QTest::newRow("count 0 still has a value")
        << QByteArray("0\r\n5\r\n2\r\n1\r\n1\r\n1\r\nkonec\r\n") << Outcome::Ok << 2 << qint64(2) << 8.0;
    QTest::newRow("all counts 0") << QByteArray("0\r\n5\r\n0\r\n6\r\nkonec\r\n") << Outcome::ZeroFrames << 0
                                  << qint64(0) << 0.0;
    QTest::newRow("count line of letters counts 0")
        << QByteArray("abc\r\n7\r\nkonec\r\n") << Outcome::ZeroFrames << 0 << qint64(0) << 0.0;
    QTest::newRow("count line of letters starts the first block")
        << QByteArray("abc\r\n7\r\n1\r\n1\r\n1\r\nkonec\r\n") << Outcome::Ok << 2 << qint64(1) << 9.0;
    QTest::newRow("ends after two of four values")
        << QByteArray("3\r\n1\r\n2\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("empty closing line, nothing after it read")
        << QByteArray("1\r\n1\r\n1\r\n\r\n3\r\n9\r\n9\r\n") << Outcome::Ok << 1 << qint64(1) << 2.0;
    QTest::newRow("closing line starting with a number")
        << QByteArray("1\r\n1\r\n1\r\n2 bloky\r\n9\r\n") << Outcome::Ok << 1 << qint64(1) << 2.0;
    QTest::newRow("next count line with blanks")
        << QByteArray("1\r\n1\r\n1\r\n 2 \r\n1\r\n1\r\n1\r\nkonec\r\n") << Outcome::Ok << 2 << qint64(3)
        << 5.0;
    QTest::newRow("12.5 with blanks, 12,5, letters")
        << QByteArray("2\r\n  12.5  \r\n12,5\r\nabc\r\nkonec\r\n") << Outcome::Ok << 1 << qint64(2) << 24.5;
    QTest::newRow("count 2.5 is 2 frames")
        << QByteArray("2.5\r\n1\r\n1\r\n1\r\nkonec\r\n") << Outcome::Ok << 1 << qint64(2) << 3.0;
    QTest::newRow("count 3.5 is 4 frames")
        << QByteArray("3.5\r\n1\r\n1\r\n1\r\n1\r\n1\r\nkonec\r\n") << Outcome::Ok << 1 << qint64(4) << 5.0;
    QTest::newRow("negative count reads no value")
        << QByteArray("-2\r\n3\r\n1\r\n2\r\n3\r\n4\r\nkonec\r\n") << Outcome::Ok << 2 << qint64(1) << 10.0;
    QTest::newRow("counts adding up to 0")
        << QByteArray("-1\r\n1\r\n5\r\n6\r\nkonec\r\n") << Outcome::ZeroFrames << 0 << qint64(0) << 0.0;
    QTest::newRow("no closing line after the last value")
        << QByteArray("1\r\n1\r\n1\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("last value without line end")
        << QByteArray("1\r\n1\r\n1") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("count 32767") << QByteArray("32767\r\n1\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("later count 32767")
        << QByteArray("1\r\n1\r\n1\r\n32767\r\n1\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("count beyond 16 bits")
        << QByteArray("70000\r\n1\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("count below 16 bits")
        << QByteArray("-32769\r\n1\r\nkonec\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("count 1E400") << QByteArray("1E400\r\n1\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("value 1E400") << QByteArray("1\r\n1E400\r\n1\r\nkonec\r\n") << Outcome::Damaged << 0
                                 << qint64(0) << 0.0;
    QTest::newRow("values 1E400 and -1E400")
        << QByteArray("1\r\n1E400\r\n-1E400\r\nkonec\r\n") << Outcome::Damaged << 0 << qint64(0) << 0.0;
    QTest::newRow("no line 8") << QByteArray() << Outcome::Damaged << 0 << qint64(0) << 0.0;
}

void tst_ResultsLog::readsBlocks() {
    QFETCH(QByteArray, blocks);
    QFETCH(Outcome, outcome);
    QVERIFY(writeLog(blocks));
    const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
    QCOMPARE(result.outcome, outcome);
    if (outcome == Outcome::Ok) {
        QFETCH(int, blockCount);
        QFETCH(qint64, totalFrames);
        QFETCH(double, valueSum);
        QCOMPARE(result.summary.blockCount, blockCount);
        QCOMPARE(result.summary.totalFrames, totalFrames);
        QCOMPARE(result.summary.valueSum, valueSum);
        QCOMPARE(result.summary.score, valueSum / static_cast<double>(totalFrames));
    }
}

void tst_ResultsLog::largestFrameCountIsRead() {
    QVERIFY(writeLog("32766\r\n" + QByteArray("1\r\n").repeated(32767) + "konec\r\n"));
    const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
    QCOMPARE(result.outcome, Outcome::Ok);
    QCOMPARE(result.summary.totalFrames, qint64(32766));
    QCOMPARE(result.summary.valueSum, 32767.0);
}

// A line of any part of the log that is longer than a line may be makes it
// damaged; at the limit it reads as its leading number says. The long line
// is padded with blanks, so its number is the same either way.
void tst_ResultsLog::lineTooLongIsDamaged_data() {
    QTest::addColumn<int>("line");
    const char* const parts[] = {"first text",  "second text", "memory",     "system",
                                 "extra",       "processor",   "graphics",   "first count",
                                 "first value", "last value",  "next count", "value of the last block",
                                 "closing line"};
    for (int line = 0; line < 13; ++line) {
        QTest::newRow(parts[line]) << line;
    }
}

void tst_ResultsLog::lineTooLongIsDamaged() {
    QFETCH(int, line);
    QList<QByteArray> lines = logHeader().split('\n');
    lines.removeLast();
    for (QByteArray& header : lines) {
        header.chop(1);
    }
    lines += {"1", "2", "3", "1", "1", "3", "konec"};
    for (const qsizetype length : {LineReader::kMaxLineLength, LineReader::kMaxLineLength + 1}) {
        QList<QByteArray> padded = lines;
        padded[line] = padded[line].leftJustified(length, ' ');
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), TextFile::JoinLines(padded)));
        const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
        if (length > LineReader::kMaxLineLength) {
            QCOMPARE(result.outcome, Outcome::Damaged);
        } else {
            QCOMPARE(result.outcome, Outcome::Ok);
            QCOMPARE(result.summary.blockCount, 2);
            QCOMPARE(result.summary.valueSum, 9.0);
        }
    }
}

// A log larger than the limit is refused before it is read, so even one of
// a gigabyte answers at once. The files are sparse: at the limit the reader
// meets a line of zero bytes that is too long, one byte over it meets none.
void tst_ResultsLog::logTooLargeIsRefused() {
    QFile file(QStringLiteral("vysledek.log"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(ResultsLogReader::kMaxLogSize));
    file.close();
    QCOMPARE(ResultsLog::ReadResultsLog().outcome, Outcome::Damaged);
    QVERIFY(file.resize(ResultsLogReader::kMaxLogSize + 1));
    QCOMPARE(ResultsLog::ReadResultsLog().outcome, Outcome::TooLarge);
    QVERIFY(file.resize(1024LL * 1024 * 1024));
    QCOMPARE(ResultsLog::ReadResultsLog().outcome, Outcome::TooLarge);
    QCOMPARE(ResultsLog::OutcomeMessage(Outcome::TooLarge),
             QStringLiteral("Soubor vysledek.log je větší než 64 MB. Výsledky nemohou být zobrazeny."));
}

void tst_ResultsLog::lineEndsOfAnyKind() {
    for (const QByteArray& end : {QByteArray("\n"), QByteArray("\r")}) {
        QByteArray log = logHeader() + QByteArray("3\r\n1\r\n2\r\n3\r\n4\r\n").repeated(7) + "konec\r\n";
        log.replace("\r\n", end);
        QVERIFY(TestSupport::writeRaw(QStringLiteral("vysledek.log"), log));
        const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
        QCOMPARE(result.outcome, Outcome::Ok);
        QCOMPARE(result.summary.blockCount, 7);
        QCOMPARE(result.summary.valueSum, 70.0);
        QCOMPARE(result.summary.processorText, kProcessor);
    }
}

void tst_ResultsLog::headerTextsAsRead() {
    QVERIFY(TestSupport::writeRaw(
        QStringLiteral("vysledek.log"),
        cp1250(QStringLiteral("a\r\nb\r\n  paměť  \r\n\r\nčtvrtý řádek\r\n Procesor \r\nKarta ž\r\n")) +
            "1\r\n1\r\n1\r\nkonec\r\n"));
    const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
    QCOMPARE(result.outcome, Outcome::Ok);
    QCOMPARE(result.summary.memoryText, QStringLiteral("  paměť  "));
    QCOMPARE(result.summary.operatingSystemText, QString());
    QCOMPARE(result.summary.extraText, QStringLiteral("čtvrtý řádek"));
    QCOMPARE(result.summary.processorText, QStringLiteral(" Procesor "));
    QCOMPARE(result.summary.graphicsCardText, QStringLiteral("Karta ž"));
}

void tst_ResultsLog::notANormalFileIsNoLog_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to a FIFO") << "link";
    QTest::newRow("device") << "device";
}

void tst_ResultsLog::notANormalFileIsNoLog() {
    QFETCH(QString, kind);
    if (kind == "directory") {
        QVERIFY(QDir().mkdir("vysledek.log"));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo("vysledek.log", 0600), 0);
    } else if (kind == "link") {
        QCOMPARE(::mkfifo("roura", 0600), 0);
        QCOMPARE(::symlink("roura", "vysledek.log"), 0);
    } else if (kind == "device") {
        QCOMPARE(::symlink("/dev/zero", "vysledek.log"), 0);
    }
    // A FIFO without a writer would block an open; /dev/zero never ends.
    QVERIFY(!ResultsLog::ResultsLogExists());
    QCOMPARE(ResultsLog::ReadResultsLog().outcome, Outcome::NoLog);
}

void tst_ResultsLog::readFailureIsReported() {
    // A normal file whose reading fails at its start.
    QCOMPARE(::symlink("/proc/self/mem", "vysledek.log"), 0);
    const ResultsLog::ReadResult result = ResultsLog::ReadResultsLog();
    QCOMPARE(result.outcome, Outcome::ReadFailed);
    QVERIFY(result.error);
    QVERIFY(result.error->message().contains(QStringLiteral("vysledek.log")));
}

void tst_ResultsLog::caption_data() {
    QTest::addColumn<int>("blocks");
    QTest::addColumn<double>("score");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("joins");
    QTest::newRow("7 blocks") << 7 << 70.0 / 21 << QStringLiteral(" 3.33333333333333 bodů") << true;
    QTest::newRow("7 blocks, 30") << 7 << 30.0 << QStringLiteral(" 30 bodů") << true;
    QTest::newRow("8 blocks") << 8 << 0.5 << QStringLiteral(" .5 bodů") << false;
    QTest::newRow("6 blocks") << 6 << 30.0 << QStringLiteral("Neproběhl dostatečný počet testů.") << false;
    QTest::newRow("1 block") << 1 << -2.0 << QStringLiteral("Neproběhl dostatečný počet testů.") << false;
}

void tst_ResultsLog::caption() {
    QFETCH(int, blocks);
    QFETCH(double, score);
    QFETCH(QString, caption);
    QFETCH(bool, joins);
    ResultsLog::ResultsLogSummary summary;
    summary.blockCount = blocks;
    summary.score = score;
    QCOMPARE(ResultsLog::ScoreCaption(summary), caption);
    QCOMPARE(ResultsLog::IsScoreShown(summary), blocks >= EngineContract::kTestCount);
    QCOMPARE(ResultsLog::JoinsComparison(summary), joins);
}

// Value lines are read through a shortcut for plain decimals; it must give
// exactly what the general rule gives, which the text overload still uses.
void tst_ResultsLog::valueLinesReadAsTheGeneralRuleReadsThem() {
    QList<QByteArray> lines = {"",
                               "-0",
                               "0.1",
                               "  12.5  ",
                               "12,5",
                               "1 000",
                               "- 5",
                               "+.5",
                               "5.",
                               ".",
                               "1.2.3",
                               "9007199254740992",
                               "9007199254740993",
                               "0.30000000000000004",
                               "123456789012345678901234",
                               "0.0000000000000000000001",
                               "0.00000000000000000000001",
                               "1e5",
                               "1 e5",
                               "2E",
                               "&H1F",
                               "\t7\n",
                               "3x",
                               "-17.25abc"};
    QRandomGenerator random(4);
    const char alphabet[] = "0123456789.-+ eE&Hx";
    for (int i = 0; i < 20000; ++i) {
        QByteArray line;
        const int length = random.bounded(0, 24);
        for (int j = 0; j < length; ++j) {
            line += alphabet[random.bounded(0, int(sizeof alphabet) - 1)];
        }
        lines.append(line);
        lines.append(QByteArray::number(random.bounded(0, 1 << 30)) + '.' +
                     QByteArray::number(random.bounded(0, 1 << 30)));
    }
    for (const QByteArray& line : lines) {
        const double bytes = NumberRules::LeadingNumber(line);
        const double text = NumberRules::LeadingNumber(QString::fromLatin1(line));
        QVERIFY2(std::memcmp(&bytes, &text, sizeof bytes) == 0,
                 qPrintable(QStringLiteral("\"%1\": %2 against %3")
                                .arg(QString::fromLatin1(line))
                                .arg(bytes, 0, 'g', 17)
                                .arg(text, 0, 'g', 17)));
    }
}

QTEST_GUILESS_MAIN(tst_ResultsLog)
#include "tst_ResultsLog.moc"
