#pragma once

#include "WordProperties.h"

#include <QTextFormat>

class QPainter;
class QTextBlockFormat;
class QTextDocument;

namespace quill {

// Block properties that carry a paragraph's border lines to the painter, all lengths in device pixels of the
// layout (Qt does not scale them): a QPen per side drawn, the space between each line and the text, the height
// of the paragraph's lines and the gap to the paragraph above that the box spans.
enum ParagraphBorderProperty {
    BorderTopPenProperty = QTextFormat::UserProperty + 32,
    BorderBottomPenProperty,
    BorderLeftPenProperty,
    BorderRightPenProperty,
    BorderTopSpaceProperty,
    BorderBottomSpaceProperty,
    BorderLeftSpaceProperty,
    BorderRightSpaceProperty,
    BorderLineHeightProperty,
    BorderGapAboveProperty, // set where the box continues that of the paragraph above, across the gap
    BorderShadingProperty,  // the paragraph's shading (a QBrush), which fills its whole box
};

// The border lines of one paragraph (w:pBdr), with its group: consecutive paragraphs with the same borders
// share one box, with w:between drawn between them.
struct ParagraphBorders
{
    BorderLine top;
    BorderLine bottom;
    BorderLine left;
    BorderLine right;
    BorderLine between;

    static ParagraphBorders of(const ParagraphProperties &paragraph);
    bool any() const { return top.visible || bottom.visible || left.visible || right.visible; }
    bool operator==(const ParagraphBorders &other) const;

    // The room a line takes above or below the text (its space and width), in twips; 0 when it is hidden.
    static int extentTwips(const BorderLine &line);
};

// Records `borders` in a paragraph's block format: the top line (or, where the paragraph continues the box of
// the one above, the between line) and the bottom line, which a following paragraph of the same box removes.
// The paragraph's shading is recorded to fill the whole box too, out to the lines and across the gap above
// it, as LibreOffice fills it.
void setBorderProperties(QTextBlockFormat &format, const ParagraphBorders &borders, bool joinsAbove);
// Records the geometry of a bordered paragraph's box: its lines' height (logical pixels) and the gap above it
// that the box spans (twips, 0 where the box starts with this paragraph).
void setBorderBox(QTextBlockFormat &format, qreal lineHeightPixels, int gapAboveTwips);

// Marks `document` as holding paragraph borders, so that painting looks for them.
void markParagraphBorders(QTextDocument &document);

// Fills the boxes of the shaded bordered paragraphs of `document` (laid out) with their shading, with `painter`
// in the document's device pixels; before the text is drawn.
void paintParagraphShading(QPainter &painter, const QTextDocument &document);

// Draws the paragraph borders of `document` (laid out) with `painter` in the document's device pixels.
void paintParagraphBorders(QPainter &painter, const QTextDocument &document);

} // namespace quill
