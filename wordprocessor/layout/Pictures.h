#pragma once

#include "Drawings.h"
#include "Notes.h"
#include "RunReader.h"
#include "TextDocumentBuilder.h"

#include <QTextFormat>

#include <functional>
#include <memory>
#include <optional>

class QTextCursor;
class QTextDocument;

namespace quill {

// Properties of the object formats that stand for drawings and check boxes in the text.
enum EmbeddedObjectProperty {
    EmbeddedObjectIndexProperty = QTextFormat::UserProperty + 16, // the object, in its body's EmbeddedObjects
    RaisesLineProperty,              // the object may make its line taller than its text
    FloatPositionProperty,           // a QTextFrameFormat::Position: text flows beside the object
    InlineWidthProperty,             // the width of a picture set in its line, in logical pixels
};

struct ObjectTable;

// The pictures, text boxes and check boxes of one flow of text (a body, a header, a text box): read from its
// runs as object pieces of its text, and drawn in every document they land in by a handler those documents
// own. Pictures are decoded once, at the size they are drawn, and handed to each document as image resources.
class EmbeddedObjects
{
public:
    // Lays out the content of a text box (w:txbxContent) in a document of its own, for a box set up as `box`.
    using TextBoxBuilder = std::function<std::unique_ptr<QTextDocument>(pugi::xml_node content, const PageSetup &box)>;

    // Objects of the part `sourcePart` (whose relationships name the pictures), on pages set up as `page`; note
    // reference marks numbered as `settings` (word/settings.xml) say.
    EmbeddedObjects(RelatedParts *related, const QString &sourcePart, const PageSetup &page, TextBoxBuilder buildTextBox,
                    const pugi::xml_document *settings = nullptr);
    ~EmbeddedObjects();

    // The piece that shows the drawing of run item `item` (w:drawing, w:pict, w:object, mc:AlternateContent)
    // or the mark of a note reference in text of format `textFormat`; nothing when the item shows none.
    std::optional<TextPiece> drawingPiece(pugi::xml_node item, const QTextCharFormat &textFormat);
    // The piece that shows a legacy form check box in text of format `textFormat`.
    TextPiece checkBoxPiece(bool checked, const QTextCharFormat &textFormat);

    // The page the objects that follow are placed on (a section's).
    void setPage(const PageSetup &page) { m_page = page; }

    // Makes `document` draw the objects inserted into it: registers the drawing handler and hands it the pictures.
    void attach(QTextDocument &document) const;

private:
    TextPiece objectPiece(const QTextCharFormat &textFormat, int index, bool raisesLine) const;
    QString pictureResource(const QString &part, QSizeF size);

    DrawingReader m_reader;
    RelatedParts *m_related;
    PageSetup m_page;
    TextBoxBuilder m_buildTextBox;
    std::shared_ptr<ObjectTable> m_table;
    NoteMarks m_notes;
};

// Inserts `piece` at `cursor`: an object that text flows beside as a float, any other as text.
void insertPiece(QTextCursor &cursor, const TextPiece &piece);

} // namespace quill
