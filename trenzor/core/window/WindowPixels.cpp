#include "WindowPixels.h"

#include <algorithm>
#include <cmath>

QSize WindowPixels::logicalSize(QSize pixels, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    // Rounded up, so that a ratio such as 1.5 gives a pixel too many rather
    // than one too few; the allowance keeps a quotient that floating point
    // makes a hair too large (641 / 1.0000001) from gaining a unit.
    const auto units = [ratio](int n) { return std::max(1, int(std::ceil(n / ratio - 1e-6))); };
    return {units(pixels.width()), units(pixels.height())};
}
