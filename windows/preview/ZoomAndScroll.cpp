#include "ZoomAndScroll.h"
#include "Units.h"

#include <algorithm>
#include <cmath>

namespace quill {

int roundHalfEven(double value)
{
    // Under the default rounding mode nearbyint takes a half to the even neighbour (qRound would not).
    return static_cast<int>(std::nearbyint(value));
}

bool isZoomInRange(float factor)
{
    return factor >= kMinimumZoom && factor <= kMaximumZoom;
}

int zoomedLength(int twips, float factor)
{
    return static_cast<int>(std::floor(static_cast<double>(twips) * static_cast<double>(factor)));
}

bool fitsCanvasLimits(int widthTwips, int heightTwips)
{
    // The limits count logical pixels of the canvas as it will be sized: taken as twips they would be
    // narrower than the viewport, and no letter page could ever be drawn or zoomed.
    return twipsToWholePixels(widthTwips) < kCanvasWidthLimit && twipsToWholePixels(heightTwips) < kCanvasHeightLimit;
}

QRectF pixelRect(int widthTwips, int heightTwips)
{
    return QRectF(0, 0, twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

ScrollRange scrollRange(int canvasTwips, int viewportTwips)
{
    if (canvasTwips <= viewportTwips)
        return {};
    // Plain ints: a tall letter scrolled ten twips a unit needs more than 32767 units, and still
    // has to reach its end.
    const float overhang = static_cast<float>(canvasTwips - viewportTwips);
    if (overhang <= kFineScrollOverhang)
        return {true, roundHalfEven(overhang), kFineScrollStep};
    return {true, roundHalfEven(overhang / kCoarseScrollStep), kCoarseScrollStep};
}

int scrollOffset(int step, int value)
{
    // 32-bit on purpose: step × value passes 32767 twips on the later pages of a letter.
    return -(step * value);
}

std::optional<int> valueForPercent(int percent, int maximum)
{
    constexpr int kWhole = 100;
    if (percent > kWhole || percent < 0)
        return std::nullopt;
    const double value = percent / static_cast<double>(kWhole) * maximum;
    if (value > maximum)
        return std::nullopt;
    return roundHalfEven(value);
}

int dragPercent(double edgeTwips, int canvasTwips, int viewportTwips)
{
    constexpr double kWhole = 100;
    const int span = canvasTwips - viewportTwips;
    // A canvas exactly as long as the viewport has no scroll range: it stands at its start (0 %)
    // rather than failing on the division.
    if (span == 0)
        return 0;
    return roundHalfEven(std::abs(edgeTwips) / span * kWhole);
}

double boundedDragEdge(double edgeTwips, int canvasTwips, int innerTwips)
{
    // A canvas that fits inside the viewport would meet crossed bounds; it stays at the start,
    // where the disabled scrollbar keeps it too.
    if (canvasTwips <= innerTwips || edgeTwips > 0)
        return 0;
    return std::max(edgeTwips, static_cast<double>(innerTwips - canvasTwips));
}

} // namespace quill
