#pragma once

#include "RunContent.h"

#include <QString>

#include <vector>

#include <pugixml.hpp>

namespace quill {

// The characters Word's Range.Text shows for the objects inside a run, and for a paragraph's end.
inline constexpr QChar kTabCharacter = u'\t';
inline constexpr QChar kLineBreakCharacter = u'\v';
inline constexpr QChar kPageBreakCharacter = u'\f';
inline constexpr QChar kColumnBreakCharacter = QChar(0x0E);
inline constexpr QChar kNonBreakingHyphenCharacter = QChar(0x1E);
inline constexpr QChar kOptionalHyphenCharacter = QChar(0x1F);
inline constexpr QChar kSymbolCharacter = u'(';
inline constexpr QChar kParagraphMark = u'\r';

// One w:t element and where its text sits in the chunk it belongs to.
struct ScannedPiece
{
    pugi::xml_node element;
    int start = 0;
    int length = 0;
};

// Text of a paragraph between two barriers (tabs, breaks, fields, drawings): what one match may span.
struct ScannedChunk
{
    QString text;
    QString folded; // `text` folded for a search that ignores letter case (foldCase)
    std::vector<ScannedPiece> pieces;
};

// What a search sees of one paragraph.
struct ScannedParagraph
{
    std::vector<ScannedChunk> chunks;
    QString text; // as Range.Text shows it, barriers included
};

// Reads one paragraph; `fields` carries the open complex fields from one paragraph to the next.
ScannedParagraph scanParagraph(pugi::xml_node paragraph, FieldNesting &fields);

} // namespace quill
