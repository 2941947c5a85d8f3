#include "PageLayout.h"

#include "HeaderFooter.h"
#include "LayoutUnits.h"
#include "ParagraphBorders.h"
#include "TextDocumentBuilder.h"
#include "WordXml.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace quill {

namespace {

// Page `index` of a run's document (0 for the run's first page): its pages stack one page height apart.
PagePart runPage(const std::shared_ptr<const QTextDocument> &document, const QSizeF &size, int index)
{
    const qreal pageHeight = size.height() * kLayoutOversampling;
    return PagePart{document, QPointF(0, -index * size.height()),
                    QRectF(0, index * pageHeight, size.width() * kLayoutOversampling, pageHeight)};
}

// Draws `part` in logical pixels from the page's corner.
void paintPart(QPainter &painter, const PagePart &part)
{
    if (!part.document)
        return;
    painter.save();
    painter.translate(part.offset);
    // Only the part's own page of the document: a table cell that spans a page break would reach onto the next.
    if (!part.clip.isNull())
        painter.setClipRect(QRectF(part.clip.topLeft() / kLayoutOversampling, part.clip.size() / kLayoutOversampling));
    // The layout works in device pixels of its finer resolution.
    painter.scale(1.0 / kLayoutOversampling, 1.0 / kLayoutOversampling);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    context.clip = part.clip;
    part.document->documentLayout()->draw(&painter, context);
    paintParagraphBorders(painter, *part.document);
    painter.restore();
}

// Makes room for headers and footers taller than their sections' margins: the body begins below the header
// and ends above the footer, as LibreOffice lays out Word's pages.
void makeRoomForHeaders(std::vector<Section> &sections, HeaderFooterLayout &headers)
{
    for (int index = 0; index < int(sections.size()); ++index) {
        PageSetup &page = sections[size_t(index)].page;
        const qreal header = headers.tallest(index, false);
        const qreal footer = headers.tallest(index, true);
        if (header > 0)
            page.margins.setTop(qMax(page.margins.top(), page.headerDistance + header));
        if (footer > 0)
            page.margins.setBottom(qMax(page.margins.bottom(), page.footerDistance + footer));
    }
}

// The place of every page among sections and page numbers; `sectionOf` gives each page's section.
std::vector<PagePlace> pagePlaces(const std::vector<int> &sectionOf, const std::vector<Section> &sections,
                                  const LayoutSources &sources)
{
    const int pageCount = int(sectionOf.size());
    std::vector<int> sectionPages(sections.size(), 0);
    for (int section : sectionOf)
        ++sectionPages[size_t(section)];
    std::vector<PagePlace> places(static_cast<size_t>(pageCount));
    const QDateTime now = QDateTime::currentDateTime();
    int number = 0;
    for (int index = 0; index < pageCount; ++index) {
        PagePlace &place = places[size_t(index)];
        place.section = sectionOf[size_t(index)];
        const bool first = index == 0 || sectionOf[size_t(index) - 1] != place.section;
        place.indexInSection = first ? 0 : places[size_t(index) - 1].indexInSection + 1;
        const std::optional<int> restart = sections[size_t(place.section)].firstPageNumber;
        number = first && restart ? *restart : number + 1;
        place.fields.page = number;
        place.fields.pages = pageCount;
        place.fields.sectionPages = sectionPages[size_t(place.section)];
        place.fields.dates = sources.dates;
        place.fields.now = now;
    }
    return places;
}

} // namespace

DocumentPages layOutPages(const LayoutSources &sources)
{
    const std::vector<Section> sections = readSections(documentBody(sources));
    HeaderFooterLayout headers(sources, sections);
    std::vector<Section> bodySections = sections;
    makeRoomForHeaders(bodySections, headers);

    FieldContext bodyFields;
    bodyFields.dates = sources.dates;
    bodyFields.now = QDateTime::currentDateTime();

    DocumentPages pages;
    std::vector<int> sectionOf;
    std::vector<bool> blank; // pages left empty before a section that begins on an odd or even page
    // The pages keep their run's laid-out document and draw from it, wherever they are painted.
    layOutBody(sources, bodySections, [&](const PageSetup &page, PageRun &run) {
        const int runPages = run.pageCount();
        const std::shared_ptr<const QTextDocument> document(std::move(run.document));
        while (int(pages.size()) < run.firstPage) {
            Page empty;
            empty.size = page.pageSize;
            pages.push_back(std::move(empty));
            sectionOf.push_back(run.section);
            blank.push_back(true);
        }
        for (int index = 0; index < runPages; ++index) {
            Page drawn;
            drawn.size = page.pageSize;
            drawn.body = runPage(document, page.pageSize, index);
            pages.push_back(std::move(drawn));
            sectionOf.push_back(run.section);
            blank.push_back(false);
        }
    }, &bodyFields);

    const std::vector<PagePlace> places = pagePlaces(sectionOf, sections, sources);
    for (size_t index = 0; index < pages.size(); ++index) {
        if (blank[index])
            continue;
        pages[index].header = headers.draw(places[index], false);
        pages[index].footer = headers.draw(places[index], true);
    }
    return pages;
}

void paintPage(QPainter &painter, const Page &page)
{
    paintPart(painter, page.body);
    paintPart(painter, page.header);
    paintPart(painter, page.footer);
}

} // namespace quill
