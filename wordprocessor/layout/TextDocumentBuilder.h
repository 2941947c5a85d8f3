#pragma once

#include "BodyLayout.h"

#include <QMarginsF>
#include <QSizeF>

#include <memory>

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

// A body turned into a paginated QTextDocument (pages stacked top to bottom, one page height apart).
// The document works in device pixels of layoutPaintDevice(), deviceScale to a logical pixel.
struct BuiltDocument
{
    std::unique_ptr<QTextDocument> document;
    PageSetup page;         // in logical pixels at 96 dpi
    qreal deviceScale = 1;  // device pixels of the document per logical pixel
};

// The page set-up of a w:sectPr (w:pgSz, w:pgMar); missing values fall back to US Letter with one-inch margins.
PageSetup pageSetupFromSection(pugi::xml_node sectPr);

// The paint device every layout measures fonts against (kLayoutOversampling times 96 dpi).
QPaintDevice *layoutPaintDevice();

// Builds the QTextDocument for the body of `sources.document`, laid out page by page.
// A missing or unreadable body gives an empty document with the default page.
BuiltDocument buildTextDocument(const LayoutSources &sources);

} // namespace quill
