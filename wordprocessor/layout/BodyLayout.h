#pragma once

#include <QPicture>
#include <QSize>

namespace pugi {
class xml_document;
}

namespace quill {

// The parsed parts that decide how a document body looks. Only `document` is required.
struct LayoutSources
{
    const pugi::xml_document *document = nullptr;  // word/document.xml
    const pugi::xml_document *styles = nullptr;    // word/styles.xml
    const pugi::xml_document *settings = nullptr;  // word/settings.xml (default tab stop)
    const pugi::xml_document *numbering = nullptr; // word/numbering.xml
};

// Every page of a body, drawn top to bottom into one vector picture.
struct BodyPicture
{
    QPicture picture;   // in logical pixels at 96 dpi; its bounding rect is (0, 0, pageSize.width, pageCount * pageSize.height)
    int pageCount = 0;
    QSize pageSize;     // one page, in logical pixels at 96 dpi
};

// Lays out the body of `sources.document` page by page (page size and margins from its section)
// and records all pages, white, with their margins, top to bottom. Headers and footers are not drawn.
BodyPicture renderBody(const LayoutSources &sources);

} // namespace quill
