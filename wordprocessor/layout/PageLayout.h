#pragma once

#include "BodyLayout.h"

#include <QLineF>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <memory>
#include <vector>

class QPainter;
class QTextDocument;

namespace quill {

// Laid-out text drawn on a page: a document (in the layout's device pixels) placed with its origin at
// `offset` logical pixels from the sheet's corner, only what lies in `clip` (device pixels of the document;
// everything when null). Documents are shared: a run's pages, and the pages with the same header.
struct PagePart
{
    std::shared_ptr<const QTextDocument> document; // null: nothing is drawn
    QPointF offset;
    QRectF clip;
};

// One page as it prints: the sheet's size (logical pixels at 96 dpi) and what is drawn on it. The sheet
// itself (white paper) is not part of it.
struct Page
{
    QSizeF size;
    PagePart header;
    std::vector<PagePart> body;  // the body's text, one part per column that holds some, left to right
    std::vector<PagePart> notes; // footnotes at the foot of the page, or the endnotes of an endnote page
    PagePart footer;
    std::vector<QLineF> separators; // lines between columns and above footnotes, logical pixels from the corner
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
