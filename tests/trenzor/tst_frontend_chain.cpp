// The whole chain, as a rated run goes: the front end writes the engine
// configuration with the writers and the one replacement its settings dialog
// uses, the real test engine runs all seven tests, and the front
// end's own reader evaluates the results log the engine wrote. The scene
// files are the generated ones, the browser files quick ones of a few frames.

#include "EngineFolder.h"
#include "EngineProcess.h"
#include "TestSupport.h"
#include "contract/EngineConfig.h"
#include "contract/EngineContract.h"
#include "contract/NumberRules.h"
#include "contract/RunHistory.h"
#include "contract/TextFile.h"
#include "results/ResultsCsv.h"
#include "results/ResultsDetails.h"
#include "results/ResultsLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtEndian>
#include <QtTest>
#include <cmath>

class TestFrontendChain : public QObject {
    Q_OBJECT

    EngineFolder m_folder;

    // Runs the folder's engine to its end; false, with what it said, unless it ends with 0.
    static bool run(const QStringList& arguments) {
        EngineProcess engine(arguments);
        const bool ok = engine.end(180000) == 0;
        if (!ok) {
            qWarning("%s", engine.errors().constData());
        }
        return ok;
    }

private slots:
    void initTestCase() {
        const QString error = m_folder.fill({"--frames", "5"});
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void ratedRunIsReadOkWithSevenBlocks() {
        EngineConfig::Settings settings;
        settings.noIntro = true; // nobody presses a key here
        QVERIFY(!TextFile::Replace(EngineContract::kConfigFileName,
                                   EngineConfig::RatedFile(settings, {0, 1, 2, 3, 4, 5, 6})));
        QVERIFY(TestSupport::writeRaw("vysledek.log", "left from an earlier run\r\n"));

        QVERIFY(run({QStringLiteral("0")}));

        const ResultsLog::ReadResult read = ResultsLog::ReadResultsLog();
        QCOMPARE(read.outcome, ResultsLog::Outcome::Ok);
        const ResultsLog::ResultsLogSummary& summary = read.summary;
        QCOMPARE(summary.blockCount, EngineContract::kTestCount);
        QVERIFY(summary.totalFrames >= 7 && summary.totalFrames <= 7 * 5);
        QVERIFY(std::isfinite(summary.score) && summary.score > 0);
        QVERIFY(ResultsLog::JoinsComparison(summary));
        QVERIFY(ResultsLog::ScoreCaption(summary).endsWith(QStringLiteral(" bodů")));
        QVERIFY(summary.processorText.contains(QStringLiteral(", ")));
        QVERIFY(!summary.graphicsCardText.isEmpty());
        QVERIFY(summary.memoryText.endsWith(QStringLiteral(" MB")));
    }

    // A scripted run with --history joins the history with the score the
    // front end gives its log; a run of some tests only does not.
    void historyKeepsCompleteRuns() {
        QVERIFY(QDir(RunHistory::kFolderName).removeRecursively());
        const QStringList quick = {"--seconds", "0.2", "--size", "16x16", "--offscreen", "--history"};
        QVERIFY(run(quick));
        QVERIFY(run(quick + QStringList{"--tests", "4"}));
        const FileResult<QList<RunHistory::Entry>> kept = RunHistory::List();
        QVERIFY(kept.ok());
        QCOMPARE(kept->size(), 1);
        QVERIFY(run(quick));
        const ResultsLog::ReadResult read = ResultsLog::ReadResultsLog();
        QCOMPARE(read.outcome, ResultsLog::Outcome::Ok);
        const FileResult<QList<RunHistory::Entry>> both = RunHistory::List();
        QCOMPARE(both->size(), 2);
        QCOMPARE(both->first().score, NumberRules::FormatScore(read.summary.score).trimmed());
        QCOMPARE(TestSupport::readAll(both->first().logFile),
                 TestSupport::readAll(EngineContract::kResultsLogFileName));
    }

    // A test showing more frames than its block holds: the engine writes
    // every K-th, and the front end's details and the engine's summary both
    // give the frames the engine counted and their time, not the sample's.
    // The browser file's limit is lowered to 100 values so that a modest run
    // thins on any machine, as 32 766 do above about 3 300 frames a second.
    void thinnedTestIsReportedWhole() {
        QVERIFY(QDir().mkpath(QStringLiteral("thin")));
        QByteArray browser = TestSupport::readAll(QStringLiteral("browser4.bin"));
        QVERIFY(browser.size() > 24);
        // The frame limit, after the 12-byte header and the length in ms.
        qToLittleEndian<quint32>(100, browser.data() + 16);
        QVERIFY(TestSupport::writeRaw(QStringLiteral("thin/browser4.bin"), browser));
        QVERIFY(QFile::copy(QStringLiteral("test4.bin"), QStringLiteral("thin/test4.bin")));
        QVERIFY(QFile::copy(QStringLiteral("trenzor.exe"), QStringLiteral("thin/trenzor.exe")));

        EngineProcess engine(
            {"--tests", "4", "--seconds", "2", "--size", "16x16", "--offscreen", "--summary", "-"},
            EngineProcess::environment({}), QStringLiteral("./trenzor.exe"), QStringLiteral("thin"));
        QCOMPARE(engine.end(120000), 0);
        const QString told = QString::fromUtf8(engine.errors());
        const QRegularExpressionMatch measured =
            QRegularExpression(QStringLiteral(": (\\d+) snímků za ([0-9.]+) s,")).match(told);
        const QRegularExpressionMatch written =
            QRegularExpression(QStringLiteral("(\\d+) měřených; zapsán každý (\\d+)\\., celkem (\\d+),"))
                .match(told);
        QVERIFY2(measured.hasMatch() && written.hasMatch(), qPrintable(told));
        const int frames = measured.captured(1).toInt();
        const double seconds = measured.captured(2).toDouble();
        const int stride = written.captured(2).toInt();
        const int values = written.captured(3).toInt();
        QCOMPARE(written.captured(1).toInt(), frames);
        QVERIFY2(stride >= 2, qPrintable(QStringLiteral("the test did not thin: %1").arg(told)));

        const ResultsDetails::Details details =
            ResultsDetails::ReadDetails(QStringLiteral("thin/vysledek.log"));
        QCOMPARE(details.outcome, ResultsLog::Outcome::Ok);
        QCOMPARE(details.tests.size(), 1);
        const ResultsDetails::TestDetails& test = details.tests[0];
        // The score still counts the values the block holds.
        QCOMPARE(details.summary.totalFrames, values);
        QCOMPARE(test.rates.size(), values);
        QCOMPARE(test.figures.frames, frames);
        QCOMPARE(test.figures.stride, stride);
        QVERIFY2(std::abs(test.figures.seconds - seconds) <= 0.0005,
                 qPrintable(QStringLiteral("%1 s against %2 s").arg(test.figures.seconds).arg(seconds)));
        QCOMPARE(ResultsDetails::SampleMark(test), QStringLiteral("vzorek: každý %1. snímek").arg(stride));
        // The CSV's last row is the last frame written, numbered among all.
        const QList<QByteArray> rows = ResultsCsv::FramesCsv(details).trimmed().split('\n');
        QCOMPARE(rows.size(), values + 1);
        const int lastNumber = rows.constLast().split(',').at(2).toInt();
        QCOMPARE(lastNumber, (values - 1) * stride + 1);
        QVERIFY(lastNumber <= frames && lastNumber > frames - stride);

        const QJsonObject summary =
            QJsonDocument::fromJson(engine.out())[QStringLiteral("tests")][0].toObject();
        QCOMPARE(summary[QStringLiteral("values")].toInt(), values);
        QCOMPARE(summary[QStringLiteral("frames")].toInt(), frames);
        QCOMPARE(summary[QStringLiteral("sampleEvery")].toInt(), stride);
        QCOMPARE(summary[QStringLiteral("seconds")].toDouble(), test.figures.seconds);
        QCOMPARE(summary[QStringLiteral("averageRate")].toDouble(), test.figures.averageRate);
    }

    void freeFlightRemovesTheEarlierLogAndWritesNone() {
        EngineConfig::Settings settings;
        settings.noIntro = true;
        settings.freeFlight = true;
        const std::optional<QByteArray> file = EngineConfig::FreeFlightFile(
            settings, QStringLiteral("browser3.bin"), QStringLiteral("test3.bin"));
        QVERIFY(file);
        QVERIFY(!TextFile::Replace(EngineContract::kConfigFileName, *file));
        QVERIFY(TestSupport::writeRaw("vysledek.log", "left\r\n"));
        EngineProcess engine({QStringLiteral("0")});
        // Free flight runs until the user leaves it; no earlier result is left
        // for the results window to take for this run's.
        QTest::qWait(1500);
        engine.poll();
        QVERIFY(engine.running());
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
        QCOMPARE(engine.end(), -1);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }
};

QTEST_GUILESS_MAIN(TestFrontendChain)
#include "tst_frontend_chain.moc"
