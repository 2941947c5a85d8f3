#pragma once

#include "BodyLayout.h"

#include <QPicture>
#include <QSizeF>

#include <vector>

class QPainter;

namespace quill {

// One page as it prints: the sheet's size and what is drawn on it, in logical pixels at 96 dpi with the
// sheet's top-left corner at the origin. The sheet itself (white paper) is not part of it.
struct Page
{
    QSizeF size;
    QPicture header;
    QPicture body;
    QPicture footer;
};

// Every page of a document in order; at least one.
using DocumentPages = std::vector<Page>;

// Lays out every page of `sources.document`: each section on its own page size and margins, the body pushed
// below a header (above a footer) taller than its margin, each page with its section's header and footer of
// the right kind, and page numbers, page counts and dates drawn as they print.
DocumentPages layOutPages(const LayoutSources &sources);

// Draws `page` with its top-left corner at the painter's origin, one unit per logical pixel: the one painter
// of a page, whatever it is drawn on (the picture, a PDF, paper).
void paintPage(QPainter &painter, const Page &page);

} // namespace quill
