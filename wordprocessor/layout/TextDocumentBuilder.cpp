#include "TextDocumentBuilder.h"

#include "LayoutUnits.h"
#include "LengthScale.h"
#include "Numbering.h"
#include "Pagination.h"
#include "StyleSheet.h"
#include "RunContent.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <pugixml.hpp>

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <functional>
#include <set>
#include <vector>

namespace quill {

namespace {

// US Letter with one-inch margins, in twips: the page when a body carries no section.
constexpr int kDefaultPageWidthTwips = 12240;
constexpr int kDefaultPageHeightTwips = 15840;
constexpr int kDefaultMarginTwips = 1440;
// Word's default tab stop interval when settings.xml gives none, in twips.
constexpr int kDefaultTabStopTwips = 720;
// Width of a table column the grid does not describe (one inch), in twips.
constexpr int kFallbackColumnTwips = 1440;
// Word's default left and right cell margin, in twips.
constexpr int kDefaultCellMarginTwips = 108;
// w:line value of single line spacing under lineRule auto.
constexpr int kSingleLineSpacing = 240;
// Word's built-in run defaults when styles.xml gives none.
constexpr qreal kDefaultPointSize = 10.0;
constexpr char kDefaultFontFamily[] = "Times New Roman";
// From this compatibility mode on (Word 2013) a table's indent is measured to its edge, not to its text.
constexpr int kTableEdgeIndentCompatibilityMode = 15;

constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kZeroWidthSpace = 0x200B;
constexpr char16_t kNonBreakingHyphen = 0x2011;
constexpr char16_t kSoftHyphen = 0x00AD;
// w:sym gives its character as a hexadecimal code.
constexpr int kHexadecimal = 16;

// A stretch of text with one character format.
struct TextPiece
{
    QString text;
    QTextCharFormat format;
};

// A paragraph's visible content, cut into parts at its page breaks.
struct ParagraphText
{
    std::vector<std::vector<TextPiece>> parts{1};
};

// What a cell's content tells the cell's format: spacing its padding takes up, and its estimated height.
struct CellContent
{
    int leadingTwips = 0;
    int trailingTwips = 0;
    qreal contentTwips = 0;
};

// The table style and the table a paragraph sits in, if any.
struct TableContext
{
    const ResolvedStyle *style = nullptr;
};

// What the next paragraph of a flow (the body or one cell) needs to know about what came before it.
struct FlowState
{
    bool atStart = true;            // nothing written in this flow yet
    int pendingAfterTwips = 0;      // space after of the previous paragraph
    QString previousStyle;          // style of the previous paragraph, for contextual spacing
    bool previousContextual = false;
    QTextTable *tableBefore = nullptr; // the table right before, when the previous item was a table
    int leadingTwips = 0;           // space before of the first paragraph (cells put it into their padding)
    bool pendingPageBreak = false;  // a page break ended the previous paragraph: the next item starts a page
    qreal contentTwips = 0;         // estimated height of the flow's paragraphs, lines unwrapped
    bool lastWasParagraph = false;
};

// State of complex fields (w:fldChar) while reading runs: only field results are shown.
struct FieldState
{
    std::vector<bool> showingResult; // one entry per open field; true after its "separate"

    bool isVisible() const
    {
        for (bool result : showingResult) {
            if (!result)
                return false;
        }
        return true;
    }
};

// Furthest a default tab stop is placed for an indented paragraph, in twips (22 inches).
constexpr int kDefaultTabExtentTwips = 31680;

QString fontKey(const QTextCharFormat &format)
{
    return format.font().key();
}

class Builder
{
public:
    // Hands every page run's document, once filled, to `finishRun`.
    using RunFinisher = std::function<void(std::unique_ptr<QTextDocument>)>;

    Builder(const LayoutSources &sources, const PageSetup &page, RunFinisher finishRun)
        : m_styles(sources.styles)
        , m_numbering(sources.numbering)
        , m_page(page)
        , m_scale(LengthScale::current())
        , m_finishRun(std::move(finishRun))
    {
        readSettings(sources.settings);
    }

