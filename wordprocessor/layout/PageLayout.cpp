#include "PageLayout.h"

#include "HeaderFooter.h"
#include "NoteAreas.h"
#include "PageContinuation.h"
#include "LayoutUnits.h"
#include "CharacterBorders.h"
#include "ParagraphBorders.h"
#include "TabLeaders.h"
#include "TextDocumentBuilder.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>

namespace quill {

namespace {

// The width of the line between columns, in logical pixels.
constexpr qreal kColumnSeparatorWidth = 0.75;

// Where a page of a run's document is drawn as a column of a sheet, in logical pixels: moved `across` from
// the first column, and showing the document from `left` for `width` (its column and half the spaces on
// either side).
struct ColumnPlace
{
    qreal across = 0;
    qreal left = 0;
    qreal width = 0;
};

// Page `index` of a run's document (0 for the run's first page): its pages stack one page height apart.
// With columns, each page of the document is one column, placed at `column`.
PagePart runPage(const std::shared_ptr<const QTextDocument> &document, const QSizeF &size, int index,
                 const ColumnPlace *column = nullptr)
{
    const qreal pageHeight = size.height() * kLayoutOversampling;
    if (!column)
        return PagePart{document, QPointF(0, -index * size.height()),
                        QRectF(0, index * pageHeight, size.width() * kLayoutOversampling, pageHeight)};
    return PagePart{document, QPointF(column->across, -index * size.height()),
                    QRectF(column->left * kLayoutOversampling, index * pageHeight,
                           column->width * kLayoutOversampling, pageHeight)};
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
    paintParagraphShading(painter, *part.document);
    part.document->documentLayout()->draw(&painter, context);
    paintParagraphBorders(painter, *part.document);
    paintCharacterBorders(painter, *part.document);
    paintTabLeaders(painter, *part.document, part.clip);
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

// A section with columns is laid out one column wide: its right margin takes up the other columns, and
// each page of its documents becomes one column of a sheet (placeColumns).
void narrowToFirstColumn(std::vector<Section> &sections)
{
    for (Section &section : sections) {
        const std::vector<ColumnBox> boxes = columnBoxes(section);
        if (boxes.size() < 2)
            continue;
        const PageSetup &page = section.page;
        const qreal textWidth = page.pageSize.width() - page.margins.left() - page.margins.right();
        section.page.margins.setRight(page.margins.right() + textWidth - boxes.front().width);
    }
}

// The sheets of a run of `documentPages` pages laid out in `section` (its page with the body's margins):
// one per page, or with columns, one per so many pages side by side, the separator line between columns.
// The run's first page goes into column `firstColumn` of the first sheet.
std::vector<Page> placeColumns(const std::shared_ptr<const QTextDocument> &document, const Section &section,
                               int documentPages, int firstColumn)
{
    const std::vector<ColumnBox> boxes = columnBoxes(section);
    const int columns = int(boxes.size());
    const PageSetup &page = section.page;
    std::vector<Page> sheets;
    for (int index = 0; index < documentPages; ++index) {
        const int column = (firstColumn + index) % columns;
        if (column == 0 || index == 0) {
            sheets.emplace_back();
            sheets.back().size = page.pageSize;
        }
        Page &sheet = sheets.back();
        if (columns == 1) {
            sheet.body.push_back(runPage(document, page.pageSize, index));
            continue;
        }
        const ColumnBox &box = boxes[size_t(column)];
        const qreal across = box.left - boxes.front().left;
        const qreal gapBefore = column > 0 ? box.left - boxes[size_t(column) - 1].left - boxes[size_t(column) - 1].width : 0;
        const qreal gapAfter = column + 1 < columns ? boxes[size_t(column) + 1].left - box.left - box.width : 0;
        // The outer columns keep the page's margins, where hanging numbers and wide tables reach.
        const qreal left = column > 0 ? page.margins.left() - gapBefore / 2 : 0;
        const qreal right = column + 1 < columns ? page.margins.left() + box.width + gapAfter / 2
                                                 : page.pageSize.width() - across;
        const ColumnPlace place{across, left, right - left};
        sheet.body.push_back(runPage(document, page.pageSize, index, &place));
        if (column > 0 && section.columns.separator) {
            const qreal x = page.margins.left() + box.left - gapBefore / 2;
            sheet.separators.emplace_back(x, page.margins.top(), x, page.pageSize.height() - page.margins.bottom());
        }
    }
    return sheets;
}

// The lines between columns span only the columns' text where the columns begin below other text (`below`) or
// end level above more (their run's document is balanced).
void fitColumnLines(std::vector<Page> &sheets, const QTextDocument &document, int columns, bool below)
{
    if (sheets.empty())
        return;
    if (below) {
        const qreal top = contentTop(document) / kLayoutOversampling;
        for (QLineF &line : sheets.front().separators)
            line.setP1(QPointF(line.x1(), top));
    }
    if (document.rootFrame()->frameFormat().boolProperty(BalancedColumnsProperty)) {
        const qreal bottom = contentBottom(document, columns) / kLayoutOversampling;
        for (QLineF &line : sheets.back().separators)
            line.setP2(QPointF(line.x2(), bottom));
    }
}

// True when the body `body` holds an element named `name` (w:footnoteReference, w:endnoteReference): only then
// does the layout look for the marks in its text.
bool refersTo(pugi::xml_node body, const char *name)
{
    bool found = false;
    walkTree(body, [&](pugi::xml_node node) {
        found = isElement(node, name);
        return found ? WalkStep::Stop : WalkStep::Descend;
    });
    return found;
}

// The sheets of a body in order, with the section each belongs to.
struct Sheets
{
    DocumentPages pages;
    std::vector<int> sectionOf;
    std::vector<bool> blank; // pages left empty before a section that begins on an odd or even page
};

// Gathers the sheets of a body's page runs, their footnotes, and the endnotes after them.
class SheetCollector
{
public:
    SheetCollector(const LayoutSources &sources, const std::vector<Section> &sections)
        : m_sections(sections)
        , m_footnotes(sources, false)
        , m_endnotes(sources, true)
        , m_hasFootnotes(refersTo(documentBody(sources), "footnoteReference"))
        , m_hasEndnotes(refersTo(documentBody(sources), "endnoteReference"))
    {
    }

    void addRun(const PageSetup &page, PageRun &run)
    {
        const Section &section = m_sections[size_t(run.section)];
        const int columns = int(columnBoxes(section).size());
        // A run that a continuous section break began goes on below the text of the last sheet, from its first
        // column. A run that begins inside a section with columns follows a column break: it goes on in the
        // next column of the same sheet.
        const bool below = !m_sheets.pages.empty() && continuesPage(*run.document);
        const bool nextColumn = !m_sheets.pages.empty() && run.section == m_runSection && m_nextColumn > 0
            && run.firstPage == m_expectedFirstPage;
        const bool continues = below || nextColumn;
        const int firstColumn = nextColumn ? m_nextColumn : 0;
        std::vector<PageNotes> notes;
        if (m_hasFootnotes)
            notes = placeFootnotes(*run.document, section, m_footnotes, columns, firstColumn,
                                   continues ? footRoom(m_openNotes) : 0);
        if (m_hasEndnotes) {
            for (NoteReference &reference : noteReferences(*run.document, run.document->pageSize().height(), true))
                m_endnoteReferences.push_back(std::move(reference));
        }
        if (!notes.empty())
            run.bottom = contentBottom(*run.document, columns);
        const int runPages = run.pageCount();
        const std::shared_ptr<const QTextDocument> document(std::move(run.document));
        // The runs' first pages count the pages laid out before them and an empty page before a section that
        // begins on an odd or even page.
        for (int skipped = m_expectedFirstPage; skipped < run.firstPage; ++skipped)
            add(Page{page.pageSize, {}, {}, {}, {}, {}}, run.section, true);
        m_expectedFirstPage = run.firstPage + runPages;
        m_runSection = run.section;
        m_nextColumn = (firstColumn + runPages) % columns;
        std::vector<Page> sheets = placeColumns(document, section, runPages, firstColumn);
        fitColumnLines(sheets, *document, columns, below);
        for (size_t index = 0; index < sheets.size(); ++index) {
            Page &sheet = sheets[index];
            PageNotes sheetNotes = index < notes.size() ? std::move(notes[index]) : PageNotes();
            if (continues && index == 0) {
                Page &current = m_sheets.pages.back();
                current.body.insert(current.body.end(), sheet.body.begin(), sheet.body.end());
                current.separators.insert(current.separators.end(), sheet.separators.begin(), sheet.separators.end());
                stackNotes(m_openNotes, std::move(sheetNotes));
                continue;
            }
            add(std::move(sheet), run.section, false);
            m_openNotes = std::move(sheetNotes);
        }
    }

    // Ends the pages with the endnotes the body refers to, on pages of the last section.
    void addEndnotes()
    {
        const int last = int(m_sections.size()) - 1;
        for (Page &page : endnotePages(m_endnoteReferences, m_sections.back(), m_endnotes))
            add(std::move(page), last, false);
    }

    Sheets take()
    {
        closeNotes();
        return std::move(m_sheets);
    }

private:
    void add(Page page, int section, bool blank)
    {
        closeNotes();
        m_sheets.pages.push_back(std::move(page));
        m_sheets.sectionOf.push_back(section);
        m_sheets.blank.push_back(blank);
    }

    // Puts the footnotes gathered for the last sheet on it: a later run may still add its own below them.
    void closeNotes()
    {
        if (m_openNotes.notes.empty())
            return;
        Page &last = m_sheets.pages.back();
        last.notes.insert(last.notes.end(), m_openNotes.notes.begin(), m_openNotes.notes.end());
        last.separators.push_back(m_openNotes.separator);
        m_openNotes = PageNotes();
    }

    Sheets m_sheets;
    PageNotes m_openNotes; // the footnotes of the last sheet, not yet on it
    const std::vector<Section> &m_sections; // with the body's margins, not narrowed to a column
    NoteTexts m_footnotes;
    NoteTexts m_endnotes;
    bool m_hasFootnotes;
    bool m_hasEndnotes;
    std::vector<NoteReference> m_endnoteReferences;
    int m_expectedFirstPage = 0; // where the next run begins unless a page is left empty before it
    int m_runSection = -1;       // the section of the last run
    int m_nextColumn = 0;        // the column of the last sheet that the next page of that section fills
};

} // namespace

DocumentPages layOutPages(const LayoutSources &sources)
{
    const std::vector<Section> sections = readSections(documentBody(sources));
    HeaderFooterLayout headers(sources, sections);
    std::vector<Section> bodySections = sections;
    makeRoomForHeaders(bodySections, headers);
    const std::vector<Section> columnSections = bodySections;
    narrowToFirstColumn(bodySections);

    FieldContext bodyFields;
    bodyFields.dates = sources.dates;
    bodyFields.now = QDateTime::currentDateTime();

    // The pages keep their run's laid-out document and draw from it, wherever they are painted.
    SheetCollector collector(sources, columnSections);
    layOutBody(sources, bodySections, [&](const PageSetup &page, PageRun &run) { collector.addRun(page, run); },
               &bodyFields);
    collector.addEndnotes();

    Sheets sheets = collector.take();
    const std::vector<PagePlace> places = pagePlaces(sheets.sectionOf, sections, sources);
    for (size_t index = 0; index < sheets.pages.size(); ++index) {
        if (sheets.blank[index])
            continue;
        sheets.pages[index].header = headers.draw(places[index], false);
        sheets.pages[index].footer = headers.draw(places[index], true);
    }
    return std::move(sheets.pages);
}

void paintPage(QPainter &painter, const Page &page)
{
    for (const PagePart &column : page.body)
        paintPart(painter, column);
    for (const PagePart &note : page.notes)
        paintPart(painter, note);
    if (!page.separators.empty()) {
        painter.save();
        painter.setPen(QPen(Qt::black, kColumnSeparatorWidth));
        for (const QLineF &line : page.separators)
            painter.drawLine(line);
        painter.restore();
    }
    paintPart(painter, page.header);
    paintPart(painter, page.footer);
}

} // namespace quill
