#include "SysfsSensors.h"
#include "contract/RepeatStatistics.h"
#include "contract/RunEvaluation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>

// The engine's frame times with the sensors sampled and with --no-sensors,
// in one sitting: the runs come in pairs, all seven tests off screen, on a
// fake sysfs tree of many sensors so that the sampler does real work; which
// mode goes first alternates from pair to pair, so that a machine warming up
// or calming down weighs on both alike. Prints each mode's frame-time
// distribution (mean, p50, p99) and mean score, then the cost: each pair's
// score and median frame time with the sensors against without, in percent,
// with the 95 % confidence interval of the mean over the pairs; and what one
// sample of the tree costs the sampler's thread itself. Run by hand:
// build/bin/bench_sensors [pairs] [seconds per test].

namespace {

void put(const QString& path, const QByteArray& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(file.errorString()));
    }
}

// 32 hwmon devices, each with power, four temperatures and a clock, a RAPL
// package and 64 CPUs' clocks.
void buildTree(const QString& root) {
    for (int device = 0; device < 32; ++device) {
        const QString hwmon = QStringLiteral("%1/class/hwmon/hwmon%2/").arg(root).arg(device);
        put(hwmon + "name", device % 2 ? "amdgpu\n" : "k10temp\n");
        put(hwmon + "power1_average", "15000000\n");
        for (int t = 1; t <= 4; ++t) {
            put(hwmon + QStringLiteral("temp%1_input").arg(t), "55000\n");
        }
        put(hwmon + "freq1_input", "1800000000\n");
    }
    put(root + "/class/powercap/intel-rapl:0/energy_uj", "123456\n");
    put(root + "/class/powercap/intel-rapl:0/max_energy_range_uj", "262143328850\n");
    for (int cpu = 0; cpu < 64; ++cpu) {
        put(QStringLiteral("%1/devices/system/cpu/cpu%2/cpufreq/scaling_cur_freq").arg(root).arg(cpu),
            "2400000\n");
    }
}

struct Mode {
    const char* name;
    QStringList extra;
    QList<double> frameMs;
    QList<double> scores;
    QList<double> medianMs;
};

double percentile(QList<double> sorted, double p) {
    return sorted.isEmpty() ? 0 : sorted[qsizetype(p * double(sorted.size() - 1))];
}

// The pairs' differences of one figure, with the sensors against without,
// in percent of the figure without them.
void printCost(const char* figure, const QList<double>& with, const QList<double>& without) {
    QList<double> percent;
    for (qsizetype pair = 0; pair < with.size(); ++pair) {
        if (without[pair] > 0) {
            percent.append(100 * (with[pair] - without[pair]) / without[pair]);
        }
    }
    const RepeatStatistics::Spread spread = RepeatStatistics::Of(percent);
    if (spread.count < 2) {
        std::printf("%-22s %+7.2f %%  (one pair: no interval)\n", figure, spread.mean);
        return;
    }
    std::printf("%-22s %+7.2f %%  (95 %% CI %+.2f %% .. %+.2f %%, %d pairs)\n", figure, spread.mean,
                spread.confidenceLow, spread.confidenceHigh, spread.count);
}

// The processor time this thread has used, in µs.
double threadMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// One sample's processor time on the sampling thread, over many samples, and
// what two a second take of one core.
void printSampleCost(const QString& root) {
    const SysfsSensors sensors(root);
    constexpr int kSamples = 2000;
    const double start = threadMicroseconds();
    for (int sample = 0; sample < kSamples; ++sample) {
        sensors.read(sample);
    }
    const double each = (threadMicroseconds() - start) / kSamples;
    std::printf("one sample of the tree: %.1f µs of processor time, %.3f %% of a core at 2 a second\n", each,
                each * 2 / 1e4);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
    const QString seconds = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("3");
    QTemporaryDir dir;
    const QDir engineFolder = QFileInfo(QStringLiteral(TRENZOR_EXE)).dir();
    for (const QString& name : engineFolder.entryList({"test*.bin", "browser*.bin"})) {
        QFile::copy(engineFolder.filePath(name), dir.filePath(name));
    }
    buildTree(dir.filePath("sys"));
    printSampleCost(dir.filePath("sys"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TRENZOR_SYSFS_ROOT", dir.filePath("sys"));
    Mode modes[] = {{"se senzory", {}, {}, {}}, {"--no-sensors", {"--no-sensors"}, {}, {}}};
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            Mode& mode = modes[(run + turn) % 2];
            QProcess engine;
            engine.setProcessEnvironment(environment);
            engine.setWorkingDirectory(dir.path());
            engine.start(QStringLiteral(TRENZOR_EXE),
                         QStringList{"--offscreen", "--seconds", seconds} + mode.extra);
            if (!engine.waitForFinished(-1) || engine.exitCode() != 0) {
                std::fprintf(stderr, "engine failed: %s\n", engine.readAllStandardError().constData());
                return 1;
            }
            const RunEvaluation evaluation = RunEvaluation::OfFile(dir.filePath("vysledek.log"));
            QList<double> runMs;
            for (const RunEvaluation::Test& test : evaluation.tests()) {
                for (const double rate : test.rates) {
                    if (rate > 0) {
                        runMs.append(1000 / rate);
                    }
                }
            }
            mode.frameMs += runMs;
            std::sort(runMs.begin(), runMs.end());
            mode.medianMs.append(percentile(runMs, 0.5));
            mode.scores.append(evaluation.score());
        }
    }
    std::printf("%-14s %8s %8s %8s %8s %10s\n", "mode", "frames", "mean ms", "p50 ms", "p99 ms", "score");
    for (Mode& mode : modes) {
        std::sort(mode.frameMs.begin(), mode.frameMs.end());
        double sum = 0;
        for (const double ms : mode.frameMs) {
            sum += ms;
        }
        double scores = 0;
        for (const double score : mode.scores) {
            scores += score;
        }
        std::printf("%-14s %8lld %8.3f %8.3f %8.3f %10.2f\n", mode.name, qlonglong(mode.frameMs.size()),
                    sum / double(std::max<qsizetype>(1, mode.frameMs.size())), percentile(mode.frameMs, 0.5),
                    percentile(mode.frameMs, 0.99), scores / double(mode.scores.size()));
    }
    std::printf("\nwith the sensors against --no-sensors, pair by pair:\n");
    printCost("score", modes[0].scores, modes[1].scores);
    printCost("median frame time", modes[0].medianMs, modes[1].medianMs);
    return 0;
}
