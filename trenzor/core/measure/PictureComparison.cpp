#include "PictureComparison.h"

#include <algorithm>
#include <cstdlib>

PictureComparison::Result PictureComparison::compare(const QImage& drawn, const QImage& reference) {
    Result result;
    result.mask = QImage(drawn.size(), QImage::Format_Grayscale8);
    result.mask.fill(0);
    if (drawn.size() != reference.size()) {
        result.mask.fill(255);
        result.differing = std::max(drawn.width() * drawn.height(), reference.width() * reference.height());
        return result;
    }
    const QImage a = drawn.convertToFormat(QImage::Format_RGB32);
    const QImage b = reference.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < a.height(); ++y) {
        const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        uchar* out = result.mask.scanLine(y);
        for (int x = 0; x < a.width(); ++x) {
            const int d = std::max({std::abs(qRed(p[x]) - qRed(q[x])), std::abs(qGreen(p[x]) - qGreen(q[x])),
                                    std::abs(qBlue(p[x]) - qBlue(q[x]))});
            if (d > kTolerance) {
                out[x] = 255;
                ++result.differing;
            }
        }
    }
    return result;
}