    void addBody(pugi::xml_node body)
    {
        startRun();
        addBlockContent(body, TableContext());
        finishRun();
    }

private:
    // Starts the next page run: a new document, set up for the page, that the following content goes into.
    void startRun()
    {
        finishRun();
        auto document = std::make_unique<QTextDocument>();
        document->setUndoRedoEnabled(false);
        document->setUseDesignMetrics(true);
        // QTextDocumentLayout does nothing while the page size is null. It stays null while the document is
        // filled, so that the document is laid out once, at the right resolution, when it is complete.
        document->setPageSize(QSizeF(0, 0));
        document->documentLayout()->setPaintDevice(layoutPaintDevice());
        document->setDefaultFont(charFormat(m_styles.defaultRunProperties()).font());
        QTextOption option = document->defaultTextOption();
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        option.setTabStopDistance(m_scale.scaled(m_defaultTabStopTwips));
        document->setDefaultTextOption(option);
        document->setDocumentMargin(0);
        const QMarginsF margins = m_page.margins;
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

    void finishRun()
    {
        if (!m_run)
            return;
        m_runEdit.endEditBlock();
        m_runEdit = QTextCursor();
        m_cursor = QTextCursor();
        m_document = nullptr;
        m_finishRun(std::move(m_run));
    }

    void readSettings(const pugi::xml_document *settings)
    {
        if (!settings)
            return;
        const pugi::xml_node root = settings->document_element();
        if (const std::optional<int> tab = intAttribute(childElement(root, "defaultTabStop"), "val"); tab && *tab > 0)
            m_defaultTabStopTwips = *tab;
        const pugi::xml_node compat = childElement(root, "compat");
        m_addParagraphSpacing = isOn(childElement(compat, "doNotUseHTMLParagraphAutoSpacing"));
        for (pugi::xml_node setting = compat.first_child(); setting; setting = setting.next_sibling()) {
            if (isElement(setting, "compatSetting") && textAttribute(setting, "name") == QLatin1String("compatibilityMode"))
                m_compatibilityMode = intAttribute(setting, "val").value_or(0);
        }
    }

    // Paragraphs, tables and the containers that wrap them (content controls, custom XML).
    void addBlockContent(pugi::xml_node container, const TableContext &context)
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

    QTextCharFormat charFormat(const RunProperties &run) const
    {
        QTextCharFormat format;
        format.setFontFamilies({run.fontFamily.value_or(QString::fromLatin1(kDefaultFontFamily))});
        format.setFontPointSize(run.pointSize.value_or(kDefaultPointSize));
        format.setFontWeight(run.bold.value_or(false) ? QFont::Bold : QFont::Normal);
        format.setFontItalic(run.italic.value_or(false));
        format.setFontUnderline(run.underline.value_or(false));
        format.setFontStrikeOut(run.strikeOut.value_or(false));
        if (run.caps.value_or(false))
            format.setFontCapitalization(QFont::AllUppercase);
        else if (run.smallCaps.value_or(false))
            format.setFontCapitalization(QFont::SmallCaps);
        const QColor color = run.color.value_or(QColor());
        format.setForeground(color.isValid() ? color : QColor(Qt::black));
        if (run.background && run.background->isValid())
            format.setBackground(*run.background);
        if (run.verticalAlignment)
            format.setVerticalAlignment(static_cast<QTextCharFormat::VerticalAlignment>(*run.verticalAlignment));
        if (run.letterSpacingPixels && *run.letterSpacingPixels != 0) {
            format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
            format.setFontLetterSpacing(m_scale.letterSpacing(*run.letterSpacingPixels * kTwipsPerPixel));
        }
        // Word and LibreOffice apply pair kerning only where a run asks for it (w:kern); Qt kerns by default.
        const bool kerning = run.kerning.value_or(false);
        format.setFontKerning(kerning);
        // Unkerned Latin text needs no shaping; Qt still shapes scripts that do. Kerning needs shaping.
        // (Set either way: a format inherits what it leaves unset from the document's default font.)
        format.setFontStyleStrategy(kerning ? QFont::PreferDefault : QFont::PreferNoShaping);
        return format;
    }

    // One single-spaced line of a font: its height in logical pixels (whole twips, as LibreOffice measures)
    // and the height Qt gives the line on the layout device (rounded up to whole device pixels).
    struct LineMetrics
    {
        qreal height = 0;
        qreal deviceHeight = 0;
    };

    LineMetrics lineMetrics(const QTextCharFormat &format)
    {
        const QString key = fontKey(format);
        const auto cached = m_lineMetrics.constFind(key);
        if (cached != m_lineMetrics.constEnd())
            return *cached;
        const QFontMetricsF metrics(format.font(), layoutPaintDevice());
        const qreal deviceHeight = metrics.ascent() + metrics.descent() + qMax<qreal>(metrics.leading(), 0);
        const LineMetrics line{roundToTwips(deviceHeight / kLayoutOversampling), qreal(qCeil(deviceHeight))};
        m_lineMetrics.insert(key, line);
        return line;
    }

    // Sets the line height of a paragraph part; returns it, in logical pixels.
    qreal applyLineHeight(QTextBlockFormat &format, const ParagraphProperties &paragraph,
                          const std::vector<TextPiece> &pieces, const QTextCharFormat &markFormat)
    {
        LineMetrics natural;
        for (const TextPiece &piece : pieces) {
            const LineMetrics line = lineMetrics(piece.format);
            natural.height = qMax(natural.height, line.height);
            natural.deviceHeight = qMax(natural.deviceHeight, line.deviceHeight);
        }
        if (natural.height == 0)
            natural = lineMetrics(markFormat);
        const int line = paragraph.lineSpacing.value_or(kSingleLineSpacing);
        qreal height = natural.height * line / kSingleLineSpacing;
        switch (paragraph.lineRule.value_or(LineRule::Auto)) {
        case LineRule::Exact:
            height = twipsToPixels(line);
            break;
        case LineRule::AtLeast:
            height = qMax(natural.height, twipsToPixels(line));
            break;
        case LineRule::Auto:
            if (line != kSingleLineSpacing) {
                // A proportionally spaced line keeps its text at the top and the extra space below it.
                // Qt adds a distance to the line's own height, which it rounds up to whole device pixels.
                const qreal distance = (height * kLayoutOversampling - natural.deviceHeight) / kLayoutOversampling;
                format.setLineHeight(m_scale.scaled(distance * kTwipsPerPixel), QTextBlockFormat::LineDistanceHeight);
                return height;
            }
            break;
        }
        format.setLineHeight(m_scale.scaled(height * kTwipsPerPixel), QTextBlockFormat::FixedHeight);
        return height;
    }

    QTextBlockFormat blockFormat(const ParagraphProperties &paragraph) const
    {
        QTextBlockFormat format;
        format.setAlignment(paragraph.alignment.value_or(Qt::AlignLeft));
        const int left = paragraph.leftIndent.value_or(0);
        const int firstLine = paragraph.firstLineIndent.value_or(0);
        format.setLeftMargin(deviceLength(left));
        format.setRightMargin(deviceLength(paragraph.rightIndent.value_or(0)));
        format.setTextIndent(deviceLength(firstLine));
        const QList<QTextOption::Tab> tabs = tabStops(paragraph.tabs, left, firstLine);
        if (!tabs.isEmpty())
            format.setTabPositions(tabs);
        return format;
    }

    // Word measures tab stops from the text column's left edge; Qt measures them from where a line starts.
    // The stops are given relative to the first line's start, where tabs nearly always stand.
    QList<QTextOption::Tab> tabStops(const std::map<int, TabStop> &stops, int left, int firstLine) const
    {
        const int origin = left + firstLine;
        std::map<int, QTextOption::Tab> positioned; // by position in twips from the column's edge
        int lastCustom = origin;
        for (const auto &[position, stop] : stops) {
            if (stop.cleared || position <= origin)
                continue;
            QTextOption::Tab tab(m_scale.scaled(position - origin), stop.type);
            if (stop.type == QTextOption::DelimiterTab)
                tab.delimiter = QLatin1Char('.');
            positioned.emplace(position, tab);
            lastCustom = qMax(lastCustom, position);
        }
        // A hanging paragraph has an implicit stop at its left indent.
        if (firstLine < 0 && positioned.lower_bound(origin + 1) == positioned.lower_bound(left + 1))
            positioned.emplace(left, QTextOption::Tab(m_scale.scaled(left - origin), QTextOption::LeftTab));
        // Past the custom stops, default stops fall on multiples of the interval from the column's edge;
        // Qt's own default stops would count from the line's start, which differs when the line is indented.
        if (origin != 0 || !positioned.empty()) {
            const int interval = m_defaultTabStopTwips;
            for (int position = (lastCustom / interval + 1) * interval; position <= kDefaultTabExtentTwips;
                 position += interval) {
                positioned.emplace(position, QTextOption::Tab(m_scale.scaled(position - origin), QTextOption::LeftTab));
            }
        }
        QList<QTextOption::Tab> tabs;
        for (const auto &[position, tab] : positioned)
            tabs.append(tab);
        return tabs;
    }

    void startBlock(const QTextBlockFormat &format, const QTextCharFormat &markFormat)
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

    // Reads the runs of a paragraph (and of hyperlinks, content controls, insertions, simple fields inside it).
    void collectInline(pugi::xml_node parent, const RunProperties &paragraphRun, FieldState &fields,
                       ParagraphText &text, bool allowPageBreaks)
    {
        for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            if (isElement(child, "r")) {
                addRun(child, paragraphRun, fields, text, allowPageBreaks);
            } else if (isElement(child, "sdt")) {
                collectInline(childElement(child, "sdtContent"), paragraphRun, fields, text, allowPageBreaks);
            } else if (isElement(child, "hyperlink") || isElement(child, "smartTag") || isElement(child, "customXml")
                       || isElement(child, "ins") || isElement(child, "moveTo") || isElement(child, "fldSimple")
                       || isElement(child, "dir") || isElement(child, "bdo")) {
                collectInline(child, paragraphRun, fields, text, allowPageBreaks);
            }
        }
    }

