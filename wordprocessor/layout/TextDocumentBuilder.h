#pragma once

#include "BodyLayout.h"
#include "LayoutUnits.h"

#include <QMarginsF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <vector>

namespace pugi {
class xml_node;
}

class QPaintDevice;
class QTextDocument;

namespace quill {

// The page of a section, in logical pixels at 96 dpi.
struct PageSetup
{
    QSizeF pageSize;    // the whole sheet
    QMarginsF margins;  // from the sheet's edges to the text column
};

// Pages of a body that begin on a new page: the body is cut at every hard page break, and each piece is
// laid out as a QTextDocument of its own (pages stacked top to bottom, one page height apart). Nothing before
// a hard page break moves what comes after it, so the pieces are independent, and a change to one (the
// pagination pass moving a paragraph) lays out that piece again, not the rest of the body.
struct PageRun
{
    std::unique_ptr<QTextDocument> document;
    int firstPage = 0; // the page of the body the run's first page is (0-based)

    int pageCount() const;
};

// A body turned into paginated QTextDocuments. They work in device pixels of layoutPaintDevice(),
// deviceScale to a logical pixel.
struct BuiltDocument
{
    std::vector<PageRun> runs; // in reading order; at least one
    PageSetup page;                           // in logical pixels at 96 dpi
    qreal deviceScale = kLayoutOversampling;  // device pixels of the documents per logical pixel

    int pageCount() const;
};

// The page set-up of a w:sectPr (w:pgSz, w:pgMar); missing values fall back to US Letter with one-inch margins.
PageSetup pageSetupFromSection(pugi::xml_node sectPr);

// The paint device every layout measures fonts against (kLayoutOversampling times 96 dpi).
QPaintDevice *layoutPaintDevice();

// Lays out the body of `sources.document` one page run at a time and hands each run, laid out, to
// `handleRun` in reading order, with the body's page set-up; the handler may keep the run or let it go.
// Returns the page set-up. A missing or unreadable body gives one empty run with the default page.
using PageRunHandler = std::function<void(const PageSetup &page, PageRun &run)>;
PageSetup layOutBody(const LayoutSources &sources, const PageRunHandler &handleRun);

// Builds the QTextDocuments for the body of `sources.document`, laid out page by page.
// A missing or unreadable body gives one empty document with the default page.
BuiltDocument buildTextDocument(const LayoutSources &sources);

} // namespace quill
