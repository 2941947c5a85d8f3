#include "BodyBuilder.h"

#include "CharacterBorders.h"
#include "PageContinuation.h"
#include "Pagination.h"
#include "RowHeights.h"
#include "SymbolFonts.h"
#include "TabLeaders.h"
#include "WordXml.h"

#include <QAbstractTextDocumentLayout>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <cstring>

namespace quill {

namespace {

// Word's default tab stop interval when settings.xml gives none, in twips.
constexpr int kDefaultTabStopTwips = 720;
// The page height of a text box's flow, in logical pixels: taller than any page, so its text never breaks.
constexpr qreal kUnbrokenPageHeight = 1.0e5;

// The names of the bookmarks under `root`, in lower case.
QSet<QString> bookmarkNames(pugi::xml_node root)
{
    struct Collector : pugi::xml_tree_walker
    {
        QSet<QString> names;
        bool for_each(pugi::xml_node &node) override
        {
            if (std::strcmp(localName(node.name()), "bookmarkStart") == 0)
                names.insert(textAttribute(node, "name").toLower());
            return true;
        }
    } collector;
    root.traverse(collector);
    return collector.names;
}

} // namespace

BodyBuilder::BodyBuilder(const LayoutSources &sources, std::vector<Section> sections, RunFinisher finishRun,
                         const FieldContext *fields, const QString &sourcePart)
    : m_sources(sources)
    , m_sourcePart(sourcePart.isEmpty() ? sources.mainPart : sourcePart)
    , m_fields(fields)
    , m_styles(sources.styles)
    , m_numbering(sources.numbering)
    , m_sections(std::move(sections))
    , m_scale(LengthScale::current())
    , m_settings(readSettings(sources.settings))
    , m_themeFonts(sources.theme, sources.settings)
    , m_objects(sources.related, m_sourcePart, m_sections.empty() ? Section().page : m_sections.front().page,
                [this](pugi::xml_node content, const PageSetup &box) { return layOutTextBox(content, box); },
                sources.settings)
    , m_runs(m_styles, m_themeFonts, m_scale, &m_objects, fields)
    , m_paragraphs(m_scale, m_settings.defaultTabStopTwips)
    , m_finishRun(std::move(finishRun))
{
    if (m_sections.empty())
        m_sections.emplace_back();
}

void BodyBuilder::addBody(pugi::xml_node body)
{
    // References from the document's body point at its own bookmarks (those of other stories are unknown here).
    if (isElement(body, "body"))
        m_runs.setBookmarks(bookmarkNames(body));
    startRun();
    addBlockContent(body, TableContext());
    finishRun();
}

BodyBuilder::Settings BodyBuilder::readSettings(const pugi::xml_document *settings)
{
    Settings read{kDefaultTabStopTwips};
    if (!settings)
        return read;
    const pugi::xml_node root = settings->document_element();
    if (const std::optional<int> tab = intAttribute(childElement(root, "defaultTabStop"), "val"); tab && *tab > 0)
        read.defaultTabStopTwips = *tab;
    const pugi::xml_node compat = childElement(root, "compat");
    read.addParagraphSpacing = isOn(childElement(compat, "doNotUseHTMLParagraphAutoSpacing"));
    for (pugi::xml_node setting = compat.first_child(); setting; setting = setting.next_sibling()) {
        if (isElement(setting, "compatSetting") && textAttribute(setting, "name") == QLatin1String("compatibilityMode"))
            read.compatibilityMode = intAttribute(setting, "val").value_or(0);
    }
    return read;
}

// Lays out the content of a text box as a flow of its own, in a page as wide as the box (its insets as margins)
// and tall enough never to break; the box clips what does not fit.
std::unique_ptr<QTextDocument> BodyBuilder::layOutTextBox(pugi::xml_node content, const PageSetup &box) const
{
    std::unique_ptr<QTextDocument> laidOut;
    Section boxSection;
    boxSection.page = box;
    boxSection.start = SectionStart::Continuous;
    BodyBuilder(m_sources, {boxSection}, [&](std::unique_ptr<QTextDocument> document, int) {
        if (!laidOut)
            laidOut = std::move(document);
    }, m_fields, m_sourcePart).addBody(content);
    if (laidOut) {
        laidOut->setPageSize(QSizeF(box.pageSize.width(), kUnbrokenPageHeight) * kLayoutOversampling);
        fitExactRows(*laidOut);
    }
    return laidOut;
}

// Starts the next page run: a new document, set up for the page, that the following content goes into.
void BodyBuilder::startRun()
{
    finishRun();
    auto document = std::make_unique<QTextDocument>();
    document->setUndoRedoEnabled(false);
    document->setUseDesignMetrics(true);
    // QTextDocumentLayout does nothing while the page size is null. It stays null while the document is
    // filled, so that the document is laid out once, at the right resolution, when it is complete.
    document->setPageSize(QSizeF(0, 0));
    document->documentLayout()->setPaintDevice(layoutPaintDevice());
    document->setDefaultFont(charFormat(m_styles.defaultRunProperties(), m_themeFonts, m_scale).font());
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(m_scale.scaled(m_settings.defaultTabStopTwips));
    document->setDefaultTextOption(option);
    document->setDocumentMargin(0);
    m_runSection = m_section;
    m_objects.setPage(m_sections[size_t(m_section)].page);
    const QMarginsF margins = m_sections[size_t(m_section)].page.margins;
    QTextFrameFormat root = document->rootFrame()->frameFormat();
    root.setLeftMargin(m_scale.scaled(margins.left() * kTwipsPerPixel));
    root.setTopMargin(m_scale.scaled(margins.top() * kTwipsPerPixel));
    root.setRightMargin(m_scale.scaled(margins.right() * kTwipsPerPixel));
    root.setBottomMargin(m_scale.scaled(margins.bottom() * kTwipsPerPixel));
    document->rootFrame()->setFrameFormat(root);

    m_run = std::move(document);
    m_document = m_run.get();
    m_cursor = QTextCursor(m_document);
    m_blockUnused = true;
    m_flow.tableBefore = nullptr;
    // One edit block for the whole run: Qt rescans all of a document's frames at the end of every edit
    // that adds a table or merges cells, which would make filling a document with many tables quadratic.
    m_runEdit = QTextCursor(m_document);
    m_runEdit.beginEditBlock();
}

void BodyBuilder::finishRun()
{
    if (!m_run)
        return;
    m_runEdit.endEditBlock();
    m_runEdit = QTextCursor();
    m_objects.attach(*m_run);
    m_cursor = QTextCursor();
    m_document = nullptr;
    m_finishRun(std::move(m_run), m_runSection);
}

// A paragraph that ends a section was written: what follows belongs to the next section, on a new page
// unless that section continues on the same one.
void BodyBuilder::endSection()
{
    if (m_section + 1 >= int(m_sections.size()))
        return;
    ++m_section;
    if (m_sections[size_t(m_section)].start != SectionStart::Continuous) {
        m_flow.pendingPageBreak = true;
    } else if (startsOwnRun(m_sections[size_t(m_runSection)], m_sections[size_t(m_section)])) {
        // Other columns on the same page: a run of its own, laid out below the text before it, whose columns
        // end level.
        QTextFrameFormat ending = m_document->rootFrame()->frameFormat();
        ending.setProperty(BalancedColumnsProperty, true);
        m_document->rootFrame()->setFrameFormat(ending);
        startRun();
        QTextFrameFormat root = m_document->rootFrame()->frameFormat();
        root.setProperty(ContinuesPageProperty, true);
        m_document->rootFrame()->setFrameFormat(root);
    }
}

// Paragraphs, tables and the containers that wrap them (content controls, custom XML).
void BodyBuilder::addBlockContent(pugi::xml_node container, const TableContext &context)
{
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, "p"))
            addParagraph(child, context);
        else if (isElement(child, "tbl"))
            addTable(child);
        else if (isElement(child, "sdt"))
            addBlockContent(childElement(child, "sdtContent"), context);
        else if (isElement(child, "customXml") || isElement(child, "ins") || isElement(child, "moveTo"))
            addBlockContent(child, context);
    }
}