    void addRun(pugi::xml_node run, const RunProperties &paragraphRun, FieldState &fields, ParagraphText &text,
                bool allowPageBreaks)
    {
        RunProperties properties = paragraphRun;
        const pugi::xml_node rPr = childElement(run, "rPr");
        const QString characterStyle = textAttribute(childElement(rPr, "rStyle"), "val");
        if (!characterStyle.isEmpty())
            properties.apply(m_styles.style(characterStyle).run);
        properties.apply(rPr);
        const bool hidden = properties.hidden.value_or(false);
        const QTextCharFormat format = charFormat(properties);

        QString buffer;
        const auto flush = [&]() {
            if (!buffer.isEmpty())
                text.parts.back().push_back({buffer, format});
            buffer.clear();
        };
        for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
            const RunItem item = runItem(child);
            if (item == RunItem::FieldCharacter) {
                const QString type = textAttribute(child, "fldCharType");
                if (type == QLatin1String("begin"))
                    fields.showingResult.push_back(false);
                else if (type == QLatin1String("separate") && !fields.showingResult.empty())
                    fields.showingResult.back() = true;
                else if (type == QLatin1String("end") && !fields.showingResult.empty())
                    fields.showingResult.pop_back();
                continue;
            }
            if (hidden || !fields.isVisible())
                continue;
            switch (item) {
            case RunItem::Text:
                buffer += elementText(child);
                break;
            case RunItem::Tab:
                buffer += QLatin1Char('\t');
                break;
            case RunItem::Break:
                if (breakKind(child) == BreakKind::Line) {
                    buffer += QChar(kLineSeparator);
                } else {
                    flush();
                    if (allowPageBreaks)
                        text.parts.emplace_back();
                }
                break;
            case RunItem::CarriageReturn:
                buffer += QChar(kLineSeparator);
                break;
            case RunItem::NoBreakHyphen:
                buffer += QChar(kNonBreakingHyphen);
                break;
            case RunItem::SoftHyphen:
                buffer += QChar(kSoftHyphen);
                break;
            case RunItem::Symbol: {
                bool ok = false;
                const ushort code = textAttribute(child, "char").toUShort(&ok, kHexadecimal);
                if (ok)
                    buffer += QChar(code);
                break;
            }
            default:
                break; // drawings, references and the like draw no text here
            }
        }
        flush();
    }

