#pragma once

#include <QRect>
#include <QtGlobal>

namespace quill {

// Lengths of the windows and of the page layout: twips (1/1440 inch) and logical pixels at
// 96 dots per inch, where a logical pixel is 15 twips. Every conversion between the two goes
// through these helpers, and every rounding rounds to the nearest, halves away from zero (qRound).

// Twips in one logical pixel at 96 dpi (1440 twips per inch / 96 pixels per inch).
inline constexpr int kTwipsPerPixel = 15;
// Logical pixels in one inch.
inline constexpr qreal kPixelsPerInch = 96.0;
// Typographic points (1/72 inch) in one logical pixel.
inline constexpr qreal kPointsPerPixel = 72.0 / kPixelsPerInch;

// A length in twips as logical pixels, exactly.
constexpr qreal twipsToPixels(qreal twips)
{
    return twips / kTwipsPerPixel;
}

// A length in twips as whole logical pixels (a widget's geometry).
constexpr int twipsToWholePixels(qreal twips)
{
    return qRound(twipsToPixels(twips));
}

// A length in logical pixels as twips.
constexpr qreal pixelsToTwips(qreal pixels)
{
    return pixels * kTwipsPerPixel;
}

// A length in logical pixels as whole twips (a widget's length in the windows' twips).
constexpr int pixelsToWholeTwips(qreal pixels)
{
    return qRound(pixelsToTwips(pixels));
}

// A length in logical pixels rounded to the nearest whole twip, still in logical pixels.
constexpr qreal roundToTwips(qreal pixels)
{
    return twipsToPixels(pixelsToWholeTwips(pixels));
}

// DrawingML lengths come in English Metric Units: 914400 to the inch, 9525 to a logical pixel at 96 dpi.
inline constexpr qint64 kEmuPerInch = 914400;
inline constexpr int kEmuPerPixel = 9525;

// A length in EMU as logical pixels, exactly.
constexpr qreal emuToPixels(qreal emu)
{
    return emu / kEmuPerPixel;
}

// A rectangle given in twips (left, top, width, height), in whole logical pixels.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToWholePixels(left), twipsToWholePixels(top), twipsToWholePixels(width),
                 twipsToWholePixels(height));
}

} // namespace quill
