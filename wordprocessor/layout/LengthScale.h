#pragma once

#include "LayoutUnits.h"

namespace quill {

// How lengths are handed to Qt's text layout so that pages never depend on the screen.
// QTextDocumentLayout multiplies block spacing, line heights, tab stops, frame margins and table lengths by the
// paint device's resolution over Qt's default resolution (the primary screen's logical one), and an absolute
// letter spacing by the whole number of times the default resolution goes into the device's. A scale is read
// from the screen when a layout starts and cancels both for that layout; nothing of it is kept across layouts.
class LengthScale
{
public:
    // The scale for Qt's default resolution as it stands now.
    static LengthScale current();
    // The scale for a default resolution of `defaultDpi` dots per inch.
    explicit LengthScale(int defaultDpi);

    // A length in twips for a property Qt scales by resolution, as Qt wants it handed over.
    qreal scaled(qreal twips) const;
    // A letter spacing in twips as the absolute spacing to give a font. The spacing Qt then draws, in device
    // pixels, is the same for every screen from 73 dpi up (rounded to a step of 3/32 device pixel).
    qreal letterSpacing(qreal twips) const;

private:
    qreal m_factor = 1;                // Qt's default resolution over kLayoutDpi
    int m_letterSpacingMultiplier = 1; // what Qt multiplies an absolute letter spacing by
};

// A length in twips for a property Qt takes in device pixels of the layout (indents, page size).
constexpr qreal deviceLength(qreal twips)
{
    return twipsToPixels(twips) * kLayoutOversampling;
}

// A length in device pixels of the layout, in twips: the inverse of deviceLength.
constexpr qreal deviceTwips(qreal devicePixels)
{
    return pixelsToTwips(devicePixels / kLayoutOversampling);
}

// A length in device pixels of the layout as Qt takes frame margins and line heights (it scales those), for
// Qt's default resolution as it stands now.
qreal qtLength(qreal devicePixels);

} // namespace quill
