#pragma once

#include "RunReader.h"
#include "WordProperties.h"

#include <QTextFormat>

#include <vector>

class QPainter;
class QTextCharFormat;
class QTextDocument;

namespace quill {

class LengthScale;

// Character properties that carry a run's border (w:bdr) to the painter, in device pixels of the layout: the
// pen of its box and the space between the box and the text.
enum CharacterBorderProperty {
    CharacterBorderPenProperty = QTextFormat::UserProperty + 56,
    CharacterBorderSpaceProperty,
};

// Records the border `line` in the character format `format`; a hidden line records none.
void setCharacterBorder(QTextCharFormat &format, const BorderLine &line);

// The height a box of `format` adds to its line (its space and line width above and below the text), in logical
// pixels; 0 without a border.
qreal characterBorderHeight(const QTextCharFormat &format);

// Makes room beside each box of `pieces` (a run of consecutive pieces with the same border), as LibreOffice
// does: the box's space and line width before and after its text, given as letter spacing to the character
// before the box and to the box's last character. Returns whether any piece has a border.
bool makeRoomForCharacterBorders(std::vector<TextPiece> &pieces, const LengthScale &scale);

// Marks `document` as holding character borders, so that painting looks for them.
void markCharacterBorders(QTextDocument &document);

// Draws the character borders of `document` (laid out) with `painter` in the document's device pixels: one box
// per line that a run of same-bordered text covers, as high as the line's ascent and descent with the space.
void paintCharacterBorders(QPainter &painter, const QTextDocument &document);

} // namespace quill
