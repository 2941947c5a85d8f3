#include "TextDocumentBuilder.h"

#include "BodyBuilder.h"
#include "LayoutUnits.h"
#include "PageContinuation.h"
#include "Pagination.h"
#include "RowHeights.h"
#include "WordXml.h"

#include <pugixml.hpp>

#include <QImage>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

pugi::xml_node documentBody(const LayoutSources &sources)
{
    return sources.document ? childElement(sources.document->document_element(), "body") : pugi::xml_node();
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

void layOutBody(const LayoutSources &sources, std::vector<Section> sections, const PageRunHandler &handleRun,
                const FieldContext *fields)
{
    const pugi::xml_node body = documentBody(sources);
    if (sections.empty())
        sections.emplace_back();
    const std::vector<Section> runSections = sections;

    int firstPage = 0;
    qreal lastBottom = 0; // where the previous run's text ends on its last sheet, device pixels from its top
    BodyBuilder(sources, std::move(sections), [&](std::unique_ptr<QTextDocument> document, int section) {
        // Nothing after a continuous section break: no run, and no page that its empty paragraph could spill onto.
        if (firstPage > 0 && continuesPage(*document) && document->isEmpty())
            return;
        const Section &setup = runSections[size_t(section)];
        const int columns = int(columnBoxes(setup).size());
        // Keep each paragraph's shaped glyphs after layout: drawing the page would otherwise shape them again.
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
            block.layout()->setCacheEnabled(true);
        allowLineGapAtPageFoot(*document);
        document->setPageSize(setup.page.pageSize * kLayoutOversampling);
        fitExactRows(*document);
        const bool continues = firstPage > 0 && continuesPage(*document);
        const qreal top = continues ? lastBottom : setup.page.margins.top() * kLayoutOversampling;
        if (!balanceColumns(*document, top, columns)) {
            if (continues)
                startBelow(*document, lastBottom, columns);
            balanceLastSheet(*document, columns);
        }
        if (continues)
            --firstPage; // on the sheet where the previous run ended
        applyKeepRules(*document, document->pageSize().height());
        // A section that begins on an odd (even) page leaves an empty page before it where needed.
        const bool oddPageNumber = firstPage % 2 == 0;
        if (firstPage > 0 && ((setup.start == SectionStart::OddPage && !oddPageNumber)
                              || (setup.start == SectionStart::EvenPage && oddPageNumber)))
            ++firstPage;
        const qreal bottom = contentBottom(*document, columns);
        PageRun run{std::move(document), firstPage, section, setup.page, bottom};
        firstPage += run.pageCount();
        handleRun(setup.page, run);
        lastBottom = run.bottom;
    }, fields).addBody(body);
}

BuiltDocument buildTextDocument(const LayoutSources &sources)
{
    BuiltDocument built;
    const pugi::xml_node body = documentBody(sources);
    layOutBody(sources, readSections(body), [&](const PageSetup &, PageRun &run) {
        built.runs.push_back(std::move(run));
    });
    built.page = built.runs.front().page;
    return built;
}

} // namespace quill