void BodyBuilder::startBlock(const QTextBlockFormat &format, const QTextCharFormat &markFormat)
{
    if (m_blockUnused) {
        m_cursor.setBlockFormat(format);
        // Merge, not set: the first block of a table cell carries the cell's own format (its spans).
        m_cursor.mergeBlockCharFormat(markFormat);
        m_blockUnused = false;
    } else {
        m_cursor.insertBlock(format, markFormat);
    }
}

// An empty block exactly `height` pixels tall: Qt drops the top margin of a flow's first block.
void BodyBuilder::addSpacer(qreal height)
{
    QTextBlockFormat spacer;
    spacer.setLineHeight(height, QTextBlockFormat::FixedHeight);
    spacer.setProperty(PageTopSpacerProperty, true);
    startBlock(spacer, QTextCharFormat());
}

void BodyBuilder::addParagraph(pugi::xml_node p, const TableContext &context)
{
    const pugi::xml_node pPr = childElement(p, "pPr");
    QString styleId = textAttribute(childElement(pPr, "pStyle"), "val");
    if (styleId.isEmpty())
        styleId = m_styles.defaultParagraphStyle();
    const ResolvedStyle &style = m_styles.style(styleId);

    ParagraphProperties direct;
    direct.apply(pPr);
    ParagraphProperties paragraph = m_styles.defaultParagraphProperties();
    RunProperties paragraphRun = m_styles.defaultRunProperties();
    if (context.style) {
        paragraph.apply(context.style->paragraph);
        paragraphRun.apply(context.style->run);
    }
    if (context.cell) {
        paragraph.apply(context.cell->paragraph);
        paragraphRun.apply(context.cell->run);
    }
    paragraph.apply(style.paragraph);
    paragraphRun.apply(style.run);

    const int numId = direct.numberingId.value_or(paragraph.numberingId.value_or(0));
    const int numLevel = direct.numberingLevel.value_or(paragraph.numberingLevel.value_or(0));
    const Numbering::Level *listLevel = numId > 0 ? m_numbering.level(numId, numLevel) : nullptr;
    if (listLevel)
        paragraph.apply(listLevel->paragraph);
    paragraph.apply(direct);

    RunProperties markRun = paragraphRun;
    markRun.apply(childElement(pPr, "rPr"));
    const QTextCharFormat markFormat = charFormat(markRun, m_themeFonts, m_scale);

    ParagraphText text;
    if (listLevel) {
        QString label = m_numbering.nextLabel(numId, numLevel);
        if (!label.isEmpty()) {
            RunProperties labelRun = markRun;
            labelRun.apply(listLevel->run);
            showSymbolFontText(label, labelRun);
            text.parts.back().push_back({label, charFormat(labelRun, m_themeFonts, m_scale)});
        }
    }
    const bool inTable = context.style != nullptr || m_tableDepth > 0;
    m_runs.readParagraph(p, paragraphRun, !inTable, text);

    const bool hasBlankLine = std::any_of(text.parts.begin(), text.parts.end(), isBlankLine);
    const QTextCharFormat blankFormat = hasBlankLine ? charFormat(paragraphRun, m_themeFonts, m_scale) : markFormat;
    writeParagraph(paragraph, styleId, text, markFormat, blankFormat, inTable);
    if (!inTable && sectionBreak(p))
        endSection();
}

