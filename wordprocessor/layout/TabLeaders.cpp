#include "TabLeaders.h"

#include "TextDocumentBuilder.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>

namespace quill {

namespace {

// Document property set where some block records tab leaders.
constexpr char kHasTabLeadersProperty[] = "quillTabLeaders";
// Qt places tab stops in steps of 1/64 device pixel: a tab that starts this close to a stop is past it.
constexpr qreal kStopTolerance = 1.0 / 128;
// The leader LibreOffice draws one character longer than the gap, so that its strokes join into a line.
constexpr char16_t kJoinedLeader = u'_';

// The leader of the stop a tab starting `x` device pixels from its line's start goes to: the first stop
// past it, as Qt chooses; null where that stop has none or the tab goes to a default stop.
QChar leaderFor(const QList<qreal> &stops, const QString &leaders, qreal x)
{
    for (qsizetype index = 0; index < stops.size() && index < leaders.size(); ++index) {
        if (stops[index] > x + kStopTolerance)
            return leaders[index];
    }
    return QChar();
}

// Fills `width` device pixels from `start` (on the baseline) with `leader` in the font and colour of `format`.
void paintLeader(QPainter &painter, const QTextCharFormat &format, QChar leader, const QPointF &start,
                 qreal width)
{
    const QRawFont font = QRawFont::fromFont(QFont(format.font(), layoutPaintDevice()));
    const QList<quint32> glyphs = font.glyphIndexesForString(QString(leader));
    if (glyphs.size() != 1 || glyphs.front() == 0)
        return;
    const qreal advance = font.advancesForGlyphIndexes(glyphs).front().x();
    if (advance <= 0)
        return;
    const qsizetype count = qsizetype(width / advance) + (leader == QChar(kJoinedLeader) ? 1 : 0);
    if (count <= 0)
        return;
    const qreal step = width / count;
    QList<QPointF> positions;
    positions.reserve(count);
    for (qsizetype index = 0; index < count; ++index)
        positions.append(start + QPointF(index * step, 0));
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(QList<quint32>(count, glyphs.front()));
    run.setPositions(positions);
    const QBrush brush = format.foreground();
    painter.setPen(brush.style() == Qt::NoBrush ? QColor(Qt::black) : brush.color());
    painter.drawGlyphRun(QPointF(), run);
}

// Draws the leaders of the tabs of `block`, whose layout lies at `origin` in the document's device pixels.
void paintBlockLeaders(QPainter &painter, const QTextBlock &block, const QPointF &origin)
{
    const QTextBlockFormat format = block.blockFormat();
    const QList<qreal> stops = format.property(TabStopPixelsProperty).value<QList<qreal>>();
    const QString leaders = format.stringProperty(TabLeadersProperty);
    const QTextLayout *layout = block.layout();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString text = fragment.text();
        for (qsizetype index = text.indexOf(QLatin1Char('\t')); index >= 0;
             index = text.indexOf(QLatin1Char('\t'), index + 1)) {
            const int position = fragment.position() - block.position() + int(index);
            const QTextLine line = layout->lineForTextPosition(position);
            if (!line.isValid())
                continue;
            // Qt measures a tab from where its line's text starts, before aligning the line.
            const qreal start = line.cursorToX(position);
            const qreal end = line.cursorToX(position + 1);
            const QChar leader = leaderFor(stops, leaders, start - line.cursorToX(line.textStart()));
            if (leader.isNull() || end <= start)
                continue;
            const QPointF baseline = origin + QPointF(start, line.y() + line.ascent());
            paintLeader(painter, fragment.charFormat(), leader, baseline, end - start);
        }
    }
}

} // namespace

void setTabLeaders(QTextBlockFormat &format, const QList<qreal> &stopPixels, const QString &leaders)
{
    const bool any = std::any_of(leaders.begin(), leaders.end(), [](QChar leader) { return !leader.isNull(); });
    if (!any) {
        format.clearProperty(TabStopPixelsProperty);
        format.clearProperty(TabLeadersProperty);
        return;
    }
    format.setProperty(TabStopPixelsProperty, QVariant::fromValue(stopPixels));
    format.setProperty(TabLeadersProperty, leaders);
}

void markTabLeaders(QTextDocument &document, const QTextBlockFormat &format)
{
    if (format.hasProperty(TabLeadersProperty))
        document.setProperty(kHasTabLeadersProperty, true);
}

void paintTabLeaders(QPainter &painter, const QTextDocument &document, const QRectF &clip)
{
    if (!document.property(kHasTabLeadersProperty).toBool())
        return;
    painter.save();
    QAbstractTextDocumentLayout *documentLayout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (!block.blockFormat().hasProperty(TabLeadersProperty) || !block.layout())
            continue;
        // A block in a table cell has its layout placed in the cell: the block's bounding rectangle is in the
        // document's coordinates, its corner where the layout's origin lies (Qt 6.4 moves the rectangle there
        // rather than translating it by the origin, so the lines' own x stays out of it).
        const QRectF placed = documentLayout->blockBoundingRect(block);
        if (!clip.isNull() && !placed.intersects(clip))
            continue;
        paintBlockLeaders(painter, block, placed.topLeft());
    }
    painter.restore();
}

} // namespace quill
