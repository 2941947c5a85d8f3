#include "Pagination.h"

#include "FontLeading.h"
#include "LengthScale.h"
#include "PageContinuation.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <cmath>
#include <optional>
#include <vector>

namespace quill {

namespace {

// Room left when widening the spaces of a line that must stay justified, in device pixels: the line must
// not grow past its width and wrap.
constexpr qreal kJustifySafetyPixels = 0.5;
// Lines needed on each side of a page break under widow and orphan control.
constexpr int kMinimumLinesAtBreak = 2;
// Rounds of moves at most. Every round lays the document out again, so a bounded number of rounds keeps
// the cost linear in the document's length; a letter needs two or three.
constexpr int kMaximumRounds = 12;
// How far a line may reach below the text's bottom and still count as fitting, in device pixels: what Qt's
// fixed-point positions round away.
constexpr qreal kFootTolerance = 0.05;

// One item of the main flow: a paragraph or a table.
struct FlowItem
{
    QTextBlock block;
    QTextTable *table = nullptr;
};

// A move the rules ask for: the paragraph starts a new page, from its first line or from line `line`. A
// paragraph that an earlier move sent to a new page and that now goes along with the moved one is `released`.
struct Move
{
    QTextBlock block;
    int line = 0;
    QTextBlock released;
};

void breakBefore(const QTextBlock &block)
{
    QTextBlockFormat format = block.blockFormat();
    format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    // A paragraph pushed to a new page keeps no space above it.
    format.setProperty(MovedByRuleProperty, true);
    format.setProperty(MovedSpaceBeforeProperty, format.topMargin());
    format.setTopMargin(0);
    QTextCursor(block).setBlockFormat(format);
}

// Undoes breakBefore: the paragraph follows the one before it again, with its space before.
void release(const QTextBlock &block)
{
    QTextBlockFormat format = block.blockFormat();
    if (!format.boolProperty(MovedByRuleProperty))
        return; // released already this round

    format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
    format.setTopMargin(format.doubleProperty(MovedSpaceBeforeProperty));
    format.clearProperty(MovedByRuleProperty);
    format.clearProperty(MovedSpaceBeforeProperty);
    QTextCursor(block).setBlockFormat(format);
}

// Line `index` becomes the last line of its paragraph, which Qt does not justify: widen its spaces so
// that it still fills the line, as it did inside the whole paragraph.
void keepJustified(QTextDocument &document, const QTextBlock &block, int index)
{
    const QTextLine line = block.layout()->lineAt(index);
    const QString text = block.text().mid(line.textStart(), line.textLength());
    if (text.contains(QChar::LineSeparator))
        return;
    const qsizetype spaces = text.trimmed().count(QLatin1Char(' '));
    const qreal slack = line.width() - line.naturalTextWidth() - kJustifySafetyPixels;
    if (spaces == 0 || slack <= 0)
        return;
    QTextCursor cursor(&document);
    cursor.setPosition(block.position() + line.textStart());
    cursor.setPosition(block.position() + line.textStart() + line.textLength(), QTextCursor::KeepAnchor);
    QTextCharFormat spacing;
    // Word spacing is in the layout's device pixels.
    spacing.setFontWordSpacing(slack / spaces);
    cursor.mergeCharFormat(spacing);
}

// Ends `block` before its line `line`; the rest becomes a paragraph that starts a new page.
void splitBefore(QTextDocument &document, const QTextBlock &block, int line)
{
    const int position = block.position() + block.layout()->lineAt(line).textStart();
    if (block.blockFormat().alignment() & Qt::AlignJustify)
        keepJustified(document, block, line - 1);
    QTextBlockFormat rest = block.blockFormat();
    rest.setTextIndent(0);
    rest.setTopMargin(0);
    rest.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor cursor(&document);
    cursor.setPosition(position);
    // A line break that ended the line is the paragraph break now; kept, it would add an empty line.
    if (document.characterAt(position - 1) == QChar::LineSeparator)
        cursor.deletePreviousChar();
    cursor.insertBlock(rest, block.charFormat());
}

class KeepRules
{
public:
    KeepRules(QTextDocument &document, qreal pageHeight)
        : m_document(document), m_layout(document.documentLayout()), m_pageHeight(pageHeight)
    {
        const QTextFrameFormat root = document.rootFrame()->frameFormat();
        // Balanced columns end where the text ends: no line is moved out of them.
        if (!root.boolProperty(BalancedColumnsProperty))
            m_allowance = root.doubleProperty(LineGapAllowanceProperty);
        m_textBottom = pageHeight - root.bottomMargin() / qtLength(1) - m_allowance;
    }

