#pragma once

#include "Units.h"

#include <QtGlobal>

namespace quill {

// Lengths in WordprocessingML come in twips (1/20 pt, converted by Units.h), half-points and
// eighths of a point; the layout works in logical pixels at 96 dpi.

// Logical pixels per inch at which the body is laid out.
inline constexpr int kLayoutDpi = 96;
// Typographic points per inch.
inline constexpr qreal kPointsPerInch = 72.0;
// Dots per metre of a 96-dpi paint device (96 / 0.0254, rounded as QImage wants it).
inline constexpr int kLayoutDotsPerMeter = 3780;
// Qt loads fonts at whole pixel sizes, which would make 10 pt text (13.33 px at 96 dpi) 2.5 % too narrow.
// The body is laid out at this many times 96 dpi, where every half-point size is a whole number of pixels
// (n/2 pt at 288 dpi is 2n px), and drawn scaled back to logical pixels.
inline constexpr int kLayoutOversampling = 3;

// A font size in half-points (w:sz) as points.
constexpr qreal halfPointsToPoints(int halfPoints)
{
    return halfPoints / 2.0;
}

// A length in points as logical pixels at 96 dpi.
constexpr qreal pointsToPixels(qreal points)
{
    return points * kLayoutDpi / kPointsPerInch;
}

// A border width in eighths of a point (w:sz of a border) as logical pixels at 96 dpi.
constexpr qreal eighthPointsToPixels(int eighths)
{
    return eighths / 8.0 * kLayoutDpi / kPointsPerInch;
}

} // namespace quill