void BodyBuilder::writeParagraph(const ParagraphProperties &paragraph, const QString &styleId, ParagraphText &text,
                                 const QTextCharFormat &markFormat, const QTextCharFormat &blankFormat,
                                 bool inTable)
{
    // LibreOffice leaves out Word's automatic space above the first paragraph of the document or of a cell.
    const bool dropsAutoBefore = m_flow.atStart && !m_flow.pendingPageBreak && paragraph.autoSpaceBefore.value_or(false);
    const int before = dropsAutoBefore ? 0 : paragraph.spaceBefore.value_or(0);
    const int after = paragraph.spaceAfter.value_or(0);
    const bool contextual = paragraph.contextualSpacing.value_or(false);
    const bool sameStyle = !m_flow.atStart && !m_flow.tableBefore && m_flow.previousStyle == styleId;
    bool breakBefore = false;
    if (!takeEdgeBreaks(text, paragraph.pageBreakBefore.value_or(false), inTable, breakBefore))
        return;
    // The gap to the previous paragraph, where it follows one on the same page.
    const int previousAfter = m_flow.previousContextual && sameStyle ? 0 : m_flow.pendingAfterTwips;
    const int ownBefore = contextual && sameStyle ? 0 : before;
    // Word's HTML-style spacing (the default) keeps the larger of the two; the compatibility
    // option doNotUseHTMLParagraphAutoSpacing adds them.
    const int gap = m_settings.addParagraphSpacing ? previousAfter + ownBefore : qMax(previousAfter, ownBefore);

    QTextBlockFormat baseFormat = m_paragraphs.blockFormat(paragraph);
    markTabLeaders(*m_document, baseFormat);
    const ParagraphBorders borders = ParagraphBorders::of(paragraph);
    bool joinsAbove = false;
    const int borderTwips = placeBorders(baseFormat, borders, breakBefore, joinsAbove);
    if (!inTable) {
        baseFormat.setProperty(KeepWithNextProperty, paragraph.keepWithNext.value_or(false));
        baseFormat.setProperty(KeepLinesTogetherProperty, paragraph.keepLinesTogether.value_or(false));
        // Word turns widow control on unless a paragraph or its style turns it off.
        baseFormat.setProperty(WidowControlProperty, paragraph.widowControl.value_or(true));
    }
    if (!inTable) {
        const int indents = paragraph.leftIndent.value_or(0) + paragraph.rightIndent.value_or(0);
        const qreal width = twipsToPixels(textColumnTwips() - indents);
        for (std::vector<TextPiece> &pieces : text.parts) {
            m_paragraphs.breakBeforeWidePictures(pieces, width);
            m_paragraphs.releaseOverlongWords(pieces, width);
        }
    }
    for (size_t part = 0; part < text.parts.size(); ++part) {
        std::vector<std::vector<TextPiece>> groups = m_paragraphs.groupsOfEqualHeight(paragraph, text.parts[part]);
        const size_t groupCount = qMax<size_t>(groups.size(), 1);
        for (size_t group = 0; group < groupCount; ++group) {
            std::vector<TextPiece> &pieces = groups.empty() ? text.parts[part] : groups[group];
            QTextBlockFormat format = baseFormat;
            const bool lastGroup = group + 1 == groupCount;
            if (group > 0)
                m_paragraphs.continueAfterBreak(format, paragraph);
            // The lines of one paragraph stay together as far as the paragraph keeps its lines together.
            const bool keepsLines = paragraph.widowControl.value_or(true) || paragraph.keepLinesTogether.value_or(false);
            if (!lastGroup && !inTable && keepsLines)
                format.setProperty(KeepWithNextProperty, true);
            const qreal lineHeight = m_paragraphs.applyLineHeight(format, paragraph, pieces, markFormat, blankFormat,
                                                                   inTable);
            // Page breaks are never read inside tables: this one is in the body and starts a page run.
            const bool startsPage = group == 0 && (part > 0 || breakBefore);
            if (startsPage)
                startRun();
            // Qt hides an empty block right after a table and pulls up one that starts with a line break.
            if (part == 0 && group == 0 && m_flow.tableBefore
                && (pieces.empty() || pieces.front().text.startsWith(QChar(kLineSeparator))))
                pieces.insert(pieces.begin(), TextPiece{QString(QChar(kZeroWidthSpace)), markFormat});
            if (borders.any()) {
                // The box spans the gap above where the paragraph continues the one above.
                const bool first = part == 0 && group == 0;
                setBorderBox(format, lineHeight, first && joinsAbove ? gap + borderTwips : 0);
                if (!first)
                    format.clearProperty(BorderTopPenProperty);
                if (!lastGroup)
                    format.clearProperty(BorderBottomPenProperty);
            }
            if (group == 0)
                placeSpaceBefore(format, before + borderTwips, gap + borderTwips, part == 0, startsPage, inTable);

            startBlock(format, markFormat);
            int lines = 1;
            for (const TextPiece &piece : pieces) {
                insertPiece(m_cursor, piece);
                lines += piece.text.count(QChar(kLineSeparator));
            }
            if (text.hasCharacterBorders)
                markCharacterBorders(*m_document);
            m_flow.contentTwips += format.topMargin() / m_scale.scaled(1) + lines * lineHeight * kTwipsPerPixel;

            m_flow.atStart = false;
            m_flow.tableBefore = nullptr;
        }
    }
    m_flow.pendingAfterTwips = after;
    m_flow.pendingAfterIsAuto = paragraph.autoSpaceAfter.value_or(false);
    m_flow.previousBorders = borders;
    m_flow.pendingBorderTwips = ParagraphBorders::extentTwips(borders.bottom);
    m_flow.previousBlock = m_cursor.block();
    m_flow.previousStyle = styleId;
    m_flow.previousContextual = contextual;
    m_flow.lastWasParagraph = true;
}

