#include "LogFixture.h"
#include "TestSupport.h"
#include "contract/BlockSampling.h"
#include "contract/Cp1250Codec.h"
#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/ResultsLogReader.h"
#include "contract/ResultsLogWriter.h"

#include <QtTest>
#include <cerrno>
#include <cstring>

// The results log as both programs see it: what the engine's writer saves,
// the reader gives back unchanged; the closing line of a block says how it
// was thinned, and to every reader that only sums the line it is still the
// closing 0.
class TestBlockSampling : public QObject {
    Q_OBJECT

private slots:
    // Blocks of the given frame counts, each thinned at its stride (1: not
    // thinned), with rates the log's three decimals hold exactly.
    void logReadsBackAsWritten_data() {
        QTest::addColumn<QList<int>>("counts");
        QTest::addColumn<QList<int>>("strides");
        QTest::newRow("one block") << QList<int>{3} << QList<int>{1};
        QTest::newRow("a rated run at the largest count")
            << QList<int>(EngineContract::kTestCount, EngineContract::kMaxFrameCount)
            << QList<int>(EngineContract::kTestCount, 1);
        QTest::newRow("thinned among whole") << QList<int>{5, 1, 2} << QList<int>{1, 2, 1024};
        QTest::newRow("no frames") << QList<int>{0, 4, 0} << QList<int>{1, 4, 1};
    }
    void logReadsBackAsWritten() {
        QFETCH(QList<int>, counts);
        QFETCH(QList<int>, strides);
        const QStringList header = LogFixture::header();
        ResultsLogWriter writer(header);
        QList<QList<double>> written;
        QList<BlockSampling> samplings;
        for (qsizetype b = 0; b < counts.size(); ++b) {
            QList<double> rates;
            for (int i = 0; i < counts[b]; ++i) {
                rates.append(1 + (i * 37 + int(b)) % 5000 + (i % 8) / 8.0);
            }
            const BlockSampling sampling =
                strides[b] == 1 ? BlockSampling{}
                                : BlockSampling{strides[b], (counts[b] - 1) * strides[b] + 1, 20.004112};
            writer.addBlock(rates, sampling);
            written.append(rates);
            samplings.append(sampling);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(EngineContract::kResultsLogFileName);
        QVERIFY(!writer.save(path));

        ResultsLogReader reader(path);
        QCOMPARE(reader.status(), ResultsLogReader::Status::Ok);
        QCOMPARE(reader.header(), header);
        for (qsizetype b = 0; b < written.size(); ++b) {
            QVERIFY(reader.nextBlock());
            QCOMPARE(reader.block().frameCount, counts[b]);
            QCOMPARE(reader.block().values, written[b] + QList<double>{0.0});
            const BlockSampling read = reader.sampling();
            QCOMPARE(read.stride, samplings[b].stride);
            QCOMPARE(read.frames, samplings[b].frames);
            QCOMPARE(read.seconds, samplings[b].seconds);
        }
        QVERIFY(!reader.nextBlock());
        QCOMPARE(reader.status(), ResultsLogReader::Status::Ok);
        QCOMPARE(reader.closingLine(), QStringLiteral("Konec výsledků: %1 testů").arg(counts.size()));
    }

    // Header lines stay single lines of the code page, and rates keep their
    // decimal point whatever the locale.
    void logLinesInTheCodePage() {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        QStringList header = LogFixture::header();
        header[int(EngineContract::LogLine::Processor)] = QStringLiteral("Procesor\r\nzalomený");
        header[int(EngineContract::LogLine::GraphicsCard)] = QStringLiteral("Karta ∞");
        ResultsLogWriter log(header);
        log.addBlock({60.5, 1234.25}, {});
        const QList<QByteArray> lines = log.encode().split('\n');
        QLocale::setDefault(QLocale::c());
        QCOMPARE(lines.mid(5, 6), (QList<QByteArray>{"Procesor  zalomen\xFD\r", "Karta ?\r", "2\r",
                                                     "60.500\r", "1234.250\r", "0\r"}));
    }

    // A save replaces an earlier, longer log whole, and one into a missing
    // folder names the file and the reason; the old log is removed before a
    // run, and a missing one is no error.
    void logIsSavedWholeAndRemoved() {
        QTemporaryDir dir;
        const QString path = dir.filePath(EngineContract::kResultsLogFileName);
        QVERIFY(TestSupport::writeRaw(path, QByteArray("123.456\r\n").repeated(500)));
        ResultsLogWriter log(LogFixture::header());
        log.addBlock({12.5, 40.0}, {});
        QVERIFY(!log.save(path));
        QCOMPARE(TestSupport::readAll(path), log.encode());
        QCOMPARE(ResultsLogWriter::removeOld(path), QString());
        QVERIFY(!QFile::exists(path));
        QCOMPARE(ResultsLogWriter::removeOld(path), QString());
        const QString missing = dir.filePath(QStringLiteral("missing/vysledek.log"));
        const std::optional<FileError> error = log.save(missing);
        QVERIFY(error);
        QCOMPARE(error->oneLine(), QStringLiteral("Soubor %1 nelze zapsat: %2")
                                       .arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT))));
    }

    void writtenLineReadsBack() {
        const BlockSampling written{4, 130001, 20.00411249};
        const QString line = written.ClosingLine();
        QCOMPARE(line, QStringLiteral("0 vzorek: každý 4. snímek; zobrazeno 130001 snímků za 20.004112 s"));
        // 130001 frames leave 32501 values at every 4th.
        const BlockSampling read = BlockSampling::FromClosingLine(line, 32501);
        QCOMPARE(read.stride, 4);
        QCOMPARE(read.frames, 130001);
        QCOMPARE(read.seconds, 20.004112);
        QVERIFY(read.thinned());
        QCOMPARE(read.Mark(), QStringLiteral("vzorek: každý 4. snímek"));
        QCOMPARE(BlockSampling{}.ClosingLine(), QStringLiteral("0"));
        QVERIFY(!BlockSampling::FromClosingLine(QStringLiteral("0"), 5).thinned());
    }

    // The score sums the line's leading number: it must stay 0, whatever
    // the figures, as the log's bytes in its code page read.
    void closingLineStillSumsAsZero_data() {
        QTest::addColumn<int>("stride");
        QTest::addColumn<int>("frames");
        QTest::addColumn<double>("seconds");
        QTest::newRow("every 2nd") << 2 << 32767 << 10.0;
        QTest::newRow("every 1024th") << 1024 << 33'000'000 << 3600.5;
        QTest::newRow("a short test") << 8 << 9 << 0.001;
    }
    void closingLineStillSumsAsZero() {
        QFETCH(int, stride);
        QFETCH(int, frames);
        QFETCH(double, seconds);
        const QByteArray bytes =
            Cp1250Codec::encode(BlockSampling{stride, frames, seconds}.ClosingLine()).bytes;
        QVERIFY(!bytes.isEmpty());
        QCOMPARE(NumberRules::LeadingNumber(bytes.begin(), bytes.end()), 0.0);
    }

    // Only a line of the engine's form whose figures fit the block thins it;
    // anything else is a plain closing value and the block holds every frame.
    void onlyAFittingLineThins_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<int>("values");
        QTest::addColumn<int>("stride");
        const auto line = [](const char* stride, const char* frames, const char* seconds) {
            return QStringLiteral("0 vzorek: každý %1. snímek; zobrazeno %2 snímků za %3 s")
                .arg(QLatin1String(stride), QLatin1String(frames), QLatin1String(seconds));
        };
        // 100 values at every 2nd: 199 or 200 frames.
        QTest::newRow("fewest frames") << line("2", "199", "1.5") << 100 << 2;
        QTest::newRow("most frames") << line("2", "200", "1.5") << 100 << 2;
        QTest::newRow("too few frames") << line("2", "198", "1.5") << 100 << 1;
        QTest::newRow("too many frames") << line("2", "201", "1.5") << 100 << 1;
        QTest::newRow("every frame") << line("1", "100", "1.5") << 100 << 1;
        QTest::newRow("no time") << line("2", "200", "0") << 100 << 1;
        QTest::newRow("whole seconds") << line("2", "200", "3") << 100 << 2;
        QTest::newRow("blanks around")
            << QStringLiteral(" ") + line("2", "200", "1.5") + QStringLiteral(" ") << 100 << 2;
        QTest::newRow("frames beyond 32 bits") << line("100000000", "9999999999", "1.5") << 100 << 1;
        QTest::newRow("no values") << line("2", "1", "1.5") << 0 << 1;
        QTest::newRow("more text") << line("2", "200", "1.5") + QStringLiteral(" navíc") << 100 << 1;
        QTest::newRow("comma decimal") << line("2", "200", "1,5") << 100 << 1;
        QTest::newRow("another word")
            << QStringLiteral("0 vzorek: každý 2. snímek; zobrazeno 200 snímků") << 100 << 1;
        QTest::newRow("a value") << QStringLiteral("12.5") << 100 << 1;
    }
    void onlyAFittingLineThins() {
        QFETCH(QString, line);
        QFETCH(int, values);
        QFETCH(int, stride);
        const BlockSampling sampling = BlockSampling::FromClosingLine(line, values);
        QCOMPARE(sampling.stride, stride);
        if (stride == 1) {
            QCOMPARE(sampling.frames, 0);
            QCOMPARE(sampling.seconds, 0.0);
        } else {
            QVERIFY(sampling.seconds > 0);
        }
    }
};

QTEST_APPLESS_MAIN(TestBlockSampling)
#include "tst_blocksampling.moc"
