#pragma once

#include <QString>

// How a block of the results log was thinned. A block holds at most
// EngineContract::kMaxFrameCount values; a test that shows more frames
// writes only every stride-th one, and its block's closing line, the value
// line after its last frame that the score sums as 0, then says so:
//
//   0 vzorek: každý 2. snímek; zobrazeno 43177 snímků za 20.004112 s
//
// with the frames the test measured and the sum of their frame times. Its
// leading number is 0, so the score, the block's value count and every
// reader of logs that knows only "0" are unchanged; a block closed by a
// plain "0", or by a line that does not fit its block, holds every frame.
// A value type.
struct BlockSampling {
    // Every stride-th measured frame was written; 1: every frame.
    int stride = 1;
    // For a thinned block: all measured frames and the sum of their frame
    // times, in seconds.
    int frames = 0;
    double seconds = 0;

    bool thinned() const { return stride > 1; }

    // The block's closing line as the engine writes it, without line end.
    QString ClosingLine() const;

    // The thinning a closing line states for a block of this many values:
    // unthinned unless the line has the form above, the stride is at least
    // 2, the frames are those that leave this many values at this stride,
    // and the time is positive and at most EngineContract::kMaxTestSeconds.
    static BlockSampling FromClosingLine(const QString& line, int values);

    // "vzorek: každý 2. snímek", as the front end marks a thinned test.
    QString Mark() const;
};