// Records a paragraph's borders in its block format `format`. Where the paragraph continues the box of the
// one above on the same page run (the same borders), that one loses its bottom line and `joinsAbove` is set.
// Returns the room taken between the two paragraphs' texts beyond their spacing (the bottom line above,
// this one's top or between line), in twips.
int BodyBuilder::placeBorders(QTextBlockFormat &format, const ParagraphBorders &borders, bool startsPage,
                              bool &joinsAbove)
{
    const int previousBottom = m_flow.tableBefore ? 0 : m_flow.pendingBorderTwips;
    if (!borders.any() && previousBottom == 0)
        return 0;
    joinsAbove = borders.any() && !m_flow.atStart && !m_flow.tableBefore && !startsPage
                 && m_flow.previousBorders == borders && m_flow.previousBlock.isValid()
                 && m_flow.previousBlock.document() == m_document;
    if (joinsAbove && borders.bottom.visible) {
        QTextBlockFormat above = m_flow.previousBlock.blockFormat();
        above.clearProperty(BorderBottomPenProperty);
        QTextCursor(m_flow.previousBlock).setBlockFormat(above);
    }
    if (borders.any()) {
        setBorderProperties(format, borders, joinsAbove);
        markParagraphBorders(*m_document);
    }
    if (joinsAbove)
        return ParagraphBorders::extentTwips(borders.between);
    return previousBottom + ParagraphBorders::extentTwips(borders.top);
}

