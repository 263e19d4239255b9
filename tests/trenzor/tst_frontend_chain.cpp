// The whole chain, as a rated run goes: the front end writes the engine
// configuration with the writers and the one replacement its settings dialog
// uses, the real test engine runs all seven tests, and the front
// end's own reader evaluates the results log the engine wrote. The scene
// files are the generated ones, the browser files quick ones of a few frames.

#include "TestSupport.h"
#include "contract/EngineConfig.h"
#include "contract/TextFile.h"
#include "results/ResultsLog.h"

#include <QProcess>
#include <QtTest>
#include <cmath>

class TestFrontendChain : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    static bool run(const QString& program, const QStringList& arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(program, arguments);
        return process.waitForFinished(180000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir::setCurrent(m_dir.path()));
        QVERIFY(run(QStringLiteral(TRENZOR_SCENEGEN),
                    {m_dir.path(), QStringLiteral("--frames"), QStringLiteral("5")}));
        QVERIFY(QFile::copy(QStringLiteral(TRENZOR_EXE), QStringLiteral("trenzor.exe")));
    }

    void ratedRunIsReadOkWithSevenBlocks() {
        EngineConfig::Settings settings;
        settings.noIntro = true; // nobody presses a key here
        QVERIFY(!TextFile::Replace(EngineConfig::kFileName,
                                   EngineConfig::RatedFile(settings, {0, 1, 2, 3, 4, 5, 6})));
        QVERIFY(TestSupport::writeRaw("vysledek.log", "left from an earlier run\r\n"));

        QVERIFY(run(QStringLiteral("./trenzor.exe"), {QStringLiteral("0")}));

        const ResultsLog::ReadResult read = ResultsLog::ReadResultsLog();
        QCOMPARE(read.outcome, ResultsLog::Outcome::Ok);
        const ResultsLog::ResultsLogSummary& summary = read.summary;
        QCOMPARE(summary.blockCount, ResultsLog::RatedBlockCount);
        QVERIFY(summary.totalFrames >= 7 && summary.totalFrames <= 7 * 5);
        QVERIFY(std::isfinite(summary.score) && summary.score > 0);
        QVERIFY(ResultsLog::JoinsComparison(summary));
        QVERIFY(ResultsLog::ScoreCaption(summary).endsWith(QStringLiteral(" bodů")));
        QVERIFY(summary.processorText.contains(QStringLiteral(", ")));
        QVERIFY(!summary.graphicsCardText.isEmpty());
        QVERIFY(summary.memoryText.endsWith(QStringLiteral(" MB")));
    }

    void freeFlightRemovesTheEarlierLogAndWritesNone() {
        EngineConfig::Settings settings;
        settings.noIntro = true;
        settings.freeFlight = true;
        const std::optional<QByteArray> file = EngineConfig::FreeFlightFile(
            settings, QStringLiteral("browser3.bin"), QStringLiteral("test3.bin"));
        QVERIFY(file);
        QVERIFY(!TextFile::Replace(EngineConfig::kFileName, *file));
        QVERIFY(TestSupport::writeRaw("vysledek.log", "left\r\n"));
        QProcess engine;
        engine.start(QStringLiteral("./trenzor.exe"), {QStringLiteral("0")});
        QVERIFY(engine.waitForStarted());
        // Free flight runs until the user leaves it; no earlier result is left
        // for the results window to take for this run's.
        QTest::qWait(1500);
        QCOMPARE(engine.state(), QProcess::Running);
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
        engine.terminate();
        QVERIFY(engine.waitForFinished(10000));
        QVERIFY(!QFile::exists(QStringLiteral("vysledek.log")));
    }
};

QTEST_GUILESS_MAIN(TestFrontendChain)
#include "tst_frontend_chain.moc"
