#pragma once

#include <QRectF>

#include <optional>

namespace quill {

// Zoom factors: quarter steps from 0.25 to 4.0, all exact in binary floating point so steps never drift.
constexpr float kZoomStep = 0.25f;
constexpr float kMinimumZoom = 0.25f;
constexpr float kMaximumZoom = 4.0f;

// The largest canvas drawn, in logical pixels (both exclusive); they bound the canvas's persistent image.
constexpr int kCanvasWidthLimit = 8500;
constexpr int kCanvasHeightLimit = 12900;

// Overhangs up to this many twips scroll one twip per scrollbar unit, larger ones ten.
constexpr int kFineScrollOverhang = 100;
constexpr int kFineScrollStep = 1;
constexpr int kCoarseScrollStep = 10;

// `value` rounded to the nearest integer, a half to the even neighbour.
int roundHalfEven(double value);

// Whether the window accepts the zoom `factor` (0.25 to 4.0, both included).
bool isZoomInRange(float factor);

// floor(`twips` × `factor`), formed in double precision: a length at a zoom factor, in twips.
int zoomedLength(int twips, float factor);

// Whether a canvas of the given zoomed size (twips) stays below the canvas limits (logical pixels).
bool fitsCanvasLimits(int widthTwips, int heightTwips);

// A rectangle at the origin of the given size in twips, in logical pixels (not rounded).
QRectF pixelRect(int widthTwips, int heightTwips);

// How a scrollbar moves a canvas along one axis of its viewport.
struct ScrollRange
{
    bool enabled = false; // false when the canvas fits; the scrollbar then keeps its maximum and value
    int maximum = 0;      // scrollbar units
    int step = 0;         // twips of canvas movement per unit: 0, 1 or 10
};

// The scroll range for a canvas of outer length `canvasTwips` in a viewport of outer length `viewportTwips`.
ScrollRange scrollRange(int canvasTwips, int viewportTwips);

// The canvas's edge, in twips in the viewport's coordinates, for scrollbar `value` at `step` twips a unit.
int scrollOffset(int step, int value);

// The scrollbar value for `percent` of `maximum`; nothing for a percentage outside 0 to 100.
std::optional<int> valueForPercent(int percent, int maximum);

// How far through its scroll range a canvas whose edge stands at `edgeTwips` is, in whole percent:
// |edge| / (canvas − viewport) × 100, with outer lengths in twips.
int dragPercent(double edgeTwips, int canvasTwips, int viewportTwips);

// Where a drag may put the canvas's edge (twips): never past the viewport's start, and never so far that
// the canvas's far edge comes inside the viewport's inner length `innerTwips`.
double boundedDragEdge(double edgeTwips, int canvasTwips, int innerTwips);

} // namespace quill