    // Each round lays the document out, finds the first broken rule after every forced page break and
    // moves those paragraphs. Content after a forced page break does not depend on what comes before it,
    // so the moves of one round cannot disturb each other.
    void apply()
    {
        for (int round = 0; round < kMaximumRounds; ++round) {
            m_layout->documentSize(); // lays out the whole document
            collectItems();
            std::vector<QTextBlock> released;
            const std::vector<Move> moves = findMoves(released);
            if (moves.empty())
                return;
            // One edit block: the layout hears of all the moves at once and lays out once, not once per move.
            // From the end backwards, so that splitting a paragraph moves nothing still to be handled.
            QTextCursor edit(&m_document);
            edit.beginEditBlock();
            for (const QTextBlock &block : released)
                release(block);
            for (auto move = moves.rbegin(); move != moves.rend(); ++move) {
                if (move->released.isValid())
                    release(move->released);
                startPageAt(m_document, move->block, move->line);
            }
            edit.endEditBlock();
        }
    }

private:
    void collectItems()
    {
        m_items.clear();
        bool afterTable = false;
        for (QTextFrame::iterator it = m_document.rootFrame()->begin(); !it.atEnd(); ++it) {
            if (QTextFrame *frame = it.currentFrame()) {
                auto *table = qobject_cast<QTextTable *>(frame);
                if (!table)
                    continue;
                // The empty block Qt keeps in front of a table is hidden; it is no paragraph.
                if (!m_items.empty() && !m_items.back().table && m_items.back().block.length() == 1)
                    m_items.pop_back();
                m_items.push_back({QTextBlock(), table});
                afterTable = true;
            } else if (it.currentBlock().isValid()) {
                // So is an empty block right after a table (the builder gives real empty paragraphs there text),
                // and the spacer that carries a paragraph's space before at the top of a page: the paragraph
                // after it still starts the page.
                const QTextBlock block = it.currentBlock();
                if (!(afterTable && block.length() == 1) && !flag(block, PageTopSpacerProperty))
                    m_items.push_back({block, nullptr});
                afterTable = false;
            }
        }
    }

    // The first move of each stretch between forced page breaks. A paragraph that a rule moved to a new page
    // ends a stretch too, unless a move comes before it in this round: the text before it moves down, so
    // where it belongs is decided again, and it goes to `released` to follow that text in the next round.
    std::vector<Move> findMoves(std::vector<QTextBlock> &released) const
    {
        std::vector<Move> moves;
        bool segmentMoved = false;
        for (size_t index = 0; index < m_items.size(); ++index) {
            const FlowItem &item = m_items[index];
            if (hasForcedBreak(item)) {
                if (segmentMoved && !item.table && flag(item.block, MovedByRuleProperty))
                    released.push_back(item.block);
                else
                    segmentMoved = false;
            }
            if (segmentMoved)
                continue;
            if (const std::optional<Move> move = check(index)) {
                moves.push_back(*move);
                segmentMoved = true;
            }
        }
        return moves;
    }

    int pageAt(qreal y) const { return static_cast<int>(std::floor(y / m_pageHeight)); }

    // The page of line `index` of a block (by the middle of the line).
    int pageOfLine(const QTextBlock &block, int index) const
    {
        const QTextLine line = block.layout()->lineAt(index);
        if (!line.isValid())
            return pageAt(m_layout->blockBoundingRect(block).top());
        return pageAt(block.layout()->position().y() + line.y() + line.height() / 2);
    }

    int firstPage(const FlowItem &item) const
    {
        if (item.table) {
            const QTextBlock first = item.table->cellAt(0, 0).firstCursorPosition().block();
            return pageAt(m_layout->blockBoundingRect(first).center().y());
        }
        return pageOfLine(item.block, 0);
    }

    int lastPage(const FlowItem &item) const
    {
        if (item.table)
            return pageAt(m_layout->frameBoundingRect(item.table).bottom() - 1);
        return pageOfLine(item.block, item.block.layout()->lineCount() - 1);
    }

    bool startsPage(size_t index) const
    {
        return index == 0 || lastPage(m_items[index - 1]) < firstPage(m_items[index]);
    }

    // An item that starts a page by itself (a page break, or moved there by a rule) is never moved again.
    static bool hasForcedBreak(const FlowItem &item)
    {
        const QTextFormat::PageBreakFlags policy =
            item.table ? item.table->format().pageBreakPolicy() : item.block.blockFormat().pageBreakPolicy();
        return policy & QTextFormat::PageBreak_AlwaysBefore;
    }

    static bool flag(const QTextBlock &block, PaginationProperty property)
    {
        return block.isValid() && block.blockFormat().boolProperty(property);
    }

