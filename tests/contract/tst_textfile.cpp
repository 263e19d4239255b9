#include "TestSupport.h"
#include "WorkingFolder.h"
#include "contract/LineReader.h"
#include "contract/TextFile.h"

#include <QtTest>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::FileSizeLimit;
using TestSupport::readAll;
using TestSupport::writeRaw;

namespace {

// The lines as the reader gives them, a line too long as "<too long>".
QList<QByteArray> streamLines(const QString& name) {
    LineReader reader(name);
    QList<QByteArray> lines;
    while (!reader.atEnd()) {
        const QByteArrayView line = reader.readLine();
        lines.append(reader.lineTooLong() ? QByteArray("<too long>") : line.toByteArray());
    }
    return lines;
}

constexpr qsizetype kLimit = LineReader::kMaxLineLength;

} // namespace

class TestTextFile : public QObject {
    Q_OBJECT

    std::optional<WorkingFolder> m_folder;

private slots:
    void init() { QVERIFY(m_folder.emplace().isValid()); }
    void cleanup() { m_folder.reset(); }

    void onlyNormalFilesExist() {
        QVERIFY(writeRaw("plain.txt", "x"));
        QVERIFY(writeRaw("empty.txt", ""));
        QVERIFY(QDir().mkdir("folder"));
        QCOMPARE(::mkfifo("pipe", 0600), 0);
        QVERIFY(QFile::link("missing-target", "dangling"));
        QVERIFY(QFile::link("plain.txt", "link-to-plain"));
        QVERIFY(QFile::link("pipe", "link-to-pipe"));

        QVERIFY(TextFile::NormalFileExists("plain.txt"));
        QVERIFY(TextFile::NormalFileExists("empty.txt"));
        QVERIFY(TextFile::NormalFileExists("link-to-plain"));
        QVERIFY(!TextFile::NormalFileExists("folder"));
        QVERIFY(!TextFile::NormalFileExists("pipe"));
        QVERIFY(!TextFile::NormalFileExists("dangling"));
        QVERIFY(!TextFile::NormalFileExists("link-to-pipe"));
        QVERIFY(!TextFile::NormalFileExists("nothing"));
        QVERIFY(!TextFile::NormalFileExists("/dev/null"));
    }

    void replaceWritesExactBytes() {
        QVERIFY(writeRaw("a.txt", "old content that is longer"));
        QVERIFY(!TextFile::Replace("a.txt", TextFile::JoinLines({"one", "", "tři"})));
        QCOMPARE(readAll("a.txt"), QByteArray("one\r\n\r\ntři\r\n"));
        QVERIFY(!TextFile::Replace("b.txt", QByteArray()));
        QVERIFY(TextFile::NormalFileExists("b.txt"));
        QCOMPARE(readAll("b.txt"), QByteArray());
    }

    void replaceOntoDirectoryFailsAndNamesTheFile() {
        QVERIFY(QDir().mkdir("nastaveni.atr"));
        const std::optional<FileError> error = TextFile::Replace("nastaveni.atr", "*X\r\n");
        QVERIFY(error.has_value());
        QCOMPARE(error->fileName, QStringLiteral("nastaveni.atr"));
        QVERIFY(!error->reason.isEmpty());
        QVERIFY(error->message().contains("nastaveni.atr"));
        QVERIFY(error->message().contains(error->reason));
        QVERIFY(QFileInfo("nastaveni.atr").isDir());
    }

