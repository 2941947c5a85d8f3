#pragma once

#include <QTextFormat>

class QTextBlock;
class QTextDocument;

namespace quill {

// Block properties the document builder records for the pagination pass (booleans).
enum PaginationProperty {
    KeepWithNextProperty = QTextFormat::UserProperty + 1, // w:keepNext
    KeepLinesTogetherProperty,                            // w:keepLines
    WidowControlProperty,                                 // w:widowControl
    PageTopSpacerProperty,                                // an empty block that stands for a paragraph's space before
    MovedByRuleProperty,       // the paragraph starts its page because a rule moved it there, not a page break
    MovedSpaceBeforeProperty,  // the space before (device pixels) it had before it was moved
};

// Set on the root frame by allowLineGapAtPageFoot: how far (device pixels) the page's text may reach into
// its bottom margin, a proportionally spaced line's line gap that LibreOffice lets hang below the text.
inline constexpr int LineGapAllowanceProperty = QTextFormat::UserProperty + 50;

// Lets the pages of `document` (not yet laid out) hold a last line whose text fits above the bottom margin,
// as LibreOffice does, where Qt would also want room for the font's line gap: Qt breaks a proportionally spaced
// line by its whole height, gap included. Done where such lines make up most of the document, by the gap of its
// default font beyond the one LibreOffice counts; applyKeepRules moves on any other line that the room lets in.
void allowLineGapAtPageFoot(QTextDocument &document);

// Moves paragraphs of the main flow to the next page the way Word and LibreOffice do: a paragraph kept with
// the next stays on the page where the next one starts, a paragraph kept together is not split, and with
// widow control no paragraph leaves its first or last line alone on a page; a line of fixed height (not spaced
// proportionally) ends above the bottom margin even where the page's foot allows a line gap. `pageHeight` is in
// the document's device pixels; the document must be paginated already. Paragraphs inside tables are left alone.
void applyKeepRules(QTextDocument &document, qreal pageHeight);

// Makes paragraph `block` of the main flow start a new page at its line `line`: from its start when 0 (it keeps
// no space above it), or else its lines from `line` on become a paragraph of their own that starts the page.
void startPageAt(QTextDocument &document, const QTextBlock &block, int line);

// The line of paragraph `block` of the main flow that starts the next page when its line `line` no longer fits
// on its page: `line` itself, or an earlier one where the paragraph is kept together (0) or where widow
// control keeps two lines on either side of the break (0 when that leaves fewer than two on the first page).
int keptBreakLine(const QTextBlock &block, int line);

} // namespace quill
