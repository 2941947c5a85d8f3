#include "TextDocumentBuilder.h"

#include "BodyBuilder.h"
#include "LayoutUnits.h"
#include "Pagination.h"
#include "WordXml.h"

#include <pugixml.hpp>

#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

namespace {

// US Letter with one-inch margins, in twips: the page when a body carries no section.
constexpr int kDefaultPageWidthTwips = 12240;
constexpr int kDefaultPageHeightTwips = 15840;
constexpr int kDefaultMarginTwips = 1440;

} // namespace

PageSetup pageSetupFromSection(pugi::xml_node sectPr)
{
    const pugi::xml_node pgSz = childElement(sectPr, "pgSz");
    const pugi::xml_node pgMar = childElement(sectPr, "pgMar");
    const auto length = [](pugi::xml_node node, const char *name, int fallback) {
        const std::optional<int> value = intAttribute(node, name);
        // A negative top or bottom margin means "exactly this, even over a tall header".
        return value && *value != 0 ? qAbs(*value) : (value ? 0 : fallback);
    };
    PageSetup page;
    // Whole pixels, so that pages stack without drift in the picture.
    page.pageSize = QSizeF(qRound(twipsToPixels(length(pgSz, "w", kDefaultPageWidthTwips))),
                           qRound(twipsToPixels(length(pgSz, "h", kDefaultPageHeightTwips))));
    const int gutter = intAttribute(pgMar, "gutter").value_or(0);
    page.margins = QMarginsF(twipsToPixels(length(pgMar, "left", kDefaultMarginTwips) + gutter),
                             twipsToPixels(length(pgMar, "top", kDefaultMarginTwips)),
                             twipsToPixels(length(pgMar, "right", kDefaultMarginTwips)),
                             twipsToPixels(length(pgMar, "bottom", kDefaultMarginTwips)));
    return page;
}

QPaintDevice *layoutPaintDevice()
{
    static QImage device = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.setDotsPerMeterX(kLayoutDotsPerMeter * kLayoutOversampling);
        image.setDotsPerMeterY(kLayoutDotsPerMeter * kLayoutOversampling);
        return image;
    }();
    return &device;
}

int PageRun::pageCount() const
{
    return qMax(1, document->pageCount());
}

int BuiltDocument::pageCount() const
{
    return runs.empty() ? 0 : runs.back().firstPage + runs.back().pageCount();
}

PageSetup layOutBody(const LayoutSources &sources, const PageRunHandler &handleRun)
{
    const pugi::xml_node body = sources.document
        ? childElement(sources.document->document_element(), "body") : pugi::xml_node();
    pugi::xml_node section;
    for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, "sectPr"))
            section = child;
    }
    const PageSetup page = pageSetupFromSection(section);

    int firstPage = 0;
    BodyBuilder(sources, page, [&](std::unique_ptr<QTextDocument> document) {
        // Keep each paragraph's shaped glyphs after layout: drawing the page would otherwise shape them again.
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            block.layout()->setCacheEnabled(true);
        document->setPageSize(page.pageSize * kLayoutOversampling);
        applyKeepRules(*document, document->pageSize().height());
        PageRun run{std::move(document), firstPage};
        firstPage += run.pageCount();
        handleRun(page, run);
    }).addBody(body);
    return page;
}

BuiltDocument buildTextDocument(const LayoutSources &sources)
{
    BuiltDocument built;
    built.page = layOutBody(sources, [&](const PageSetup &, PageRun &run) { built.runs.push_back(std::move(run)); });
    return built;
}

} // namespace quill
