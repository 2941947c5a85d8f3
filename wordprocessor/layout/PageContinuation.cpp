#include "PageContinuation.h"

#include "LengthScale.h"
#include "Pagination.h"
#include "Sections.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

#include <algorithm>
#include <cmath>

namespace quill {

namespace {

// The first line of the main flow whose top lies on page `page` or later: its block and index.
struct LineAt
{
    QTextBlock block;
    int line = -1;
};

LineAt firstLineFrom(const QTextDocument &document, int page)
{
    const qreal pageTop = page * document.pageSize().height();
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (it.currentFrame() || !block.isValid())
            continue;
        const QTextLayout *layout = block.layout();
        for (int index = 0; index < layout->lineCount(); ++index) {
            if (layout->position().y() + layout->lineAt(index).y() >= pageTop)
                return {block, index};
        }
    }
    return {};
}

// Puts an empty block `height` tall (in the units Qt takes line heights in) in front of `block`, which keeps its own format: with the
// page break it had, if any, moved to the spacer, and its space before added to the spacer's height (Qt drops
// the space before of a page's first block).
void insertSpacerBefore(QTextDocument &document, const QTextBlock &block, qreal height)
{
    QTextBlockFormat text = block.blockFormat();
    QTextBlockFormat spacer;
    spacer.setPageBreakPolicy(text.pageBreakPolicy());
    spacer.setLineHeight(qMax<qreal>(0, height + text.topMargin()), QTextBlockFormat::FixedHeight);
    spacer.setProperty(PageTopSpacerProperty, true);
    text.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
    text.setTopMargin(0);
    QTextCursor cursor(&document);
    cursor.setPosition(block.position());
    cursor.beginEditBlock();
    // The block before the cursor keeps the old block's place: it becomes the spacer, the text moves on.
    cursor.insertBlock(text, block.charFormat());
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.setBlockFormat(spacer);
    cursor.endEditBlock();
}

// Sets the root frame's top and bottom margins (device pixels) and lays the document out again.
void setColumnBox(QTextDocument &document, qreal top, qreal bottom)
{
    QTextFrameFormat root = document.rootFrame()->frameFormat();
    root.setTopMargin(qtLength(top));
    root.setBottomMargin(qtLength(bottom));
    document.rootFrame()->setFrameFormat(root);
    document.documentLayout()->documentSize();
}

// A line of the main flow on the last sheet, with where it lies in the sheet's text read as one tall column.
struct SheetLine
{
    QTextBlock block;
    int index = 0;
    qreal offset = 0; // from the top of the sheet's first line to this line's top, without the columns' feet
    qreal height = 0;
    bool startsPage = false;
};

// The lines from page `firstPage` on; empty where a table stands there, which is left as it is.
std::vector<SheetLine> linesFrom(const QTextDocument &document, int firstPage)
{
    const qreal pageHeight = document.pageSize().height();
    std::vector<SheetLine> lines;
    int lastPage = -1;
    qreal lastTop = 0;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        const QTextLayout *layout = block.isValid() ? block.layout() : nullptr;
        for (int index = 0; layout && index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            const qreal top = layout->position().y() + line.y();
            const int page = int(std::floor((top + line.height() / 2) / pageHeight));
            if (page < firstPage)
                continue;
            SheetLine sheetLine{block, index, 0, line.height(), page != lastPage};
            if (!lines.empty()) // the gap to the line above, or none at the top of a column
                sheetLine.offset = lines.back().offset + (sheetLine.startsPage ? lines.back().height : top - lastTop);
            lines.push_back(sheetLine);
            lastPage = page;
            lastTop = top;
        }
        QTextFrame *frame = it.currentFrame();
        if (frame && document.documentLayout()->frameBoundingRect(frame).bottom() > firstPage * pageHeight)
            return {};
    }
    return lines;
}

// Where each column after the first begins (indices into `lines`) when columns of `height` are filled in turn.
std::vector<size_t> columnStarts(const std::vector<SheetLine> &lines, qreal height)
{
    std::vector<size_t> starts;
    qreal columnTop = 0;
    for (size_t index = 1; index < lines.size(); ++index) {
        if (lines[index].offset + lines[index].height - columnTop > height) {
            starts.push_back(index);
            columnTop = lines[index].offset;
        }
    }
    return starts;
}

} // namespace

