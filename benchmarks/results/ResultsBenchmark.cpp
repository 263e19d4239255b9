// Prints how fast the results are read and shown: a complete rated log, a
// 60 MB log (near the largest the reader accepts) streamed against awk summing the same file, and both
// results windows filled from a database of 100 000 records. Runs on the offscreen platform unless another
// one is asked for; works in a temporary directory.

#include "BenchmarkSupport.h"
#include "SyntheticRuns.h"
#include "common/FormDisplay.h"
#include "common/MessageBox.h"
#include "contract/EngineContract.h"
#include "contract/RunHistory.h"
#include "results/ComparisonList.h"
#include "results/Podrobnosti_Form.h"
#include "results/Porovnani_Form.h"
#include "results/ResultsLog.h"
#include "results/RunComparison.h"
#include "results/SystemsDatabase.h"
#include "results/Vysledky2_Form.h"
#include "results/Vysledky_Form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Writes a log of blocks of the given frame count until it holds at least
// minBytes, with values of varied length such as an engine writes.
qint64 WriteLog(const QString& name, int blocks, int frames, qint64 minBytes) {
    BenchmarkSupport::GeneratedFile file(name);
    file.append(BenchmarkSupport::kLogHeader);
    unsigned seed = 12345;
    for (int block = 0; block < blocks || file.size() < minBytes; ++block) {
        file.append(QByteArray::number(frames) + "\r\n");
        for (int i = 0; i <= frames; ++i) {
            seed = seed * 1103515245u + 12345u;
            const unsigned v = (seed >> 8) % 100000;
            file.append(QByteArray::number(v / 1000) + '.' +
                        QByteArray::number(v % 1000).rightJustified(3, '0') + "\r\n");
        }
    }
    file.append("konec\r\n");
    return file.size();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisecondsOf(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void CompleteLog() {
    WriteLog(EngineContract::kResultsLogFileName, 7, 32766, 0);
    std::vector<double> times;
    ResultsLog::ReadResult result;
    for (int run = 0; run < 21; ++run) {
        times.push_back(MillisecondsOf([&] { result = ResultsLog::ReadResultsLog(); }));
    }
    std::printf(
        "complete log, 7 blocks x 32766 frames (%lld bytes): median %.2f ms, best %.2f ms over %zu runs "
        "(goal < 20 ms); blocks %d, frames %lld\n",
        static_cast<long long>(QFile(EngineContract::kResultsLogFileName).size()), Median(times),
        *std::min_element(times.begin(), times.end()), times.size(), result.summary.blockCount,
        static_cast<long long>(result.summary.totalFrames));
}

// The same complete log with bare LF line ends, as Linux tools write them.
void CompleteLogWithLf() {
    WriteLog(EngineContract::kResultsLogFileName, 7, 32766, 0);
    QFile file(EngineContract::kResultsLogFileName);
    if (!file.open(QIODevice::ReadOnly)) {
        std::exit(1);
    }
    const QByteArray lf = file.readAll().replace("\r\n", "\n");
    file.close();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(lf) != lf.size()) {
        std::exit(1);
    }
    file.close();
    ResultsLog::ReadResult result;
    const double ms = MillisecondsOf([&] { result = ResultsLog::ReadResultsLog(); });
    std::printf("complete log with LF line ends: %.2f ms, blocks %d\n", ms, result.summary.blockCount);
}

void LargeLog() {
    const QString name = QStringLiteral("large.log");
    const qint64 bytes = WriteLog(name, 0, 1000, 60LL * 1000 * 1000);
    const double mb = static_cast<double>(bytes) / 1e6;
    // One read to bring the file into the page cache for both readers.
    const long peakBefore = BenchmarkSupport::PeakMemoryKb();
    ResultsLog::ReadResultsLog(name);
    std::printf("60 MB log: peak memory %ld kB before reading it, %ld kB after\n", peakBefore,
                BenchmarkSupport::PeakMemoryKb());
    for (int round = 0; round < 3; ++round) {
        ResultsLog::ReadResult result;
        const double ours = MillisecondsOf([&] { result = ResultsLog::ReadResultsLog(name); });
        QProcess awk;
        const double theirs = MillisecondsOf([&] {
            awk.start(QStringLiteral("awk"), {QStringLiteral("{s+=$1} END {print s}"), name});
            awk.waitForFinished(-1);
        });
        std::printf("60 MB log (%.1f MB, %d blocks), round %d: reader %.0f ms = %.0f MB/s (goal >= 300); "
                    "awk %.0f ms = %.0f MB/s; reader/awk speed %.1fx (goal >= 5); sums %.6g vs %s\n",
                    mb, result.summary.blockCount, round + 1, ours, mb / (ours / 1000), theirs,
                    mb / (theirs / 1000), theirs / ours, result.summary.valueSum,
                    awk.readAllStandardOutput().trimmed().constData());
    }
    QFile::remove(name);
}

void LargeDatabase() {
    QList<SystemRecord> records;
    for (int i = 0; i < 100000; ++i) {
        records.append({QStringLiteral("Procesor č. %1, 3,2 GHz").arg(i), QStringLiteral(" %1").arg(i / 10.0),
                        QStringLiteral("Grafická karta %1").arg(i % 50),
                        QStringLiteral("%1 MB operační paměti").arg(256 << (i % 4))});
    }
    if (const auto error = SystemsDatabase::WriteSystemsDatabase(records)) {
        std::fprintf(stderr, "%s\n", qPrintable(error->message()));
        std::exit(1);
    }
    const double read = MillisecondsOf([] { SystemsDatabase::ReadSystemsDatabase(); });
    std::printf("database of 100000 records: reading alone %.0f ms\n", read);

    for (int round = 0; round < 3; ++round) {
        Vysledky2_Form* window = Vysledky2_Form::instance();
        const double shown = MillisecondsOf([&] {
            FormDisplay::showModeless(window);
            QApplication::processEvents();
            window->grab();
        });
        const int rows = window->ListView1->rows()->rowCount();
        window->Command1_Click();
        std::printf(
            "comparison window from 100000 records, round %d: %.0f ms to show, fill and paint %d rows "
            "(goal < 1000 ms)\n",
            round + 1, shown, rows);
    }

    WriteLog(EngineContract::kResultsLogFileName, 7, 100, 0);
    for (int round = 0; round < 3; ++round) {
        Vysledky_Form* window = Vysledky_Form::instance();
        const double shown = MillisecondsOf([&] {
            FormDisplay::showModeless(window);
            QApplication::processEvents();
            window->grab();
        });
        const int rows = window->ListView1->rows()->rowCount();
        window->Command1_Click();
        std::printf("results window from 100000 records, round %d: %.0f ms to show, fill and paint %d rows\n",
                    round + 1, shown, rows);
    }
}

// Chooses each other test of the window's grid in turn, timing the redraw.
void TimeSwitching(QWidget* window, QTableWidget* grid, std::vector<double>& switching) {
    for (int test = 1; test < grid->rowCount(); ++test) {
        switching.push_back(MillisecondsOf([window, grid, test] {
            grid->setCurrentCell(test, 0);
            QApplication::processEvents();
            window->grab();
        }));
    }
}

void PrintSwitching(const char* window, const std::vector<double>& switching) {
    std::printf(
        "%s, switching tests: redraw median %.0f ms, worst %.0f ms over %zu switches (goal < 100 ms)\n",
        window, Median(switching), *std::max_element(switching.begin(), switching.end()), switching.size());
}

// The details window on a complete log: reading it, filling the table and
// drawing both charts of the first test, beside the results window's own
// evaluation of the same log; then the redraw when another test is chosen.
void DetailsWindow() {
    WriteLog(EngineContract::kResultsLogFileName, 7, 32766, 0);
    std::vector<double> evaluation;
    for (int run = 0; run < 11; ++run) {
        evaluation.push_back(MillisecondsOf([] { ResultsLog::ReadResultsLog(); }));
    }
    std::vector<double> opening;
    std::vector<double> switching;
    for (int round = 0; round < 5; ++round) {
        // A window created afresh each round, as after closing it.
        delete Podrobnosti_Form::existing();
        Podrobnosti_Form* window = Podrobnosti_Form::instance();
        opening.push_back(MillisecondsOf([window] {
            window->ReadLog();
            FormDisplay::showModeless(window);
            QApplication::processEvents();
            window->grab();
        }));
        TimeSwitching(window, window->Grid1, switching);
    }
    std::printf(
        "details window, complete log 7 x 32766 frames: open, read and draw median %.0f ms, worst %.0f ms "
        "over %zu rounds (goal < 300 ms); the results window's evaluation of the same log median %.1f ms\n",
        Median(opening), *std::max_element(opening.begin(), opening.end()), opening.size(),
        Median(evaluation));
    PrintSwitching("details window", switching);
    delete Podrobnosti_Form::existing();
}

// The comparison window on two complete logs: opening it from the details
// window (reading the chosen kept log, the statistics of seven tests, the
// table and the first graph), then switching tests.
void ComparisonWindow() {
    WriteLog(QStringLiteral("jiny.log"), 7, 32766, 0);
    QDir(RunHistory::kFolderName).removeRecursively();
    if (const auto error = RunHistory::Keep(QStringLiteral("jiny.log"), 1)) {
        std::fprintf(stderr, "%s\n", qPrintable(error->message()));
        std::exit(1);
    }
    WriteLog(EngineContract::kResultsLogFileName, 7, 32766, 0);
    Podrobnosti_Form* details = Podrobnosti_Form::instance();
    details->ReadLog();
    std::vector<double> opening;
    std::vector<double> switching;
    for (int round = 0; round < 5; ++round) {
        delete Porovnani_Form::existing();
        opening.push_back(MillisecondsOf([details] {
            details->Command3_Click();
            QApplication::processEvents();
            Porovnani_Form::existing()->grab();
        }));
        Porovnani_Form* window = Porovnani_Form::existing();
        TimeSwitching(window, window->Grid1, switching);
    }
    std::printf(
        "comparison window, two complete logs 7 x 32766 frames: open, read, judge and draw median %.0f ms, "
        "worst %.0f ms over %zu rounds (goal < 300 ms)\n",
        Median(opening), *std::max_element(opening.begin(), opening.end()), opening.size());
    PrintSwitching("comparison window", switching);
    delete Porovnani_Form::existing();
    delete Podrobnosti_Form::existing();
}

// The results window's first showing of a complete log, with the history
// kept beside it and with a history that already holds the log (nothing to
// copy, the same as without keeping). Each round starts with a new window.
void ResultsWindowWithHistory() {
    WriteLog(EngineContract::kResultsLogFileName, 7, 32766, 0);
    std::vector<double> keeping;
    std::vector<double> kept;
    for (int round = 0; round < 7; ++round) {
        for (const bool fresh : {true, false}) {
            if (fresh) {
                QDir(RunHistory::kFolderName).removeRecursively();
            }
            delete Vysledky_Form::existing();
            Vysledky_Form* window = Vysledky_Form::instance();
            (fresh ? keeping : kept).push_back(MillisecondsOf([window] {
                FormDisplay::showModeless(window);
                QApplication::processEvents();
                window->grab();
            }));
            QThreadPool::globalInstance()->waitForDone();
            QApplication::processEvents();
        }
    }
    QElapsedTimer timer;
    timer.start();
    QDir(RunHistory::kFolderName).removeRecursively();
    RunHistory::Keep(EngineContract::kResultsLogFileName, 1);
    const double copy = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    std::printf("results window's first showing, complete log: median %.1f ms while the run is kept, %.1f ms "
                "with the run already kept, difference %.1f ms (goal < 20 ms); the copy itself on its worker "
                "%.1f ms\n",
                Median(keeping), Median(kept), Median(keeping) - Median(kept), copy);
    delete Vysledky_Form::existing();
}

// How often the comparison calls two runs of one distribution different:
// synthetic pairs with slow noise of 1 %, 10 % and 20 %.
void FalseAlarms() {
    for (const double noise : {0.01, 0.1, 0.2}) {
        SyntheticRuns::Shape shape;
        shape.slowNoise = noise;
        constexpr int kPairs = 1000;
        int alarms = 0;
        for (unsigned pair = 0; pair < kPairs; ++pair) {
            alarms += RunComparison::Judge(SyntheticRuns::Rates(shape, 2 * pair + 7),
                                           SyntheticRuns::Rates(shape, 2 * pair + 8))
                                  .verdict != RunComparison::Verdict::WithinNoise
                          ? 1
                          : 0;
        }
        std::printf(
            "comparison of two runs of one distribution, slow noise %.0f %%: %d false alarms in %d pairs "
            "(%.1f %%, expected 5 %%)\n",
            noise * 100, alarms, kPairs, 100.0 * alarms / kPairs);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir::setCurrent(dir.path())) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    MessageBox::startRecording();
    CompleteLog();
    DetailsWindow();
    ComparisonWindow();
    ResultsWindowWithHistory();
    FalseAlarms();
    CompleteLogWithLf();
    LargeLog();
    LargeDatabase();
    for (const MessageBox::Shown& message : MessageBox::recorded()) {
        std::printf("unexpected message: %s\n", qPrintable(message.text));
    }
    return 0;
}