    void addParagraph(pugi::xml_node p, const TableContext &context)
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
        const QTextCharFormat markFormat = charFormat(markRun);

        ParagraphText text;
        if (listLevel) {
            const QString label = m_numbering.nextLabel(numId, numLevel);
            if (!label.isEmpty()) {
                RunProperties labelRun = markRun;
                labelRun.apply(listLevel->run);
                text.parts.back().push_back({label, charFormat(labelRun)});
            }
        }
        FieldState fields;
        const bool inTable = context.style != nullptr || m_tableDepth > 0;
        collectInline(p, paragraphRun, fields, text, !inTable);

        writeParagraph(paragraph, styleId, text, markFormat, inTable);
    }

    void writeParagraph(const ParagraphProperties &paragraph, const QString &styleId, ParagraphText &text,
                        const QTextCharFormat &markFormat, bool inTable)
    {
        const int before = paragraph.spaceBefore.value_or(0);
        const int after = paragraph.spaceAfter.value_or(0);
        const bool contextual = paragraph.contextualSpacing.value_or(false);
        const bool sameStyle = !m_flow.atStart && !m_flow.tableBefore && m_flow.previousStyle == styleId;

        // Page breaks at either end of a paragraph leave no empty line behind (as LibreOffice reads them):
        // at the start the paragraph begins the new page, at the end the next paragraph does.
        bool breakBefore = (paragraph.pageBreakBefore.value_or(false) || m_flow.pendingPageBreak) && !inTable;
        m_flow.pendingPageBreak = false;
        const bool breakAtStart = text.parts.size() > 1 && text.parts.front().empty();
        const bool breakAtEnd = text.parts.size() > 1 && text.parts.back().empty();
        if (breakAtEnd)
            text.parts.pop_back();
        if (breakAtStart && !text.parts.empty()) {
            text.parts.erase(text.parts.begin());
            breakBefore = true;
        }
        if (text.parts.empty()) {
            m_flow.pendingPageBreak = true;
            return;
        }
        m_flow.pendingPageBreak = breakAtEnd;
        // Nothing precedes the first page: a break there would leave it blank.
        if (breakBefore && m_flow.atStart && !inTable)
            breakBefore = false;

        QTextBlockFormat baseFormat = blockFormat(paragraph);
        if (!inTable) {
            baseFormat.setProperty(KeepWithNextProperty, paragraph.keepWithNext.value_or(false));
            baseFormat.setProperty(KeepLinesTogetherProperty, paragraph.keepLinesTogether.value_or(false));
            // Word turns widow control on unless a paragraph or its style turns it off.
            baseFormat.setProperty(WidowControlProperty, paragraph.widowControl.value_or(true));
        }
        for (size_t part = 0; part < text.parts.size(); ++part) {
            std::vector<TextPiece> &pieces = text.parts[part];
            QTextBlockFormat format = baseFormat;
            const qreal lineHeight = applyLineHeight(format, paragraph, pieces, markFormat);
            // Page breaks are never read inside tables: this one is in the body and starts a page run.
            const bool startsPage = part > 0 || breakBefore;
            if (startsPage)
                startRun();
            // Qt hides an empty block right after a table and pulls up one that starts with a line break.
            if (part == 0 && m_flow.tableBefore
                && (pieces.empty() || pieces.front().text.startsWith(QChar(kLineSeparator))))
                pieces.insert(pieces.begin(), TextPiece{QString(QChar(kZeroWidthSpace)), markFormat});
            if (startsPage) {
                // Qt drops the top margin of a document's first block; the space before stays at the page's top.
                if (part == 0 && before > 0)
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
                const int previousAfter = m_flow.previousContextual && sameStyle ? 0 : m_flow.pendingAfterTwips;
                const int ownBefore = contextual && sameStyle ? 0 : before;
                // Word's HTML-style spacing (the default) keeps the larger of the two; the compatibility
                // option doNotUseHTMLParagraphAutoSpacing adds them.
                const int gap = m_addParagraphSpacing ? previousAfter + ownBefore : qMax(previousAfter, ownBefore);
                format.setTopMargin(m_scale.scaled(gap));
            }

            startBlock(format, markFormat);
            int lines = 1;
            for (const TextPiece &piece : pieces) {
                m_cursor.insertText(piece.text, piece.format);
                lines += piece.text.count(QChar(kLineSeparator));
            }
            m_flow.contentTwips += format.topMargin() / m_scale.scaled(1) + lines * lineHeight * kTwipsPerPixel;

            m_flow.atStart = false;
            m_flow.tableBefore = nullptr;
        }
        m_flow.pendingAfterTwips = after;
        m_flow.previousStyle = styleId;
        m_flow.previousContextual = contextual;
        m_flow.lastWasParagraph = true;
    }