void balanceLastSheet(QTextDocument &document, int columns)
{
    if (columns < 2 || !document.rootFrame()->frameFormat().boolProperty(BalancedColumnsProperty))
        return;
    const int pages = document.pageCount();
    if (pages <= columns)
        return;
    const std::vector<SheetLine> lines = linesFrom(document, (pages - 1) / columns * columns);
    if (lines.empty())
        return;
    // The shortest column height, to a device pixel, whose columns hold the text.
    qreal fits = lines.back().offset + lines.back().height;
    qreal tooShort = 0;
    while (fits - tooShort > 1) {
        const qreal height = (fits + tooShort) / 2;
        if (int(columnStarts(lines, height).size()) < columns)
            fits = height;
        else
            tooShort = height;
    }
    // From the last break back, so that the lines still to break keep their paragraphs and indices.
    const std::vector<size_t> starts = columnStarts(lines, fits);
    for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
        const SheetLine &line = lines[*it];
        if (!line.startsPage)
            startPageAt(document, line.block, keptBreakLine(line.block, line.index));
    }
    document.documentLayout()->documentSize();
}

bool startsOwnRun(const Section &before, const Section &after)
{
    const std::vector<ColumnBox> was = columnBoxes(before);
    const std::vector<ColumnBox> now = columnBoxes(after);
    const bool sameColumns = std::equal(was.begin(), was.end(), now.begin(), now.end(),
                                        [](const ColumnBox &a, const ColumnBox &b) {
                                            return qFuzzyCompare(a.left + 1, b.left + 1)
                                                && qFuzzyCompare(a.width + 1, b.width + 1);
                                        });
    return !sameColumns && before.page.pageSize == after.page.pageSize;
}

bool continuesPage(const QTextDocument &document)
{
    return document.rootFrame()->frameFormat().boolProperty(ContinuesPageProperty);
}

qreal contentBottom(const QTextDocument &document, int columns)
{
    const qreal pageHeight = document.pageSize().height();
    const int pages = qMax(1, document.pageCount());
    const int lastSheet = (pages - 1) - (pages - 1) % qMax(1, columns);
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    qreal bottom = 0;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        qreal itemBottom = 0;
        if (QTextFrame *frame = it.currentFrame()) {
            itemBottom = layout->frameBoundingRect(frame).bottom();
        } else if (const QTextBlock block = it.currentBlock(); block.isValid() && block.layout()->lineCount() > 0) {
            const QTextLine last = block.layout()->lineAt(block.layout()->lineCount() - 1);
            itemBottom = block.layout()->position().y() + last.y() + last.height();
        }
        const int page = int(std::floor(qMax<qreal>(0, itemBottom - 1) / pageHeight));
        if (page >= lastSheet && itemBottom > 0)
            bottom = qMax(bottom, itemBottom - page * pageHeight);
    }
    return bottom;
}

qreal contentTop(const QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().boolProperty(PageTopSpacerProperty) || block.layout()->lineCount() == 0)
            continue;
        return qMin(block.layout()->position().y() + block.layout()->lineAt(0).y(), document.pageSize().height());
    }
    return document.rootFrame()->frameFormat().topMargin() / qtLength(1);
}

void startBelow(QTextDocument &document, qreal top, int columns)
{
    const qreal height = qtLength(top) - document.rootFrame()->frameFormat().topMargin();
    if (height <= 0 || !document.begin().isValid())
        return;
    insertSpacerBefore(document, document.begin(), height);
    for (int column = 1; column < columns; ++column) {
        document.documentLayout()->documentSize();
        const LineAt first = firstLineFrom(document, column);
        if (!first.block.isValid())
            return;
        startPageAt(document, first.block, first.line);
        document.documentLayout()->documentSize();
        insertSpacerBefore(document, firstLineFrom(document, column).block, height);
    }
}

bool balanceColumns(QTextDocument &document, qreal top, int columns)
{
    if (columns < 2 || !document.rootFrame()->frameFormat().boolProperty(BalancedColumnsProperty))
        return false;
    const QTextFrameFormat original = document.rootFrame()->frameFormat();
    const qreal pageHeight = document.pageSize().height();
    const qreal bottomMargin = original.bottomMargin() / qtLength(1);
    // The tallest columns: all the room from `top` down to the bottom margin.
    qreal fits = pageHeight - bottomMargin - top;
    setColumnBox(document, top, bottomMargin);
    if (fits <= 0 || document.pageCount() > columns) {
        document.rootFrame()->setFrameFormat(original);
        return false;
    }
    // The shortest columns that still hold the text, to a device pixel.
    qreal tooShort = 0;
    while (fits - tooShort > 1) {
        const qreal height = (fits + tooShort) / 2;
        setColumnBox(document, top, pageHeight - top - height);
        if (document.pageCount() > columns)
            tooShort = height;
        else
            fits = height;
    }
    setColumnBox(document, top, pageHeight - top - fits);
    return true;
}

} // namespace quill
