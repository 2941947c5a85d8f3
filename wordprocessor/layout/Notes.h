#pragma once

#include "BodyLayout.h"
#include "RunReader.h"
#include "Sections.h"

#include <QHash>
#include <QTextFormat>

#include <memory>
#include <optional>

namespace pugi {
class xml_document;
class xml_node;
}

class QTextDocument;

namespace quill {

// Properties of the reference marks of footnotes and endnotes in the text.
enum NoteProperty {
    NoteIdProperty = QTextFormat::UserProperty + 24, // w:id of the note the mark stands for
    EndnoteProperty,                                 // true: the mark refers to an endnote
};

// Numbers the note reference marks of one flow of text in reading order, as the settings' w:footnotePr and
// w:endnotePr say (footnotes 1, 2, 3 and endnotes i, ii, iii unless they say otherwise).
class NoteMarks
{
public:
    // Numbers with the note settings of `settings` (word/settings.xml; defaults when null).
    explicit NoteMarks(const pugi::xml_document *settings);

    // The piece that shows the reference `reference` (w:footnoteReference, w:endnoteReference) in text of
    // `format`: its number, raised. Nothing for an item of another kind, or for a reference with a mark of its
    // own (w:customMarkFollows): the text that follows is the mark.
    std::optional<TextPiece> referencePiece(pugi::xml_node reference, const QTextCharFormat &format);

private:
    struct Counter
    {
        QString format;
        int next = 1;
    };
    Counter m_footnotes;
    Counter m_endnotes;
};

// The text of the notes of a body, laid out as their references ask: the notes part's w:footnote (w:endnote),
// its own mark showing the number of the reference.
class NoteTexts
{
public:
    // Notes of `sources.footnotesPart`, or of `sources.endnotesPart` when `endnotes`; `sources` outlives it.
    NoteTexts(const LayoutSources &sources, bool endnotes);
    ~NoteTexts();

    // Note `id` with its mark showing `label`, laid out unpaginated across the text column of `section`'s page
    // (device pixels of the layout, the page's left margin included); null when the part holds no such note.
    std::shared_ptr<const QTextDocument> note(int id, const QString &label, const Section &section);

private:
    pugi::xml_node findNote(int id) const;

    const LayoutSources &m_sources;
    QString m_part;
    bool m_endnotes;
    QHash<QString, std::shared_ptr<const QTextDocument>> m_laidOut; // by id and label
};

} // namespace quill