    // An empty block exactly `height` pixels tall: Qt drops the top margin of a flow's first block.
    void addSpacer(qreal height)
    {
        QTextBlockFormat spacer;
        spacer.setLineHeight(height, QTextBlockFormat::FixedHeight);
        spacer.setProperty(PageTopSpacerProperty, true);
        startBlock(spacer, QTextCharFormat());
    }

    struct CellInfo
    {
        pugi::xml_node node;
        int row = 0;
        int column = 0;
        int span = 1;
        int rowSpan = 1;
        bool continuesAbove = false; // w:vMerge without "restart": part of the cell above
    };

    void addTable(pugi::xml_node tbl)
    {
        const pugi::xml_node tblPr = childElement(tbl, "tblPr");
        QString styleId = textAttribute(childElement(tblPr, "tblStyle"), "val");
        if (styleId.isEmpty())
            styleId = m_styles.defaultTableStyle();
        const ResolvedStyle &style = m_styles.style(styleId);
        TableProperties table = style.table;
        table.apply(tblPr);

        std::vector<int> grid;
        for (pugi::xml_node col = childElement(childElement(tbl, "tblGrid"), "gridCol"); col; col = col.next_sibling()) {
            if (isElement(col, "gridCol"))
                grid.push_back(intAttribute(col, "w").value_or(0));
        }

        std::vector<pugi::xml_node> rows;
        for (pugi::xml_node row = tbl.first_child(); row; row = row.next_sibling()) {
            if (isElement(row, "tr"))
                rows.push_back(row);
        }
        std::vector<CellInfo> cells;
        std::vector<int> rowHeights; // w:trHeight per row, in twips (0 for none)
        int columnCount = static_cast<int>(grid.size());
        int headerRows = 0;
        bool headerRun = true;
        for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
            const pugi::xml_node trPr = childElement(rows[r], "trPr");
            rowHeights.push_back(qMax(0, intAttribute(childElement(trPr, "trHeight"), "val").value_or(0)));
            headerRun = headerRun && isOn(childElement(trPr, "tblHeader"));
            if (headerRun)
                ++headerRows;
            int column = intAttribute(childElement(trPr, "gridBefore"), "val").value_or(0);
            for (pugi::xml_node tc = rows[r].first_child(); tc; tc = tc.next_sibling()) {
                if (!isElement(tc, "tc"))
                    continue;
                const pugi::xml_node tcPr = childElement(tc, "tcPr");
                CellInfo cell;
                cell.node = tc;
                cell.row = r;
                cell.column = column;
                cell.span = qMax(1, intAttribute(childElement(tcPr, "gridSpan"), "val").value_or(1));
                const pugi::xml_node vMerge = childElement(tcPr, "vMerge");
                cell.continuesAbove = vMerge && textAttribute(vMerge, "val") != QLatin1String("restart");
                cells.push_back(cell);
                column += cell.span;
            }
            columnCount = qMax(columnCount, column);
        }
        if (rows.empty() || columnCount == 0)
            return;
        while (static_cast<int>(grid.size()) < columnCount)
            grid.push_back(grid.empty() ? kFallbackColumnTwips : grid.back());