// Takes the page breaks at either end of a paragraph's text out of it, as they leave no empty line
// behind (as LibreOffice reads them): at the start the paragraph begins the new page, at the end the next
// paragraph does. Sets `breakBefore` when the paragraph starts a page; returns false when nothing is left to write.
bool BodyBuilder::takeEdgeBreaks(ParagraphText &text, bool pageBreakBefore, bool inTable, bool &breakBefore)
{
    // Nothing precedes the first page: a break there would leave it blank.
    const bool startsFlow = m_flow.atStart && !inTable;
    const bool breakPending = (pageBreakBefore || m_flow.pendingPageBreak) && !inTable && !startsFlow;
    breakBefore = breakPending;
    m_flow.pendingPageBreak = false;
    const bool breakAtStart = text.parts.size() > 1 && text.parts.front().empty();
    const bool breakAtEnd = text.parts.size() > 1 && text.parts.back().empty();
    if (breakAtEnd)
        text.parts.pop_back();
    if (breakAtStart && !text.parts.empty()) {
        text.parts.erase(text.parts.begin());
        breakBefore = !startsFlow;
    }
    if (text.parts.empty()) {
        m_flow.pendingPageBreak = true;
        // A paragraph that is only a page break ends its page; where a break came right before it, the page
        // it starts holds nothing else and stays, empty, as LibreOffice keeps it.
        if (!breakPending)
            return false;
        text.parts.emplace_back();
        return true;
    }
    m_flow.pendingPageBreak = breakAtEnd;
    return true;
}

// Puts a paragraph part's space before (`before`, or `gap` after a paragraph on the same page, in twips)
// where Qt keeps it: a spacer at the top of a page or a flow, a table's bottom margin, or the block's top margin.
void BodyBuilder::placeSpaceBefore(QTextBlockFormat &format, int before, int gap, bool firstPart, bool startsPage,
                                   bool inTable)
{
    if (startsPage) {
        // Qt drops the top margin of a document's first block; the space before stays at the page's top.
        if (firstPart && before > 0)
            addSpacer(m_scale.scaled(before));
    } else if (m_flow.tableBefore) {
        // Qt ignores the top margin of a block that follows a table: widen the table's bottom margin.
        QTextTableFormat tableFormat = m_flow.tableBefore->format();
        tableFormat.setBottomMargin(m_scale.scaled(before));
        m_flow.tableBefore->setFormat(tableFormat);
    } else if (m_flow.atStart) {
        m_flow.leadingTwips = before;
        if (!inTable && before > 0)
            addSpacer(m_scale.scaled(before));
    } else {
        format.setTopMargin(m_scale.scaled(gap));
    }
}

// The width of the page's text column, in twips.
qreal BodyBuilder::textColumnTwips() const
{
    const PageSetup &page = m_sections[size_t(m_section)].page;
    return pixelsToTwips(page.pageSize.width() - page.margins.left() - page.margins.right());
}

} // namespace quill
