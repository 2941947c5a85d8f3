#pragma once

#include <QString>

namespace pugi {
class xml_document;
}

namespace quill {

// The fonts of a document's theme (a:fontScheme of word/theme/theme1.xml), which w:rFonts names by slot
// (w:asciiTheme="minorHAnsi" and the like) rather than by family.
class ThemeFonts
{
public:
    // Reads the font scheme of `theme` and the theme font languages of `settings` (w:themeFontLang); either may
    // be null. Without a theme, the Latin slots name the default theme's fonts.
    ThemeFonts(const pugi::xml_document *theme, const pugi::xml_document *settings);

    // The family that slot `slot` of w:rFonts stands for (majorAscii, minorHAnsi, majorEastAsia, minorBidi, ...);
    // empty when the theme names none.
    QString family(const QString &slot) const;

private:
    // One of the theme's two font collections (a:majorFont, a:minorFont).
    struct Collection
    {
        QString latin;
        QString eastAsian; // a:ea, or the a:font for the East Asian theme font language when a:ea is empty
        QString complex;   // a:cs, or the a:font for the bidirectional theme font language when a:cs is empty
    };

    Collection m_major;
    Collection m_minor;
};

} // namespace quill
