// The settings state file's format and its reading rules, and the numbers the
// confirmation takes from the list texts, without any window.
#include "TestSupport.h"
#include "contract/LineReader.h"
#include "contract/TextFile.h"
#include "settings/SettingsState.h"
#include "settings/SettingsValues.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr std::array<int, 3> kSizes = {10, 3, 2};

QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray& line : lines) {
        line.chop(1);
    }
    return lines;
}

QList<QByteArray> standardLines() {
    return linesOf(SettingsState::Standard().toBytes());
}

// The values of lines 1 to 14, in file order.
std::array<qint16, 14> valuesOf(const SettingsState& s) {
    return {s.tests[0], s.tests[1], s.tests[2],   s.tests[3], s.tests[4], s.tests[5], s.tests[6],
            s.noIntro,  s.endless,  s.fullScreen, s.stereo,   s.lists[0], s.lists[1], s.lists[2]};
}

} // namespace

class TestSettingsState : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The settings the dialog reads from a state file of these lines.
    SettingsState stateOf(const QList<QByteArray>& lines) {
        const QString name = m_dir.filePath(QStringLiteral("nastaveni.bnc"));
        if (!TestSupport::writeRaw(name, TextFile::JoinLines(lines))) {
            qFatal("cannot write %s", qPrintable(name));
        }
        LineReader reader(name);
        const std::optional<SettingsState> state = SettingsState::read(reader, kSizes);
        if (reader.error() || !state) {
            qFatal("cannot read %s", qPrintable(name));
        }
        return *state;
    }

