#include "ParagraphBorders.h"

#include "LayoutUnits.h"
#include "LengthScale.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

namespace {

// The document property that says some paragraph of the document has borders.
constexpr char kHasBordersProperty[] = "quillParagraphBorders";
// Qt puts the baseline of a fixed-height line at four fifths of its height.
constexpr qreal kFixedLineBaseline = 0.8;

BorderLine sideOf(const ParagraphProperties &paragraph, BorderSide side)
{
    return paragraph.borders[side].value_or(BorderLine());
}

void setLine(QTextBlockFormat &format, int penProperty, int spaceProperty, const BorderLine &line)
{
    if (!line.visible) {
        format.clearProperty(penProperty);
        return;
    }
    QPen pen(line.color, line.widthPixels * kLayoutOversampling);
    pen.setCapStyle(Qt::FlatCap);
    format.setProperty(penProperty, pen);
    format.setProperty(spaceProperty, line.spacePixels * kLayoutOversampling);
}

// The top of the box of `line`, in the block layout's device pixels: Qt moves a fixed-height line's text so
// that its baseline sits at four fifths of the line.
qreal lineBoxTop(const QTextLine &line, const QTextBlockFormat &format, qreal boxHeight)
{
    if (format.lineHeightType() != QTextBlockFormat::FixedHeight)
        return line.y();
    return line.y() + line.ascent() + qMax<qreal>(line.leading(), 0) - boxHeight * kFixedLineBaseline;
}

// The room a drawn line takes outside the text (its space and width), in device pixels.
qreal outerRoom(const QTextBlockFormat &format, int penProperty, int spaceProperty)
{
    if (!format.hasProperty(penProperty))
        return 0;
    return format.doubleProperty(spaceProperty) + format.penProperty(penProperty).widthF();
}

void paintBlockBorders(QPainter &painter, const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return;
    const QTextLine first = layout->lineAt(0);
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    // A block in a table cell has its layout placed in the cell: the block's bounding rectangle is in the
    // document's coordinates. Qt 6.4 moves the rectangle's corner to the layout's place, so the lines' own
    // x (the indent) stays out of its left edge, and its top is the first line's top.
    const QRectF placed = block.document()->documentLayout()->blockBoundingRect(block);
    const QPointF origin(placed.left(), placed.top() - layout->boundingRect().top());
    const qreal boxHeight = format.doubleProperty(BorderLineHeightProperty);
    const qreal textTop = origin.y() + lineBoxTop(first, format, boxHeight);
    const qreal textBottom = origin.y() + lineBoxTop(last, format, boxHeight) + qMax(last.height(), boxHeight);

    const qreal top = textTop - outerRoom(format, BorderTopPenProperty, BorderTopSpaceProperty);
    const qreal bottom = textBottom + outerRoom(format, BorderBottomPenProperty, BorderBottomSpaceProperty);
    const qreal left = origin.x() + first.x() - format.textIndent()
                       - outerRoom(format, BorderLeftPenProperty, BorderLeftSpaceProperty);
    const qreal right = origin.x() + last.x() + last.width()
                        + outerRoom(format, BorderRightPenProperty, BorderRightSpaceProperty);
    const qreal sidesTop = top - format.doubleProperty(BorderGapAboveProperty);

    // Each line lies on the outer edge of its room, drawn half its width inwards.
    const auto draw = [&](int penProperty, const QLineF &line, const QPointF &inward) {
        if (!format.hasProperty(penProperty))
            return;
        const QPen pen = format.penProperty(penProperty);
        painter.setPen(pen);
        painter.drawLine(line.translated(inward * pen.widthF() / 2));
    };
    draw(BorderTopPenProperty, QLineF(left, top, right, top), QPointF(0, 1));
    draw(BorderBottomPenProperty, QLineF(left, bottom, right, bottom), QPointF(0, -1));
    draw(BorderLeftPenProperty, QLineF(left, sidesTop, left, bottom), QPointF(1, 0));
    draw(BorderRightPenProperty, QLineF(right, sidesTop, right, bottom), QPointF(-1, 0));
}

} // namespace

ParagraphBorders ParagraphBorders::of(const ParagraphProperties &paragraph)
{
    return {sideOf(paragraph, TopSide), sideOf(paragraph, BottomSide), sideOf(paragraph, LeftSide),
            sideOf(paragraph, RightSide), sideOf(paragraph, InsideHorizontal)};
}

bool ParagraphBorders::operator==(const ParagraphBorders &other) const
{
    return top == other.top && bottom == other.bottom && left == other.left && right == other.right
           && between == other.between;
}

int ParagraphBorders::extentTwips(const BorderLine &line)
{
    return line.visible ? qRound((line.spacePixels + line.widthPixels) * kTwipsPerPixel) : 0;
}

void setBorderProperties(QTextBlockFormat &format, const ParagraphBorders &borders, bool joinsAbove)
{
    setLine(format, BorderTopPenProperty, BorderTopSpaceProperty, joinsAbove ? borders.between : borders.top);
    setLine(format, BorderBottomPenProperty, BorderBottomSpaceProperty, borders.bottom);
    setLine(format, BorderLeftPenProperty, BorderLeftSpaceProperty, borders.left);
    setLine(format, BorderRightPenProperty, BorderRightSpaceProperty, borders.right);
}

void setBorderBox(QTextBlockFormat &format, qreal lineHeightPixels, int gapAboveTwips)
{
    format.setProperty(BorderLineHeightProperty, lineHeightPixels * kLayoutOversampling);
    format.setProperty(BorderGapAboveProperty, deviceLength(gapAboveTwips));
}

void markParagraphBorders(QTextDocument &document)
{
    document.setProperty(kHasBordersProperty, true);
}

void paintParagraphBorders(QPainter &painter, const QTextDocument &document)
{
    if (!document.property(kHasBordersProperty).toBool())
        return;
    painter.save();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (format.hasProperty(BorderLeftPenProperty) || format.hasProperty(BorderRightPenProperty)
            || format.hasProperty(BorderTopPenProperty) || format.hasProperty(BorderBottomPenProperty))
            paintBlockBorders(painter, block);
    }
    painter.restore();
}

} // namespace quill
