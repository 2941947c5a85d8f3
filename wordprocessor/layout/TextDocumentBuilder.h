#pragma once

#include "BodyLayout.h"
#include "Sections.h"
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

struct FieldContext;

// Pages of a body that begin on a new page: the body is cut at every hard page break, and each piece is
// laid out as a QTextDocument of its own (pages stacked top to bottom, one page height apart). Nothing before
// a hard page break moves what comes after it, so the pieces are independent, and a change to one (the
// pagination pass moving a paragraph) lays out that piece again, not the rest of the body.
struct PageRun
{
    std::unique_ptr<QTextDocument> document;
    int firstPage = 0; // the page of the body the run's first page is (0-based)
    int section = 0;   // the section the run begins in
    PageSetup page;    // the page the run is laid out on (its section's)
    qreal bottom = 0;  // where its text ends on its last sheet, device pixels from the page's top

    int pageCount() const;
};

// A body turned into paginated QTextDocuments. They work in device pixels of layoutPaintDevice(),
// deviceScale to a logical pixel.
struct BuiltDocument
{
    std::vector<PageRun> runs; // in reading order; at least one
    PageSetup page;                           // the first run's, in logical pixels at 96 dpi
    qreal deviceScale = kLayoutOversampling;  // device pixels of the documents per logical pixel

    int pageCount() const;
};

// The w:body of `sources.document`; null when there is none.
pugi::xml_node documentBody(const LayoutSources &sources);

// The paint device every layout measures fonts against (kLayoutOversampling times 96 dpi).
QPaintDevice *layoutPaintDevice();

// Lays out the body of `sources.document` one page run at a time and hands each run, laid out, to
// `handleRun` in reading order, with its page set-up; the handler may keep the run or let it go. A section
// that must begin on an odd (or even) page leaves the page before it empty: the run's firstPage skips it.
// `sections` are the body's (readSections), with the margins its runs are laid out with; computed fields
// show their values at `fields` when given. A missing or unreadable body gives one empty run with the
// default page. A handler that moves the run's text (to make room for footnotes) updates the run's bottom: a
// run that a continuous section break begins goes on below it.
using PageRunHandler = std::function<void(const PageSetup &page, PageRun &run)>;
void layOutBody(const LayoutSources &sources, std::vector<Section> sections, const PageRunHandler &handleRun,
                const FieldContext *fields = nullptr);

// Builds the QTextDocuments for the body of `sources.document`, laid out page by page.
// A missing or unreadable body gives one empty document with the default page.
BuiltDocument buildTextDocument(const LayoutSources &sources);

} // namespace quill
