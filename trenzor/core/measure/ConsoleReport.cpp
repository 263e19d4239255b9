#include "ConsoleReport.h"

#include "FrameRecorder.h"

void ConsoleReport::print(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", qUtf8Printable(line));
    std::fflush(stream);
}

QStringList ConsoleReport::testLines(int testNumber, const QString& sceneName, const FrameRecorder& recorder,
                                     int presentedFrames, CpuTime::PerFrame cpu) {
    const FrameRecorder::Counts counts = recorder.counts();
    const int frames = counts.measured;
    const int logged = int(recorder.rates().size());
    const double seconds = recorder.measuredSeconds();
    double sum = 0;
    for (double rate : recorder.rates()) {
        sum += rate;
    }
    return {QStringLiteral("trenzor: scéna %1 \"%2\": %3 snímků za %4 s, %5 snímků/s, průměr okamžitých "
                           "%6 snímků/s, CPU procesu %7 ms/snímek, hlavního vlákna %8 ms/snímek")
                .arg(testNumber)
                .arg(sceneName)
                .arg(frames)
                .arg(seconds, 0, 'f', 3)
                .arg(seconds > 0 ? frames / seconds : 0.0, 0, 'f', 2)
                .arg(logged > 0 ? sum / logged : 0.0, 0, 'f', 2)
                .arg(cpu.process, 0, 'f', 3)
                .arg(cpu.thread, 0, 'f', 3),
            QStringLiteral("trenzor: scéna %1: zobrazeno %2 snímků: %3 zahřívacích, %4 počátků "
                           "měření, %5 měřených; zapsán každý %6., celkem %7, průlet do %8 s")
                .arg(testNumber)
                .arg(presentedFrames)
                .arg(counts.warmup)
                .arg(counts.origins)
                .arg(counts.measured)
                .arg(counts.stride)
                .arg(logged)
                .arg(recorder.pathTime(), 0, 'f', 3)};
}
