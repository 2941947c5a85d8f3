#include "Pagination.h"

#include <QAbstractTextDocumentLayout>
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

// Lines needed on each side of a page break under widow and orphan control.
constexpr int kMinimumLinesAtBreak = 2;

// One item of the main flow: a paragraph or a table.
struct FlowItem
{
    QTextBlock block;
    QTextTable *table = nullptr;
};

class KeepRules
{
public:
    KeepRules(QTextDocument &document, qreal pageHeight)
        : m_document(document), m_layout(document.documentLayout()), m_pageHeight(pageHeight)
    {
    }

    void apply()
    {
        m_layout->documentSize(); // lays out the whole document
        collectItems();
        for (size_t i = 0; i < m_items.size();) {
            const std::optional<size_t> restart = check(i);
            i = restart ? *restart : i + 1;
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
                // So is an empty block right after a table (the builder gives real empty paragraphs there text).
                if (!(afterTable && it.currentBlock().length() == 1))
                    m_items.push_back({it.currentBlock(), nullptr});
                afterTable = false;
            }
        }
    }

    int pageAt(qreal y) const { return static_cast<int>(std::floor(y / m_pageHeight)); }

    // The page of line `index` of a laid-out block (by the middle of the line).
    int pageOfLine(const QTextBlock &block, int index) const
    {
        m_layout->blockBoundingRect(block); // makes sure the block is laid out
        const QTextLine line = block.layout()->lineAt(index);
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

    // A paragraph that starts a page by itself (a page break, or moved there by a rule) is never moved again.
    static bool hasForcedBreak(const QTextBlock &block)
    {
        return block.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore;
    }

    static bool flag(const QTextBlock &block, PaginationProperty property)
    {
        return block.isValid() && block.blockFormat().boolProperty(property);
    }

    void breakBefore(const QTextBlock &block)
    {
        QTextBlockFormat format = block.blockFormat();
        format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        // A paragraph pushed to a new page keeps no space above it.
        format.setTopMargin(0);
        QTextCursor(block).setBlockFormat(format);
    }

    // Checks item `index`; returns the item to continue from when a rule moved something.
    std::optional<size_t> check(size_t index)
    {
        const FlowItem &item = m_items[index];
        if (item.table)
            return std::nullopt;
        const QTextBlock block = item.block;
        m_layout->blockBoundingRect(block); // lays out everything up to this block after an earlier move
        const int lines = block.layout()->lineCount();
        if (lines == 0)
            return std::nullopt;
        const int first = pageOfLine(block, 0);
        const int last = pageOfLine(block, lines - 1);

        if (first != last && !startsPage(index) && !hasForcedBreak(block)) {
            int onFirstPage = 0;
            while (onFirstPage < lines && pageOfLine(block, onFirstPage) == first)
                ++onFirstPage;
            if (flag(block, KeepLinesTogetherProperty)
                || (flag(block, WidowControlProperty) && onFirstPage < kMinimumLinesAtBreak)) {
                breakBefore(block);
                return restartBefore(index);
            }
        }

        if (first != last && flag(block, WidowControlProperty) && lines > kMinimumLinesAtBreak) {
            int onLastPage = 0;
            while (onLastPage < lines && pageOfLine(block, lines - 1 - onLastPage) == last)
                ++onLastPage;
            if (onLastPage < kMinimumLinesAtBreak) {
                splitBefore(block, lines - kMinimumLinesAtBreak);
                collectItems();
                return restartBefore(index + 1);
            }
        }

        if (flag(block, KeepWithNextProperty) && index + 1 < m_items.size()
            && firstPage(m_items[index + 1]) > last) {
            // Move the whole run of kept paragraphs that ends here, unless it already starts its page.
            size_t start = index;
            while (start > 0 && !m_items[start - 1].table && flag(m_items[start - 1].block, KeepWithNextProperty)
                   && lastPage(m_items[start - 1]) == firstPage(m_items[start]))
                --start;
            if (!startsPage(start) && !hasForcedBreak(m_items[start].block)) {
                breakBefore(m_items[start].block);
                return restartBefore(start);
            }
        }
        return std::nullopt;
    }

    // After moving item `index`, the paragraph before it may have to follow (keep with next).
    static size_t restartBefore(size_t index) { return index > 0 ? index - 1 : 0; }

    // Ends `block` before its line `line`; the rest becomes a paragraph that starts a new page.
    void splitBefore(const QTextBlock &block, int line)
    {
        const int position = block.position() + block.layout()->lineAt(line).textStart();
        QTextBlockFormat rest = block.blockFormat();
        rest.setTextIndent(0);
        rest.setTopMargin(0);
        rest.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        QTextCursor cursor(&m_document);
        cursor.setPosition(position);
        cursor.insertBlock(rest, block.charFormat());
    }

    QTextDocument &m_document;
    QAbstractTextDocumentLayout *m_layout;
    qreal m_pageHeight;
    std::vector<FlowItem> m_items;
};

} // namespace

void applyKeepRules(QTextDocument &document, qreal pageHeight)
{
    if (pageHeight <= 0)
        return;
    KeepRules(document, pageHeight).apply();
}

} // namespace quill