    // The move that item `index` needs, if any.
    std::optional<Move> check(size_t index) const
    {
        const FlowItem &item = m_items[index];
        if (item.table || item.block.layout()->lineCount() == 0)
            return std::nullopt;
        const QTextBlock block = item.block;
        const int lines = block.layout()->lineCount();
        const int first = pageOfLine(block, 0);
        const int last = pageOfLine(block, lines - 1);

        if (const int below = lineBelowText(block, first, last); below >= 0) {
            const int line = keptBreakLine(block, below);
            if (line > 0 || (!startsPage(index) && !hasForcedBreak(item)))
                return Move{block, line, QTextBlock()};
        }

        if (first != last && !startsPage(index) && !hasForcedBreak(item)) {
            int onFirstPage = 0;
            while (onFirstPage < lines && pageOfLine(block, onFirstPage) == first)
                ++onFirstPage;
            if (flag(block, KeepLinesTogetherProperty)
                || (flag(block, WidowControlProperty) && onFirstPage < kMinimumLinesAtBreak))
                return Move{block, 0, QTextBlock()};
        }

        if (first != last && flag(block, WidowControlProperty) && lines > kMinimumLinesAtBreak) {
            int onLastPage = 0;
            while (onLastPage < lines && pageOfLine(block, lines - 1 - onLastPage) == last)
                ++onLastPage;
            if (onLastPage < kMinimumLinesAtBreak) {
                // Too short to leave two lines behind: the whole paragraph goes.
                const int split = lines - kMinimumLinesAtBreak;
                if (split >= kMinimumLinesAtBreak)
                    return Move{block, split, QTextBlock()};
                if (!startsPage(index) && !hasForcedBreak(item))
                    return Move{block, 0, QTextBlock()};
            }
        }

        if (flag(block, KeepWithNextProperty) && index + 1 < m_items.size() && firstPage(m_items[index + 1]) > last) {
            // Move the whole run of kept paragraphs that ends here, unless it already starts its page.
            size_t start = index;
            while (start > 0 && !m_items[start - 1].table && flag(m_items[start - 1].block, KeepWithNextProperty)
                   && lastPage(m_items[start - 1]) == firstPage(m_items[start]))
                --start;
            // The next paragraph starts its page only because a rule moved it there: it comes along.
            const FlowItem &next = m_items[index + 1];
            const bool nextMoved = !next.table && flag(next.block, MovedByRuleProperty);
            if (!startsPage(start) && !hasForcedBreak(m_items[start]))
                return Move{m_items[start].block, 0, nextMoved ? next.block : QTextBlock()};
        }
        return std::nullopt;
    }

    // The first line of `block` (its lines from page `first` to page `last`) that the line gap allowed at the
    // page's foot lets reach below the text's bottom: a line of fixed height; -1 when there is none.
    int lineBelowText(const QTextBlock &block, int first, int last) const
    {
        const QTextBlockFormat format = block.blockFormat();
        if (m_allowance <= 0 || format.lineHeightType() == QTextBlockFormat::LineDistanceHeight)
            return -1;
        const QTextLayout *layout = block.layout();
        // A fixed height is the line's whole height; a line with a picture may be taller than its minimum.
        const qreal given = format.lineHeight() / qtLength(1);
        const auto overflows = [&](int index) {
            const QTextLine line = layout->lineAt(index);
            const qreal top = layout->position().y() + line.y();
            const qreal height = format.lineHeightType() == QTextBlockFormat::FixedHeight ? given
                                                                                         : qMax(line.height(), given);
            return top + height > pageAt(top) * m_pageHeight + m_textBottom + kFootTolerance;
        };
        const int lines = layout->lineCount();
        // Most paragraphs end on the page they begin on, well above its foot.
        if (first == last && !overflows(lines - 1))
            return -1;
        for (int index = 0; index < lines; ++index) {
            if (overflows(index))
                return index;
        }
        return -1;
    }

    QTextDocument &m_document;
    QAbstractTextDocumentLayout *m_layout;
    qreal m_pageHeight;
    qreal m_allowance = 0;  // how far proportionally spaced lines may reach into the bottom margin, device pixels
    qreal m_textBottom = 0; // where the text of a page ends above the bottom margin, device pixels from its top
    std::vector<FlowItem> m_items;
};

} // namespace

void startPageAt(QTextDocument &document, const QTextBlock &block, int line)
{
    if (line <= 0)
        breakBefore(block);
    else
        splitBefore(document, block, line);
}

int keptBreakLine(const QTextBlock &block, int line)
{
    const QTextBlockFormat format = block.blockFormat();
    if (format.boolProperty(KeepLinesTogetherProperty))
        return 0;
    if (!format.boolProperty(WidowControlProperty))
        return line;
    const int lines = block.layout()->lineCount();
    const int kept = qMin(line, lines - kMinimumLinesAtBreak);
    return kept < kMinimumLinesAtBreak ? 0 : kept;
}

void allowLineGapAtPageFoot(QTextDocument &document)
{
    int proportional = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        proportional += block.blockFormat().lineHeightType() == QTextBlockFormat::LineDistanceHeight;
    if (proportional * 2 <= document.blockCount())
        return;
    const QFont font = document.defaultFont();
    const QFontMetricsF metrics(font, document.documentLayout()->paintDevice());
    const qreal gap = qMax<qreal>(0, metrics.leading()) - officeLeading(font, metrics); // device pixels
    if (gap <= 0)
        return;
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    // Frame margins are handed to Qt scaled, like every length it multiplies by the device's resolution.
    root.setBottomMargin(root.bottomMargin() - qtLength(gap));
    root.setProperty(LineGapAllowanceProperty, gap);
    document.rootFrame()->setFrameFormat(root);
}

void applyKeepRules(QTextDocument &document, qreal pageHeight)
{
    if (pageHeight <= 0)
        return;
    KeepRules(document, pageHeight).apply();
}

} // namespace quill
