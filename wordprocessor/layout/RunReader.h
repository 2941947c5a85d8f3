#pragma once

#include "WordProperties.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QTextCharFormat>

#include <pugixml.hpp>

#include <optional>
#include <vector>

namespace quill {

class EmbeddedObjects;
struct FieldContext;
class LengthScale;
class StyleSheet;
class ThemeFonts;

// The character that breaks a line inside a paragraph (w:br, w:cr), as Qt reads it.
inline constexpr char16_t kLineSeparator = 0x2028;
// Joins the characters on either side (no line break between them) and draws nothing.
inline constexpr char16_t kZeroWidthNoBreakSpace = 0xFEFF;

// A stretch of text with one character format.
struct TextPiece
{
    QString text;
    QTextCharFormat format;
};

// A paragraph's visible content, cut into parts at its page breaks.
struct ParagraphText
{
    std::vector<std::vector<TextPiece>> parts{1};
    bool hasCharacterBorders = false; // some text is boxed (w:bdr): its document is to be marked
};

// The character format of text with the run properties `run`; theme fonts are read from `themeFonts`, letter
// spacing is handed over through `scale`.
QTextCharFormat charFormat(const RunProperties &run, const ThemeFonts &themeFonts, const LengthScale &scale);

// Reads what a paragraph's runs show: their text, tabs, breaks and symbols with their character formats, the
// runs inside hyperlinks, content controls, insertions and simple fields, and of complex fields the result only;
// drawings and form check boxes become object pieces of `objects`.
class RunReader
{
public:
    // Reads with the character styles of `styles`, the fonts of `themeFonts` and the lengths of `scale`, and the
    // drawings and check boxes through `objects` (left out when null); all outlive the reader. Fields computed
    // as they print (see fieldResult) show their value at `fields` when given, else their stored result.
    RunReader(const StyleSheet &styles, const ThemeFonts &themeFonts, const LengthScale &scale,
              EmbeddedObjects *objects = nullptr, const FieldContext *fields = nullptr);

    // Appends the runs of `paragraph`, over the paragraph's run properties `paragraphRun`, to `text`;
    // a page or column break starts a new part of it when `allowPageBreaks`, and is dropped otherwise.
    void readParagraph(pugi::xml_node paragraph, const RunProperties &paragraphRun, bool allowPageBreaks,
                       ParagraphText &text) const;
    // Gives the names (lower case) of the bookmarks of the document the runs belong to: a REF or PAGEREF field
    // to any other name shows an error, as LibreOffice shows it. Without them, such fields keep their result.
    void setBookmarks(QSet<QString> bookmarks) { m_bookmarks = std::move(bookmarks); m_bookmarksKnown = true; }

private:
    struct FieldWalk;

    void collectInline(pugi::xml_node parent, const RunProperties &paragraphRun, FieldWalk &fields,
                       ParagraphText &text, bool allowPageBreaks) const;
    void addRun(pugi::xml_node run, const RunProperties &paragraphRun, FieldWalk &fields, ParagraphText &text,
                bool allowPageBreaks) const;
    void stepField(pugi::xml_node fldChar, const QTextCharFormat &format, bool hidden, FieldWalk &fields,
                   ParagraphText &text) const;
    void addSimpleField(pugi::xml_node field, const RunProperties &paragraphRun, FieldWalk &fields,
                        ParagraphText &text, bool allowPageBreaks) const;
    RunProperties runProperties(pugi::xml_node run, const RunProperties &paragraphRun) const;
    std::optional<QString> computedResult(const QString &instruction) const;
    bool keepsSlashesJoined(const QTextCharFormat &format) const;

    const StyleSheet &m_styles;
    const ThemeFonts &m_themeFonts;
    const LengthScale &m_scale;
    EmbeddedObjects *m_objects;
    const FieldContext *m_fields;
    QSet<QString> m_bookmarks;
    bool m_bookmarksKnown = false;
    mutable QHash<QString, bool> m_holdsJoiner; // by font key

};

} // namespace quill
