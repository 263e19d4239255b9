// Prints how the windows that read the program's files cope with huge and
// hostile ones: for each case the time the window's handler holds the event
// loop, its peak memory and the message it shows. Each case runs in a process
// of its own, so its peak memory is its own; the files (about 4 GB in all)
// are written once into a temporary folder under TMPDIR and removed at the
// end. Usage: huge_inputs_benchmark [case...]; runs on the offscreen
// platform unless another one is asked for.

#include "BenchmarkSupport.h"
#include "common/MessageBox.h"
#include "contract/EngineContract.h"
#include "contract/ResultsLogReader.h"
#include "results/ComparisonList.h"
#include "results/ResultsLog.h"
#include "results/SystemsDatabase.h"
#include "results/Vysledky2_Form.h"
#include "results/Vysledky_Form.h"
#include "settings/Nastaveni_Form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>

namespace {

using BenchmarkSupport::GeneratedFile;

constexpr qint64 kGigabyte = 1024LL * 1024 * 1024;

enum class Window { Results, Comparison, Settings };

struct Case {
    const char* name;
    const char* description;
    QString fileName;
    Window window;
    // Writes the file in the current folder.
    std::function<void(GeneratedFile&)> write;
};

// Blocks of the largest frame count with the shortest value lines, up to
// about the given size: the most lines a log of that size can hold.
void writeShortBlocks(GeneratedFile& file, qint64 bytes) {
    const QByteArray block = "32766\r\n" + QByteArray("1\r\n").repeated(32767);
    file.append(BenchmarkSupport::kLogHeader);
    while (file.size() + block.size() + 7 <= bytes) {
        file.append(block);
    }
    file.append("konec\r\n");
}

QList<Case> cases() {
    const auto oneLine = [](GeneratedFile& file) { file.repeat("x", kGigabyte); };
    return {
        {"log-one-line", "1 GB results log of one line", EngineContract::kResultsLogFileName, Window::Results,
         oneLine},
        {"log-blocks", "1 GB results log of blocks of short value lines", EngineContract::kResultsLogFileName,
         Window::Results, [](GeneratedFile& file) { writeShortBlocks(file, kGigabyte); }},
        {"log-at-limit", "results log of short value lines just under the size limit",
         EngineContract::kResultsLogFileName, Window::Results,
         [](GeneratedFile& file) { writeShortBlocks(file, ResultsLogReader::kMaxLogSize); }},
        {"dtb-one-line", "1 GB systems database of one line", SystemsDatabase::kFileName, Window::Comparison,
         oneLine},
        {"dtb-records", "1 GB systems database of 30 million records", SystemsDatabase::kFileName,
         Window::Comparison,
         [](GeneratedFile& file) { file.repeat("Počítač 1234\r\n 12.5\r\nKarta\r\n512 MB\r\n", kGigabyte); }},
        {"dtb-at-limit", "systems database of 100000 records of 160 bytes (under both limits)",
         SystemsDatabase::kFileName, Window::Comparison,
         [](GeneratedFile& file) {
             const QByteArray record = QByteArray("Procesor ").leftJustified(60, 'p') + "\r\n 12.5\r\n" +
                                       QByteArray("Karta ").leftJustified(60, 'k') + "\r\n" +
                                       QByteArray("512 MB").leftJustified(28, 'm') + "\r\n";
             file.repeat(record, record.size() * SystemsDatabase::kMaxRecordCount);
         }},
        {"bnc-one-line", "1 GB settings state file of one line", QStringLiteral("nastaveni.bnc"),
         Window::Settings, oneLine},
    };
}

// In the case's own process and folder: the window's handler that reads the
// file, timed; one line of figures on standard output.
int runCase(const Case& c) {
    MessageBox::startRecording();
    QElapsedTimer timer;
    QString shown;
    long before = 0;
    double ms = 0;
    const auto time = [&](const std::function<void()>& handler) {
        before = BenchmarkSupport::PeakMemoryKb();
        timer.start();
        handler();
        ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    };
    switch (c.window) {
    case Window::Results: {
        Vysledky_Form* window = Vysledky_Form::instance();
        time([&] { window->Form_Activate(); });
        shown = QStringLiteral("%1 rows").arg(window->ListView1->rows()->rowCount());
        break;
    }
    case Window::Comparison: {
        Vysledky2_Form* window = Vysledky2_Form::instance();
        time([&] { window->Form_Activate(); });
        shown = QStringLiteral("%1 rows").arg(window->ListView1->rows()->rowCount());
        break;
    }
    case Window::Settings: {
        Nastaveni_Form* window = Nastaveni_Form::instance();
        time([&] { window->Form_Activate(); });
        shown = QStringLiteral("settings loaded");
        break;
    }
    }
    QString message = QStringLiteral("no message");
    if (!MessageBox::recorded().isEmpty()) {
        message = MessageBox::recorded().constFirst().text.simplified();
    }
    std::printf("%-13s %8.0f ms  peak %7ld kB (%ld kB before reading)  %s; message: %s\n", c.name, ms,
                BenchmarkSupport::PeakMemoryKb(), before, qPrintable(shown), qPrintable(message));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--case")) {
        for (const Case& c : cases()) {
            if (arguments[1] == QLatin1String(c.name)) {
                return runCase(c);
            }
        }
        return 1;
    }

    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/huge-inputs-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    std::printf("case: time the window's handler holds the event loop, peak memory of the process\n");
    for (const Case& c : cases()) {
        if (!arguments.isEmpty() && !arguments.contains(QLatin1String(c.name))) {
            continue;
        }
        const QString folder = dir.filePath(QLatin1String(c.name));
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + c.fileName;
        qint64 size = 0;
        {
            GeneratedFile file(path);
            c.write(file);
            size = file.size();
        }
        std::printf("%s (%s, %lld bytes):\n", c.description, qPrintable(c.fileName),
                    static_cast<long long>(size));
        std::fflush(stdout);
        QProcess child;
        child.setWorkingDirectory(folder);
        child.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        child.start(app.applicationFilePath(), {QStringLiteral("--case"), QLatin1String(c.name)});
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::printf("%-13s ended abnormally (exit %d)\n", c.name, child.exitCode());
        }
        std::fflush(stdout);
        QFile::remove(path);
    }
    return 0;
}
