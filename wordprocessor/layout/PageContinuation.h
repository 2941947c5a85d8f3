#pragma once

#include <QTextFormat>

class QTextDocument;

namespace quill {

struct Section;

// Set on the root frame of a page run that a continuous section break began: its text goes on below what
// the run before it left on its last page (a section whose columns differ cannot share that run's document).
inline constexpr int ContinuesPageProperty = QTextFormat::UserProperty + 48;

// Set on the root frame of a page run with columns that a continuous section break ends: the columns of its
// last sheet are balanced, so that the text after the break goes on below all of them.
inline constexpr int BalancedColumnsProperty = QTextFormat::UserProperty + 49;

// True when a continuous break from section `before` to section `after` begins a page run of its own: their
// columns differ, on the same sheet.
bool startsOwnRun(const Section &before, const Section &after);

// True when `document` is a page run that a continuous section break began.
bool continuesPage(const QTextDocument &document);

// Where the text of laid-out `document` ends on its last sheet, in device pixels from the top of the page:
// the lowest of the last sheet's `columns` columns (pages of the document).
qreal contentBottom(const QTextDocument &document, int columns);

// Where the text of laid-out `document` begins on its first page, in device pixels from the top of the page:
// below the room left for the text before it when a continuous section break began it.
qreal contentTop(const QTextDocument &document);

// Lays out `document` (with its page size set, its root frame marked with BalancedColumnsProperty) in `columns`
// columns of equal height as short as holds its text, from `top` (device pixels from the top of the page), when
// it fits on one sheet; returns false, leaving it as it was, when it does not.
bool balanceColumns(QTextDocument &document, qreal top, int columns);

// Makes the columns of the last sheet of `document` (laid out over more than one sheet in `columns` columns,
// its root frame marked with BalancedColumnsProperty) end level: its text breaks into columns as short as hold
// it. Earlier sheets keep their full columns.
void balanceLastSheet(QTextDocument &document, int columns);

// Lays out `document` (with its page size set) so that its first sheet's `columns` columns begin at `top`
// (device pixels from the top of the page) instead of the top margin: below the text already on that sheet.
void startBelow(QTextDocument &document, qreal top, int columns);

} // namespace quill
