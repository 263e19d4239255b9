#pragma once

#include "CpuTime.h"

#include <QStringList>
#include <cstdio>

class FrameRecorder;

// What the engine says on the console: each line written and flushed at once,
// so that it keeps its place among the driver's own messages; and the text of
// the two lines about each finished test. Only static functions.
class ConsoleReport {
public:
    static void print(std::FILE* stream, const QString& line);
    // The lines about a finished test: its figures, then how the shown
    // frames were used.
    static QStringList testLines(int testNumber, const QString& sceneName, const FrameRecorder& recorder,
                                 int presentedFrames, CpuTime::PerFrame cpu);
};
