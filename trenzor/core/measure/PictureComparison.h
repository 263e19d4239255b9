#pragma once

#include <QImage>

// A drawn picture against its reference, as conformance suites compare
// them: a pixel differs when any colour channel is further off than the
// tolerance, and a picture passes with at most so many differing pixels.
// The tolerance lets another conformant driver round and filter its own
// way; a lost face, a missing texture or a depth fault costs thousands.
// Only static functions.
class PictureComparison {
public:
    static constexpr int kTolerance = 40;
    static constexpr int kAllowedPixels = 300;

    struct Result {
        int differing = 0;
        // White where a pixel differs, black elsewhere.
        QImage mask;
        bool passed() const { return differing <= kAllowedPixels; }
    };

    // Pictures of different sizes differ in every pixel.
    static Result compare(const QImage& drawn, const QImage& reference);
};
