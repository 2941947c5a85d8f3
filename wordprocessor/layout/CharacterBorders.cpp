#include "CharacterBorders.h"

#include "LayoutUnits.h"
#include "LengthScale.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

namespace quill {

namespace {

// The document property that says some text of the document has a character border.
constexpr char kHasBordersProperty[] = "quillCharacterBorders";

bool hasBorder(const QTextCharFormat &format)
{
    return format.hasProperty(CharacterBorderPenProperty);
}

// True when text of `a` and text of `b` next to each other share one box.
bool sameBorder(const QTextCharFormat &a, const QTextCharFormat &b)
{
    return hasBorder(a) && hasBorder(b)
           && a.penProperty(CharacterBorderPenProperty) == b.penProperty(CharacterBorderPenProperty)
           && a.doubleProperty(CharacterBorderSpaceProperty) == b.doubleProperty(CharacterBorderSpaceProperty);
}

// The room a box of `format` takes on either side of its text (its space and line width), in device pixels.
qreal roomBeside(const QTextCharFormat &format)
{
    return format.doubleProperty(CharacterBorderSpaceProperty)
           + format.penProperty(CharacterBorderPenProperty).widthF();
}

bool isText(const TextPiece &piece)
{
    return piece.format.objectType() == QTextFormat::NoObject && !piece.text.isEmpty();
}

// Appends `piece` to `out`, its last character set apart and followed by `roomPixels` (device pixels) more.
void appendWidened(std::vector<TextPiece> &out, TextPiece piece, qreal roomPixels, const LengthScale &scale)
{
    const qsizetype lastLength = piece.text.size() > 1 && piece.text.back().isLowSurrogate() ? 2 : 1;
    TextPiece last{piece.text.right(lastLength), piece.format};
    piece.text.chop(lastLength);
    if (!piece.text.isEmpty())
        out.push_back(std::move(piece));
    const qreal roomTwips = deviceTwips(roomPixels);
    QTextCharFormat &format = last.format;
    const bool spaced = format.fontLetterSpacingType() == QFont::AbsoluteSpacing;
    format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    format.setFontLetterSpacing((spaced ? format.fontLetterSpacing() : 0) + scale.letterSpacing(roomTwips));
    out.push_back(std::move(last));
}

// A stretch of one block's text with one border, in positions within the block.
struct BorderedSpan
{
    int start = 0;
    int end = 0;
    QTextCharFormat format;
};

std::vector<BorderedSpan> borderedSpans(const QTextBlock &block)
{
    std::vector<BorderedSpan> spans;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!hasBorder(format))
            continue;
        const int start = fragment.position() - block.position();
        if (!spans.empty() && spans.back().end == start && sameBorder(spans.back().format, format))
            spans.back().end = start + fragment.length();
        else
            spans.push_back({start, start + fragment.length(), format});
    }
    return spans;
}

// Draws the box of `span` on `line`, if the line holds some of it; `origin` places the block's layout.
void paintSpanOnLine(QPainter &painter, const BorderedSpan &span, const QTextLine &line, const QPointF &origin)
{
    const int start = qMax(span.start, line.textStart());
    const int end = qMin(span.end, line.textStart() + line.textLength());
    if (start >= end)
        return;
    const QPen pen = span.format.penProperty(CharacterBorderPenProperty);
    const qreal width = pen.widthF();
    const qreal room = roomBeside(span.format);
    const qreal space = span.format.doubleProperty(CharacterBorderSpaceProperty);
    // The room before the box is the previous character's, that after it the box's last character's; a box
    // broken across lines ends at the text on either side of the break.
    const qreal left = line.cursorToX(start) - (start == span.start ? room : 0);
    const qreal right = line.cursorToX(end);
    const qreal baseline = line.y() + line.ascent() + (line.leadingIncluded() ? qMax<qreal>(line.leading(), 0) : 0);
    const qreal top = baseline - line.ascent() - space - width;
    const qreal bottom = baseline + line.descent() + space + width;
    // The pen lies inside the outer edges of the box.
    const QRectF outer = QRectF(QPointF(left, top), QPointF(right, bottom)).translated(origin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(outer.adjusted(width / 2, width / 2, -width / 2, -width / 2));
}

void paintBlockBoxes(QPainter &painter, const QTextBlock &block)
{
    const QTextLayout *layout = block.layout();
    if (!layout || layout->lineCount() == 0)
        return;
    const std::vector<BorderedSpan> spans = borderedSpans(block);
    if (spans.empty())
        return;
    // The block's bounding rectangle starts at its layout's position, in the document's coordinates (a block
    // in a table cell has its layout placed in the cell).
    const QPointF origin = block.document()->documentLayout()->blockBoundingRect(block).topLeft();
    for (const BorderedSpan &span : spans) {
        for (int index = 0; index < layout->lineCount(); ++index)
            paintSpanOnLine(painter, span, layout->lineAt(index), origin);
    }
}

} // namespace

void setCharacterBorder(QTextCharFormat &format, const BorderLine &line)
{
    if (!line.visible)
        return;
    QPen pen(line.color, line.widthPixels * kLayoutOversampling);
    pen.setJoinStyle(Qt::MiterJoin);
    format.setProperty(CharacterBorderPenProperty, pen);
    format.setProperty(CharacterBorderSpaceProperty, line.spacePixels * kLayoutOversampling);
}

qreal characterBorderHeight(const QTextCharFormat &format)
{
    return hasBorder(format) ? 2 * roomBeside(format) / kLayoutOversampling : 0;
}

bool makeRoomForCharacterBorders(std::vector<TextPiece> &pieces, const LengthScale &scale)
{
    const size_t count = pieces.size();
    // The room (device pixels) to add after each piece: before a box begins and where it ends.
    std::vector<qreal> roomAfter(count, 0);
    bool any = false;
    for (size_t index = 0; index < count; ++index) {
        const QTextCharFormat &format = pieces[index].format;
        if (!hasBorder(format))
            continue;
        any = true;
        if (index > 0 && !sameBorder(pieces[index - 1].format, format))
            roomAfter[index - 1] += roomBeside(format);
        if (index + 1 == count || !sameBorder(format, pieces[index + 1].format))
            roomAfter[index] += roomBeside(format);
    }
    if (!any)
        return false;
    std::vector<TextPiece> widened;
    widened.reserve(count + count / 2);
    for (size_t index = 0; index < count; ++index) {
        if (roomAfter[index] > 0 && isText(pieces[index]))
            appendWidened(widened, std::move(pieces[index]), roomAfter[index], scale);
        else
            widened.push_back(std::move(pieces[index]));
    }
    pieces = std::move(widened);
    return true;
}

void markCharacterBorders(QTextDocument &document)
{
    document.setProperty(kHasBordersProperty, true);
}

void paintCharacterBorders(QPainter &painter, const QTextDocument &document)
{
    if (!document.property(kHasBordersProperty).toBool())
        return;
    painter.save();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        paintBlockBoxes(painter, block);
    painter.restore();
}

} // namespace quill