        // Rows spanned by each vertically merged cell.
        std::set<std::pair<int, int>> continuations; // (row, column) of cells that continue the one above
        for (const CellInfo &cell : cells) {
            if (cell.continuesAbove)
                continuations.emplace(cell.row, cell.column);
        }
        for (CellInfo &cell : cells) {
            if (cell.continuesAbove)
                continue;
            while (continuations.count({cell.row + cell.rowSpan, cell.column}) > 0)
                ++cell.rowSpan;
        }

        const int leftCellMargin = table.cellMargins[LeftSide].value_or(kDefaultCellMarginTwips);
        QTextTableFormat format;
        format.setBorder(0);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(0);
        QList<QTextLength> widths;
        for (int twips : grid)
            widths.append(QTextLength(QTextLength::FixedLength, m_scale.scaled(twips)));
        format.setColumnWidthConstraints(widths);
        format.setAlignment(table.alignment.value_or(Qt::AlignLeft));
        int indent = table.indent.value_or(0);
        if (m_compatibilityMode < kTableEdgeIndentCompatibilityMode)
            indent -= leftCellMargin;
        format.setLeftMargin(m_scale.scaled(indent));
        format.setTopMargin(m_flow.atStart ? 0 : m_scale.scaled(m_flow.pendingAfterTwips));
        if (m_flow.pendingPageBreak) {
            // Page breaks are never read inside tables: this one is in the body and starts a page run,
            // unless nothing precedes it (a break there would leave the first page blank).
            if (!m_flow.atStart)
                startRun();
            format.setTopMargin(0);
            m_flow.pendingPageBreak = false;
        }
        format.setHeaderRowCount(headerRows);

