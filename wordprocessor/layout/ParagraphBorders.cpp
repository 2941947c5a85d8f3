#include "ParagraphBorders.h"

#include "LayoutUnits.h"
#include "LengthScale.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <optional>

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

// The outer edges of a bordered block's box, in the document's device pixels; its sides start at `sidesTop`,
// above `top` where the box spans the gap to the paragraph above.
struct BlockBox
{
    qreal left = 0;
    qreal top = 0;
    qreal right = 0;
    qreal bottom = 0;
    qreal sidesTop = 0;
};

std::optional<BlockBox> blockBox(const QTextBlock &block, const QTextBlockFormat &format)
{
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return std::nullopt;
    const QTextLine first = layout->lineAt(0);
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    // A block in a table cell has its layout placed in the cell: the block's bounding rectangle is in the
    // document's coordinates. It starts at the layout's position, to which the lines' x (with the indents) adds.
    const QRectF placed = block.document()->documentLayout()->blockBoundingRect(block);
    const QPointF origin(placed.left(), placed.top() - layout->boundingRect().top());
    const qreal boxHeight = format.doubleProperty(BorderLineHeightProperty);
    const qreal textTop = origin.y() + lineBoxTop(first, format, boxHeight);
    const qreal textBottom = origin.y() + lineBoxTop(last, format, boxHeight) + qMax(last.height(), boxHeight);

    BlockBox box;
    box.top = textTop - outerRoom(format, BorderTopPenProperty, BorderTopSpaceProperty);
    box.bottom = textBottom + outerRoom(format, BorderBottomPenProperty, BorderBottomSpaceProperty);
    box.left = origin.x() + first.x() - format.textIndent()
               - outerRoom(format, BorderLeftPenProperty, BorderLeftSpaceProperty);
    box.right = origin.x() + last.x() + last.width()
                + outerRoom(format, BorderRightPenProperty, BorderRightSpaceProperty);
    box.sidesTop = box.top - format.doubleProperty(BorderGapAboveProperty);
    return box;
}

void paintBlockBorders(QPainter &painter, const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    const std::optional<BlockBox> box = blockBox(block, format);
    if (!box)
        return;
    const auto [left, top, right, bottom, sidesTop] = *box;
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

bool hasBorderLine(const QTextBlockFormat &format)
{
    return format.hasProperty(BorderLeftPenProperty) || format.hasProperty(BorderRightPenProperty)
           || format.hasProperty(BorderTopPenProperty) || format.hasProperty(BorderBottomPenProperty);
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
    // Qt fills the shading behind the text itself (and still does in a shaded table cell, which covers the box).
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        format.setProperty(BorderShadingProperty, format.background());
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

void paintParagraphShading(QPainter &painter, const QTextDocument &document)
{
    if (!document.property(kHasBordersProperty).toBool())
        return;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        if (!format.hasProperty(BorderShadingProperty))
            continue;
        if (const std::optional<BlockBox> box = blockBox(block, format)) {
            const QRectF rect(QPointF(box->left, box->sidesTop), QPointF(box->right, box->bottom));
            painter.fillRect(rect, format.brushProperty(BorderShadingProperty));
        }
    }
}

void paintParagraphBorders(QPainter &painter, const QTextDocument &document)
{
    if (!document.property(kHasBordersProperty).toBool())
        return;
    painter.save();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (hasBorderLine(block.blockFormat()))
            paintBlockBorders(painter, block);
    }
    painter.restore();
}

} // namespace quill
