#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QTextFormat>

class QPainter;
class QTextBlockFormat;
class QTextDocument;

namespace quill {

// Block properties that carry a paragraph's tab leaders to the painter: the positions of all the tab stops Qt
// was given, in device pixels of the layout from the start of a line (QList<qreal>), and the leader of each
// stop, a null character where it has none (QString, one character per stop).
enum TabLeaderProperty {
    TabStopPixelsProperty = QTextFormat::UserProperty + 64,
    TabLeadersProperty,
};

// Records the stops at `stopPixels` with their `leaders` in `format` where one of them has a leader, and
// removes an earlier record otherwise.
void setTabLeaders(QTextBlockFormat &format, const QList<qreal> &stopPixels, const QString &leaders);
// Marks `document` as holding tab leaders when `format`, the format of one of its blocks, records any, so that
// painting looks for them.
void markTabLeaders(QTextDocument &document, const QTextBlockFormat &format);

// Fills the gap of each tab of `document` (laid out) that lands on a stop with a leader with the leader
// character, in the tab's font and colour, as LibreOffice does: as many whole characters as fit, spread evenly
// over the gap. Draws with `painter` in the document's device pixels, only the blocks that reach into `clip`
// (all where it is null).
void paintTabLeaders(QPainter &painter, const QTextDocument &document, const QRectF &clip);

} // namespace quill