private slots:
    void standardFileIs75Bytes() {
        const QByteArray expected =
            QByteArray(" 1 \r\n").repeated(7) + " 0 \r\n 0 \r\n 1 \r\n 0 \r\n 4 \r\n 0 \r\n 0 \r\n 1 \r\n";
        QCOMPARE(SettingsState::Standard().toBytes(), expected);
        QCOMPARE(expected.size(), 75);
    }

    void negativeAndGreyedValuesAreWrittenInTheSignedForm() {
        SettingsState state = SettingsState::Standard();
        state.tests[2] = 2;
        state.lists[0] = -1;
        state.rated = false;
        const QList<QByteArray> lines = linesOf(state.toBytes());
        QCOMPARE(lines.size(), 15);
        QCOMPARE(lines.at(2), QByteArray(" 2 "));
        QCOMPARE(lines.at(11), QByteArray("-1 "));
        QCOMPARE(lines.at(14), QByteArray(" 0 "));
    }

    void roundTripGivesTheSameBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("standard") << SettingsState::Standard().toBytes();
        QTest::newRow("free flight, greyed box, last entries")
            << QByteArray(" 0 \r\n 1 \r\n 2 \r\n 0 \r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n 1 \r\n 0 \r\n 2 \r\n 9 "
                          "\r\n 2 \r\n 1 \r\n 0 \r\n");
    }
    void roundTripGivesTheSameBytes() {
        QFETCH(QByteArray, bytes);
        QCOMPARE(stateOf(linesOf(bytes)).toBytes(), bytes);
    }

    // Each row replaces one line of the standard file (index, text) and
    // names the value the reader must put in the state.
    void oddLines_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");

        QTest::newRow("value without blanks") << 0 << QByteArray("0") << 0;
        QTest::newRow("trailing text after the number") << 7 << QByteArray(" 1 ticked") << 1;
        QTest::newRow("blanks inside the line") << 8 << QByteArray("   1   ") << 1;
        QTest::newRow("letters read as 0") << 0 << QByteArray("abc") << 0;
        QTest::newRow("empty line reads as 0") << 10 << QByteArray("") << 0;
        QTest::newRow("greyed box kept") << 3 << QByteArray(" 2 ") << 2;
        QTest::newRow("half rounds to even: 0.5") << 1 << QByteArray("0.5") << 0;
        QTest::newRow("half rounds to even: 1.5") << 1 << QByteArray("1.5") << 2;
        QTest::newRow("check box 3 gives the standard tick") << 4 << QByteArray(" 3 ") << 1;
        QTest::newRow("check box -1 gives the standard tick") << 6 << QByteArray("-1 ") << 1;
        QTest::newRow("stereo 7 gives the standard clear box") << 10 << QByteArray(" 7 ") << 0;
        QTest::newRow("full screen beyond 16 bits gives standard") << 9 << QByteArray(" 40000 ") << 1;
        QTest::newRow("huge number gives standard") << 7 << QByteArray("1E300") << 0;
        QTest::newRow("list position kept") << 11 << QByteArray(" 9 ") << 9;
        QTest::newRow("list position beyond the list") << 11 << QByteArray(" 10 ") << 4;
        QTest::newRow("stored -1 gives the standard entry") << 11 << QByteArray("-1 ") << 4;
        QTest::newRow("position below -1") << 12 << QByteArray("-5 ") << 0;
        QTest::newRow("colour position 2 kept") << 12 << QByteArray(" 2 ") << 2;
        QTest::newRow("depth position 2 beyond") << 13 << QByteArray(" 2 ") << 0;
        QTest::newRow("depth position beyond 16 bits") << 13 << QByteArray(" 32768 ") << 0;
    }
    void oddLines() {
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QList<QByteArray> lines = standardLines();
        lines[line] = text;
        const std::array<qint16, 14> values = valuesOf(stateOf(lines));
        const std::array<qint16, 14> standard = valuesOf(SettingsState::Standard());
        QCOMPARE(values[line], expected);
        // Every other line is read as it stands.
        for (int i = 0; i < 14; ++i) {
            if (i != line) {
                QCOMPARE(values[i], standard[i]);
            }
        }
    }

    void modeLine_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("rated");
        QTest::newRow("\" 1 \"") << QByteArray(" 1 ") << true;
        QTest::newRow("\"1\"") << QByteArray("1") << true;
        QTest::newRow("1.0 is exactly 1") << QByteArray("1.0") << true;
        QTest::newRow("\" 0 \"") << QByteArray(" 0 ") << false;
        QTest::newRow("empty line") << QByteArray("") << false;
        QTest::newRow("letters") << QByteArray("rated") << false;
        QTest::newRow("1.4 is not rounded") << QByteArray("1.4") << false;
        QTest::newRow("-1") << QByteArray("-1 ") << false;
        QTest::newRow("65537 does not wrap to 1") << QByteArray("65537") << false;
    }
    void modeLine() {
        QFETCH(QByteArray, text);
        QFETCH(bool, rated);
        QList<QByteArray> lines = standardLines();
        lines[14] = text;
        QCOMPARE(stateOf(lines).rated, rated);
    }

    void shortFileFillsTheRestWithStandardSettings() {
        QList<QByteArray> lines = linesOf(QByteArray(
            " 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n 0 \r\n 1 \r\n 9 \r\n"));
        SettingsState expected;
        expected.tests.fill(0);
        expected.noIntro = 1;
        expected.endless = 1;
        expected.fullScreen = 0;
        expected.stereo = 1;
        expected.lists = {9, 0, 0};
        expected.rated = true;
        QCOMPARE(stateOf(lines), expected);
        QCOMPARE(stateOf({}), SettingsState::Standard());
    }

    // A line too long to be a value, wherever it stands among the fifteen,
    // makes the file unusable: nothing of it is taken, and the reader says
    // which line. At the limit the line still reads. The long line carries a
    // value the control could show, so only its length decides.
    void lineTooLongMakesTheFileUnusable_data() {
        QTest::addColumn<int>("line");
        for (int line = 0; line < SettingsState::kLineCount; ++line) {
            QTest::newRow(qPrintable(QStringLiteral("line %1").arg(line + 1))) << line;
        }
    }
    void lineTooLongMakesTheFileUnusable() {
        QFETCH(int, line);
        const QList<QByteArray> other{" 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 ", " 1 ",
                                      " 1 ", " 0 ", " 1 ", " 9 ", " 2 ", " 1 ", " 0 "};
        QCOMPARE(stateOf(other).toBytes(), TextFile::JoinLines(other));
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath(QStringLiteral("nastaveni.bnc"));
        const auto readWithLineOf = [&](qsizetype length, QString* reason) {
            QList<QByteArray> lines = other;
            lines[line] = lines[line].leftJustified(length, ' ');
            if (!TestSupport::writeRaw(name, TextFile::JoinLines(lines))) {
                qFatal("cannot write %s", qPrintable(name));
            }
            LineReader reader(name);
            const std::optional<SettingsState> state = SettingsState::read(reader, kSizes);
            if (reader.error()) {
                qFatal("cannot read %s", qPrintable(name));
            }
            *reason = reader.lineTooLongReason();
            return state;
        };
        QString reason;
        const std::optional<SettingsState> atLimit = readWithLineOf(LineReader::kMaxLineLength, &reason);
        QVERIFY(atLimit);
        QCOMPARE(atLimit->toBytes(), TextFile::JoinLines(other));
        QVERIFY(!readWithLineOf(LineReader::kMaxLineLength + 1, &reason));
        QCOMPARE(reason, QStringLiteral("Řádek %1 je delší než 65536 bajtů.").arg(line + 1));
    }

    void linesAfterTheFifteenthAreIgnored() {
        QList<QByteArray> lines = standardLines();
        lines[14] = " 0 ";
        const SettingsState before = stateOf(lines);
        lines += {" 1 ", "garbage", "-7 "};
        QCOMPARE(stateOf(lines), before);
        QVERIFY(!before.rated);
    }

    // What each list entry shows is what it writes.
    void listEntriesShowTheirNumbers() {
        for (const SettingsValues::WindowSize& size : SettingsValues::kWindowSizes) {
            QCOMPARE(QString::fromUtf8(size.text), QStringLiteral("%1x%2").arg(size.width).arg(size.height));
        }
        for (const SettingsValues::BitCount& count : SettingsValues::kColourBits) {
            QCOMPARE(QString::fromUtf8(count.text), QStringLiteral("%1 bitů").arg(count.bits));
        }
        for (const SettingsValues::BitCount& count : SettingsValues::kDepthBits) {
            QCOMPARE(QString::fromUtf8(count.text), QStringLiteral("%1 bitů").arg(count.bits));
        }
        // The standard positions are the standard entries.
        const SettingsState standard = SettingsState::Standard();
        QCOMPARE(QString::fromUtf8(SettingsValues::kWindowSizes.at(standard.lists[0]).text),
                 QStringLiteral("640x480"));
        QCOMPARE(SettingsValues::kColourBits.at(standard.lists[1]).bits, qint16(16));
        QCOMPARE(SettingsValues::kDepthBits.at(standard.lists[2]).bits, qint16(16));
    }

    void listPositions_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("colourBits");
        QTest::addColumn<int>("depthBits");
        QTest::newRow("640x480") << 4 << 0 << 0 << 640 << 480 << 16 << 16;
        QTest::newRow("1600x1200") << 9 << 2 << 1 << 1600 << 1200 << 32 << 24;
        QTest::newRow("320x200") << 0 << 1 << 0 << 320 << 200 << 24 << 16;
        QTest::newRow("1024x768") << 6 << 0 << 1 << 1024 << 768 << 16 << 24;
    }
    void listPositions() {
        QFETCH(int, size);
        QFETCH(int, colour);
        QFETCH(int, depth);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, colourBits);
        QFETCH(int, depthBits);
        const std::optional<SettingsValues::Screen> screen =
            SettingsValues::FromListPositions(size, colour, depth);
        QVERIFY(screen);
        QCOMPARE(*screen,
                 (SettingsValues::Screen{static_cast<qint16>(width), static_cast<qint16>(height),
                                         static_cast<qint16>(colourBits), static_cast<qint16>(depthBits)}));
    }

    void positionsOutsideTheListsAreRefused_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("depth");
        QTest::newRow("no window size chosen") << -1 << 0 << 0;
        QTest::newRow("no colour chosen") << 4 << -1 << 0;
        QTest::newRow("no depth chosen") << 4 << 0 << -1;
        QTest::newRow("past the window sizes") << 10 << 0 << 0;
        QTest::newRow("past the colours") << 4 << 3 << 0;
        QTest::newRow("past the depths") << 4 << 0 << 2;
    }
    void positionsOutsideTheListsAreRefused() {
        QFETCH(int, size);
        QFETCH(int, colour);
        QFETCH(int, depth);
        QVERIFY(!SettingsValues::FromListPositions(size, colour, depth));
    }
};

QTEST_APPLESS_MAIN(TestSettingsState)
#include "tst_settingsstate.moc"