        // A table inserted into a used block would hide that block if it is empty: give the table a fresh one.
        if (!m_blockUnused) {
            m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            m_blockUnused = true;
        }
        QTextTable *qtTable = m_cursor.insertTable(static_cast<int>(rows.size()), columnCount, format);

        for (const CellInfo &cell : cells) {
            if (cell.continuesAbove || cell.column >= columnCount)
                continue;
            const int span = qMin(cell.span, columnCount - cell.column);
            if (span > 1 || cell.rowSpan > 1)
                qtTable->mergeCells(cell.row, cell.column, cell.rowSpan, span);
        }

        // Fill the cells in document order. Asking the table for a cell after each insertion would rebuild its
        // cell grid every time; instead take every cell's start once and follow the insertions by their length.
        std::vector<const CellInfo *> filled;
        std::vector<int> starts;
        for (const CellInfo &cell : cells) {
            if (cell.continuesAbove || cell.column >= columnCount)
                continue;
            filled.push_back(&cell);
            starts.push_back(qtTable->cellAt(cell.row, cell.column).firstPosition());
        }
        const TableContext context{&style};
        std::vector<CellContent> contents;
        int shift = 0;
        ++m_tableDepth;
        for (size_t i = 0; i < filled.size(); ++i) {
            const int lengthBefore = m_document->characterCount();
            contents.push_back(addCellContent(filled[i]->node, starts[i] + shift, context));
            shift += m_document->characterCount() - lengthBefore;
        }
        --m_tableDepth;
        for (size_t i = 0; i < filled.size(); ++i)
            formatCell(qtTable, *filled[i], table, static_cast<int>(rows.size()), columnCount, contents[i],
                       rowHeights[filled[i]->row]);