    void failedReplaceKeepsTheOldFile() {
        const QByteArray old = TextFile::JoinLines({"keep", "me"});
        QVERIFY(writeRaw("data.txt", old));
        {
            const FileSizeLimit limit(16);
            const std::optional<FileError> error = TextFile::Replace("data.txt", QByteArray(4096, 'n'));
            QVERIFY(error.has_value());
            QCOMPARE(error->fileName, QStringLiteral("data.txt"));
        }
        QCOMPARE(readAll("data.txt"), old);
        // No temporary file is left behind.
        QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{"data.txt"});
    }

    void lineEnds_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\n") << QList<QByteArray>{"a", "b"};
        QTest::newRow("last line without end") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
        QTest::newRow("lone LF") << QByteArray("a\nb\n") << QList<QByteArray>{"a", "b"};
        QTest::newRow("lone CR") << QByteArray("a\rb") << QList<QByteArray>{"a", "b"};
        QTest::newRow("LF CR is two ends") << QByteArray("a\n\rb") << QList<QByteArray>{"a", "", "b"};
        QTest::newRow("empty lines") << QByteArray("\r\n\r\nx\r\n") << QList<QByteArray>{"", "", "x"};
        QTest::newRow("empty file") << QByteArray() << QList<QByteArray>{};
        QTest::newRow("only an end") << QByteArray("\r\n") << QList<QByteArray>{""};
        QTest::newRow("trailing CR at end of file") << QByteArray("a\r") << QList<QByteArray>{"a"};
        QTest::newRow("bytes kept") << QByteArray("\x9a\xe8\0z\r\n", 6)
                                    << QList<QByteArray>{QByteArray("\x9a\xe8\0z", 4)};
    }

    void lineEnds() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        QVERIFY(writeRaw("in.txt", bytes));
        QCOMPARE(streamLines("in.txt"), lines);
    }

    // Lines that straddle the reader's internal buffer, including a CR LF
    // split between two reads, and a line longer than the buffer, which is
    // too long and skipped.
    void linesAcrossBufferBoundaries() {
        QList<QByteArray> expected;
        QByteArray bytes;
        for (int i = 0; i < 40000; ++i) {
            const QByteArray line = QByteArray::number(i * 7919 % 100003) + QByteArray(i % 13, 'x');
            expected.append(line);
            bytes += line + "\r\n";
        }
        const QByteArray longLine(700 * 1024, 'L');
        expected.append("<too long>");
        bytes += longLine + "\r\n";
        expected.append("end");
        bytes += "end";
        for (int shift = 0; shift < 3; ++shift) {
            QByteArray shifted = QByteArray(shift, 'p') + bytes;
            QList<QByteArray> shiftedExpected = expected;
            shiftedExpected[0].prepend(QByteArray(shift, 'p'));
            QVERIFY(writeRaw("big.txt", shifted));
            QCOMPARE(streamLines("big.txt"), shiftedExpected);
        }
    }

    // A line of the limit is read; one byte more is too long and skipped
    // whole, whatever ends it, and the lines after it read as they are.
    void lineLengthLimit_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("lines");
        const QByteArray atLimit(kLimit, 'a');
        const QByteArray over(kLimit + 1, 'b');
        const QByteArray huge(3 * 1024 * 1024 + 5, 'c');
        QTest::newRow("at the limit, CR LF") << atLimit + "\r\nx\r\n" << QList<QByteArray>{atLimit, "x"};
        QTest::newRow("at the limit, CR") << atLimit + "\rx" << QList<QByteArray>{atLimit, "x"};
        QTest::newRow("at the limit, last line") << "x\n" + atLimit << QList<QByteArray>{"x", atLimit};
        QTest::newRow("one over, CR LF") << over + "\r\nx\r\n" << QList<QByteArray>{"<too long>", "x"};
        QTest::newRow("one over, LF") << "x\n" + over + "\ny" << QList<QByteArray>{"x", "<too long>", "y"};
        QTest::newRow("one over, CR then empty line")
            << over + "\r\ry" << QList<QByteArray>{"<too long>", "", "y"};
        QTest::newRow("one over, last line") << "x\r\n" + over << QList<QByteArray>{"x", "<too long>"};
        QTest::newRow("megabytes, CR LF") << huge + "\r\n" + atLimit + "\r\n"
                                          << QList<QByteArray>{"<too long>", atLimit};
        QTest::newRow("megabytes, last line") << huge << QList<QByteArray>{"<too long>"};
    }
    void lineLengthLimit() {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, lines);
        // Short lines before it move the long line against the reader's
        // buffer: its end falls at the buffer's end or just before or after.
        constexpr qsizetype kBuffer = 256 * 1024;
        const qsizetype shifts[] = {
            0, 1, kBuffer - kLimit - 2, kBuffer - kLimit - 1, kBuffer - kLimit, kBuffer - kLimit + 1};
        for (const qsizetype shift : shifts) {
            QByteArray filler;
            QList<QByteArray> shiftedLines;
            while (filler.size() < shift) {
                const QByteArray line(qMin<qsizetype>(999, shift - filler.size() - 1), 's');
                filler += line + '\n';
                shiftedLines.append(line);
            }
            shiftedLines += lines;
            QVERIFY(writeRaw("long.txt", filler + bytes));
            QCOMPARE(streamLines("long.txt"), shiftedLines);
        }
    }

    // The reason a reader gives names the line.
    void lineTooLongIsNamed() {
        QVERIFY(writeRaw("long.txt", "one\r\ntwo\r\n" + QByteArray(kLimit + 1, 'x') + "\r\nfour\r\n"));
        LineReader reader("long.txt");
        while (!reader.atEnd() && (reader.readLine(), !reader.lineTooLong())) {
        }
        QVERIFY(reader.lineTooLong());
        QCOMPARE(reader.lineTooLongReason(), QStringLiteral("Řádek 3 je delší než 65536 bajtů."));
    }

    // Neither blocks: a FIFO without a writer, a directory, a device.
    void onlyNormalFilesAreRead() {
        QCOMPARE(::mkfifo("pipe", 0600), 0);
        QVERIFY(QDir().mkdir("folder"));
        for (const QString& name :
             {QStringLiteral("pipe"), QStringLiteral("folder"), QStringLiteral("/dev/zero")}) {
            LineReader reader(name);
            QVERIFY2(reader.error().has_value(), qPrintable(name));
            QVERIFY(reader.atEnd());
            QVERIFY(reader.readLine().isEmpty());
        }
    }

    void missingFileIsAReadError() {
        LineReader reader("missing.txt");
        QVERIFY(reader.error().has_value());
        QCOMPARE(reader.error()->operation, FileError::Operation::Read);
        QVERIFY(reader.atEnd());
        QCOMPARE(reader.error()->fileName, QStringLiteral("missing.txt"));
        QVERIFY(reader.error()->message().contains("missing.txt"));
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
