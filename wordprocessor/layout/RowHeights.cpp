#include "RowHeights.h"

#include "LengthScale.h"
#include "TableCells.h"

#include <QAbstractTextDocumentLayout>
#include <QPen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <cmath>

namespace quill {

namespace {

constexpr char kHasExactRowsProperty[] = "quillExactRows";
// How far (device pixels) a line may reach below its row and still count as inside it: layout rounding.
constexpr qreal kRowEdgeTolerance = 0.5;
// A padding closer than this (in Qt's scaled units) to the one wanted is left as it is.
constexpr qreal kPaddingTolerance = 0.01;

// Keeps the content from `from` to `to` out of sight: no ink, no highlight, no underline or outline.
void hideContent(QTextDocument &document, int from, int to)
{
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat hidden;
    hidden.setForeground(QColor(Qt::transparent));
    hidden.setBackground(QColor(Qt::transparent));
    hidden.setUnderlineColor(QColor(Qt::transparent));
    hidden.setTextOutline(QPen(Qt::NoPen));
    cursor.mergeCharFormat(hidden);
}

// The document position of the first line of `cell` whose bottom lies more than `room` (device pixels) below
// `contentTop`, or -1 when every line fits.
int firstLineBelow(const QTextTableCell &cell, const QAbstractTextDocumentLayout &layout, qreal contentTop,
                   qreal room)
{
    for (QTextBlock block = cell.firstCursorPosition().block(); block.isValid() && block.position() <= cell.lastPosition();
         block = block.next()) {
        const qreal blockTop = layout.blockBoundingRect(block).top();
        const QTextLayout *lines = block.layout();
        for (int i = 0; i < lines->lineCount(); ++i) {
            const QTextLine line = lines->lineAt(i);
            if (blockTop + line.y() + line.height() - contentTop > room + kRowEdgeTolerance)
                return block.position() + line.textStart();
        }
    }
    return -1;
}

// Pads `cell` of an exact-height row to its row's height, measured against its content as laid out, and hides
// the content below the row, which a negative bottom padding takes out of the row's height.
void fitCell(QTextDocument &document, QTextTableCell &cell, const LengthScale &scale)
{
    QTextTableCellFormat format = cell.format().toTableCellFormat();
    const int rowTwips = format.intProperty(ExactRowHeightProperty);
    const CellPadding own{format.intProperty(ExactRowTopPaddingProperty),
                          format.intProperty(ExactRowBottomPaddingProperty)};
    const QAbstractTextDocumentLayout &layout = *document.documentLayout();
    const qreal contentTop = layout.blockBoundingRect(cell.firstCursorPosition().block()).top();
    const qreal contentBottom = layout.blockBoundingRect(cell.lastCursorPosition().block()).bottom();
    const qreal contentTwips = deviceTwips(contentBottom - contentTop);

    const int hideFrom = firstLineBelow(cell, layout, contentTop, deviceLength(rowTwips - own.topTwips));
    // Content that reaches into the bottom padding, or below the row, takes the padding's place.
    CellPadding padding = own;
    padding.bottomTwips = qMin(own.bottomTwips, int(std::floor(rowTwips - own.topTwips - contentTwips)));
    const qreal topBefore = format.topPadding();
    const qreal bottomBefore = format.bottomPadding();
    padCell(format, padding, rowTwips, contentTwips, scale);
    if (qAbs(format.topPadding() - topBefore) > kPaddingTolerance
        || qAbs(format.bottomPadding() - bottomBefore) > kPaddingTolerance)
        cell.setFormat(format);
    if (hideFrom >= 0)
        hideContent(document, hideFrom, cell.lastPosition());
}

// Fits the exact-height rows of the tables in `frame` and below it, the innermost first (they make the outer
// cells' content).
void fitFrame(QTextDocument &document, QTextFrame *frame, const LengthScale &scale)
{
    for (QTextFrame *child : frame->childFrames())
        fitFrame(document, child, scale);
    QTextTable *table = qobject_cast<QTextTable *>(frame);
    if (!table)
        return;
    for (int row = 0; row < table->rows(); ++row) {
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(row, column);
            if (cell.row() == row && cell.column() == column && cell.format().hasProperty(ExactRowHeightProperty))
                fitCell(document, cell, scale);
        }
    }
}

} // namespace

void markExactRows(QTextDocument &document)
{
    document.setProperty(kHasExactRowsProperty, true);
}

void fitExactRows(QTextDocument &document)
{
    if (!document.property(kHasExactRowsProperty).toBool())
        return;
    fitFrame(document, document.rootFrame(), LengthScale::current());
}

} // namespace quill