        m_cursor = qtTable->lastCursorPosition();
        m_cursor.movePosition(QTextCursor::NextBlock);
        m_blockUnused = true;
        m_flow.atStart = false;
        m_flow.tableBefore = qtTable;
        m_flow.pendingAfterTwips = 0;
        m_flow.previousStyle.clear();
        m_flow.previousContextual = false;
        m_flow.lastWasParagraph = false;
    }

    // Writes the content of a cell whose first position is `position`; returns the space before its first
    // paragraph and after its last one (twips), which the cell's padding takes up.
    CellContent addCellContent(pugi::xml_node tc, int position, const TableContext &context)
    {
        const FlowState outerFlow = m_flow;
        m_flow = FlowState();
        m_cursor = QTextCursor(m_document);
        m_cursor.setPosition(position);
        m_blockUnused = true;
        addBlockContent(tc, context);
        CellContent content;
        content.leadingTwips = m_flow.leadingTwips;
        content.trailingTwips = m_flow.lastWasParagraph ? m_flow.pendingAfterTwips : 0;
        content.contentTwips = m_flow.contentTwips;
        m_flow = outerFlow;
        return content;
    }

    void formatCell(QTextTable *qtTable, const CellInfo &cell, const TableProperties &table, int rowCount,
                    int columnCount, const CellContent &content, int rowHeightTwips)
    {
        const pugi::xml_node tcPr = childElement(cell.node, "tcPr");
        std::array<std::optional<int>, kCellMarginSideCount> margins = table.cellMargins;
        readCellMargins(childElement(tcPr, "tcMar"), margins);

        std::array<BorderLine, kCellMarginSideCount> borders;
        const auto tableBorder = [&](BorderSide side) {
            return table.borders[side].value_or(BorderLine());
        };
        borders[TopSide] = tableBorder(cell.row == 0 ? TopSide : InsideHorizontal);
        borders[BottomSide] = tableBorder(cell.row + cell.rowSpan >= rowCount ? BottomSide : InsideHorizontal);
        borders[LeftSide] = tableBorder(cell.column == 0 ? LeftSide : InsideVertical);
        borders[RightSide] = tableBorder(cell.column + cell.span >= columnCount ? RightSide : InsideVertical);
        if (const pugi::xml_node tcBorders = childElement(tcPr, "tcBorders")) {
            const std::pair<const char *, BorderSide> sides[] = {
                {"top", TopSide}, {"left", LeftSide}, {"start", LeftSide},
                {"bottom", BottomSide}, {"right", RightSide}, {"end", RightSide},
            };
            for (const auto &[name, side] : sides) {
                if (const pugi::xml_node element = childElement(tcBorders, name))
                    borders[side] = BorderLine::fromElement(element);
            }
        }

        QTextTableCell qtCell = qtTable->cellAt(cell.row, cell.column);
        int topTwips = margins[TopSide].value_or(0) + content.leadingTwips;
        int bottomTwips = margins[BottomSide].value_or(0) + content.trailingTwips;
        const QString vAlign = textAttribute(childElement(tcPr, "vAlign"), "val");
        // Qt has no row height: a row's minimum height (w:trHeight) pads its cells, on the side away from
        // where the cell's text sits. The content height is an estimate (its lines unwrapped).
        const int shortfall = qRound(rowHeightTwips - (topTwips + content.contentTwips + bottomTwips));
        if (cell.rowSpan == 1 && shortfall > 0) {
            if (vAlign == QLatin1String("bottom"))
                topTwips += shortfall;
            else if (vAlign == QLatin1String("center")) {
                topTwips += shortfall / 2;
                bottomTwips += shortfall - shortfall / 2;
            } else
                bottomTwips += shortfall;
        }
        // A fresh format must carry the merge, which Qt keeps in the cell's format.
        QTextTableCellFormat format;
        format.setTableCellColumnSpan(qtCell.columnSpan());
        format.setTableCellRowSpan(qtCell.rowSpan());
        format.setTopPadding(m_scale.scaled(topTwips));
        format.setBottomPadding(m_scale.scaled(bottomTwips));
        format.setLeftPadding(m_scale.scaled(margins[LeftSide].value_or(kDefaultCellMarginTwips)));
        format.setRightPadding(m_scale.scaled(margins[RightSide].value_or(kDefaultCellMarginTwips)));
        const auto setBorder = [&](BorderSide side, auto setWidth, auto setStyle, auto setBrush) {
            const BorderLine &line = borders[side];
            (format.*setWidth)(line.visible ? m_scale.scaled(line.widthPixels * kTwipsPerPixel) : 0);
            (format.*setStyle)(line.visible ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
            (format.*setBrush)(QBrush(line.visible ? line.color : QColor(Qt::transparent)));
        };
        setBorder(TopSide, &QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderStyle,
                  &QTextTableCellFormat::setTopBorderBrush);
        setBorder(BottomSide, &QTextTableCellFormat::setBottomBorder, &QTextTableCellFormat::setBottomBorderStyle,
                  &QTextTableCellFormat::setBottomBorderBrush);
        setBorder(LeftSide, &QTextTableCellFormat::setLeftBorder, &QTextTableCellFormat::setLeftBorderStyle,
                  &QTextTableCellFormat::setLeftBorderBrush);
        setBorder(RightSide, &QTextTableCellFormat::setRightBorder, &QTextTableCellFormat::setRightBorderStyle,
                  &QTextTableCellFormat::setRightBorderBrush);
        if (const pugi::xml_node shd = childElement(tcPr, "shd")) {
            const QString fill = textAttribute(shd, "fill");
            if (!fill.isEmpty() && fill != QLatin1String("auto"))
                format.setBackground(QColor(QLatin1Char('#') + fill));
        }
        if (vAlign == QLatin1String("center"))
            format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        else if (vAlign == QLatin1String("bottom"))
            format.setVerticalAlignment(QTextCharFormat::AlignBottom);
        qtCell.setFormat(format);
    }

    StyleSheet m_styles;
    Numbering m_numbering;
    PageSetup m_page;
    LengthScale m_scale; // read once for this layout
    RunFinisher m_finishRun;
    std::unique_ptr<QTextDocument> m_run; // the page run being filled
    QTextDocument *m_document = nullptr;  // m_run's
    QTextCursor m_cursor;
    QTextCursor m_runEdit;                // holds m_run's edit block
    bool m_blockUnused = true;   // the cursor's block exists but holds no paragraph yet
    FlowState m_flow;
    int m_tableDepth = 0;
    int m_defaultTabStopTwips = kDefaultTabStopTwips;
    int m_compatibilityMode = 0;
    bool m_addParagraphSpacing = false; // space after and space before add up instead of overlapping
    QHash<QString, LineMetrics> m_lineMetrics; // by font key
};

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
    Builder(sources, page, [&](std::unique_ptr<QTextDocument> document) {
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
