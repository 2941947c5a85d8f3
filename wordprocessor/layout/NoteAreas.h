#pragma once

#include "Notes.h"
#include "PageLayout.h"
#include "Sections.h"

#include <vector>

class QTextDocument;

namespace quill {

// A reference mark of a note in a laid-out document.
struct NoteReference
{
    int id = 0;
    QString label; // the mark as drawn
    int page = 0;  // the page of the document it falls on (0-based)
};

// The reference marks of footnotes (or of endnotes when `endnotes`) in `document`, in reading order. The document
// is laid out on pages `pageHeight` device pixels tall.
std::vector<NoteReference> noteReferences(const QTextDocument &document, qreal pageHeight, bool endnotes);

// The footnotes at the foot of one page, with the short line above them.
struct PageNotes
{
    std::vector<PagePart> notes;
    QLineF separator; // null when the page shows no notes
};

// Makes room at the foot of each sheet of `document` (a page run laid out on `section`'s page, with the body's
// margins) for the footnotes whose references fall on it: text that would reach into them starts the next
// page. With `columns` columns, each page of the document is one column, the first in column `firstColumn`
// of its sheet, and the notes span the sheet's columns. `taken` is the room (logical pixels) that notes of
// earlier text already take at the foot of the first sheet. Returns the notes of each sheet, placed on it;
// empty when the document refers to none.
std::vector<PageNotes> placeFootnotes(QTextDocument &document, const Section &section, NoteTexts &footnotes,
                                      int columns = 1, int firstColumn = 0, qreal taken = 0);

// The room `notes` take at the foot of their sheet, their separator's included, in logical pixels.
qreal footRoom(const PageNotes &notes);

// Adds the notes `later` below `earlier` at the foot of one sheet (a run that went on below earlier text on
// it): the earlier notes and their separator move up to make room.
void stackNotes(PageNotes &earlier, PageNotes later);

// Pages that hold the endnotes `references` refers to, one after another from the top of the text column of
// `section`'s page (with the body's margins); none when there are none.
std::vector<Page> endnotePages(const std::vector<NoteReference> &references, const Section &section,
                               NoteTexts &endnotes);

} // namespace quill
