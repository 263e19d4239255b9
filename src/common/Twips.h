#pragma once

#include <QRect>

// Window layouts are kept in twips, 1/1440 inch, so that they can be matched
// against the layout tables; 15 twips make one pixel at 96 dots per inch.
namespace Twips {

constexpr int kPerPixel = 15;

constexpr int px(int twips) {
    return (twips + kPerPixel / 2) / kPerPixel;
}

// Left, top, width, height in twips.
constexpr QRect rect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

} // namespace Twips
