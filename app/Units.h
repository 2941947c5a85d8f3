#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

#include <cmath>

namespace quill {

// A twip is 1/1440 inch; at 96 logical dots per inch a logical pixel is 15 twips.
constexpr int kTwipsPerPixel = 15;

// Twips to logical pixels, rounded to the nearest pixel.
constexpr int twipsToPixels(double twips)
{
    return static_cast<int>(twips >= 0 ? twips / kTwipsPerPixel + 0.5 : twips / kTwipsPerPixel - 0.5);
}

// Logical pixels to twips.
constexpr double pixelsToTwips(double pixels)
{
    return pixels * kTwipsPerPixel;
}

// A rectangle given in twips (left, top, width, height), in logical pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace quill
