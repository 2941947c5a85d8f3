#pragma once

#include "RunReader.h"
#include "WordProperties.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextOption>

#include <map>
#include <vector>

namespace quill {

class LengthScale;

// The block formats of paragraphs: alignment, indents, tab stops and line heights as Qt takes them.
// True when `pieces` hold text and it is nothing but spaces and tabs: LibreOffice gives such a line the height
// of the paragraph's own font (its style's), whatever the font of the spaces or of the paragraph mark.
bool isBlankLine(const std::vector<TextPiece> &pieces);

class ParagraphFormatter
{
public:
    // Formats with the lengths of `scale` (which outlives the formatter) and Word's default tab stop interval.
    ParagraphFormatter(const LengthScale &scale, int defaultTabStopTwips);

    // The alignment, indents, tab stops and shading of `paragraph`.
    QTextBlockFormat blockFormat(const ParagraphProperties &paragraph) const;
    // Makes `format`, that of the first line of `paragraph`, that of a block holding its lines after a line
    // break: they start at the left indent, and so are their tab stops measured.
    void continueAfterBreak(QTextBlockFormat &format, const ParagraphProperties &paragraph) const;
    // Sets the line height of a paragraph part holding `pieces` (its mark's format when it holds no text,
    // `blankFormat`, the paragraph's own font, when it holds nothing but spaces and tabs); returns it, in
    // logical pixels. In a table cell (`inCell`) a line as tall as its font keeps its baseline at the font's ascent.
    qreal applyLineHeight(QTextBlockFormat &format, const ParagraphProperties &paragraph,
                          const std::vector<TextPiece> &pieces, const QTextCharFormat &markFormat,
                          const QTextCharFormat &blankFormat, bool inCell = false);
    // The lines of a paragraph part cut at its line breaks wherever the next line's fonts give it another
    // height, each group to be laid out as a block of its own: LibreOffice sizes every line by the fonts on
    // it, Qt gives all lines of a block one height. Cut after the first line too where a later line holds a
    // tab and the first line starts elsewhere than the others (its stops are measured from its own start).
    // Empty when the part stays one block (no break, a picture in it, or no tab to place and one height,
    // a line without text or spacing that Qt already applies line by line).
    std::vector<std::vector<TextPiece>> groupsOfEqualHeight(const ParagraphProperties &paragraph,
                                                            const std::vector<TextPiece> &pieces);

    // Starts a new line before each picture of `pieces` that cannot stand beside the text before it in a line
    // `widthPixels` wide (logical pixels), as LibreOffice moves it down: Qt would move it too, but would leave
    // the line it leaves as tall as the picture.
    void breakBeforeWidePictures(std::vector<TextPiece> &pieces, qreal widthPixels) const;
    // Takes the joiners that hold slashes to the text after them, where they stand as pieces of their own,
    // out of each word of `pieces` wider than a line `widthPixels` wide (logical pixels): LibreOffice moves a
    // word (a path, an address) down whole where it fits in a line, and breaks a longer one after a slash.
    void releaseOverlongWords(std::vector<TextPiece> &pieces, qreal widthPixels) const;

private:
    // One single-spaced line of a font: its height in logical pixels (whole twips, as LibreOffice measures)
    // and the height Qt gives the line on the layout device (rounded up to whole device pixels).
    struct LineMetrics
    {
        qreal height = 0;
        qreal deviceHeight = 0;
    };

    // One line of a paragraph part: its pieces, ended by its break (the last by the part's end), its height
    // in logical pixels (0 where it holds no text) and whether it holds a tab.
    struct Line
    {
        std::vector<TextPiece> pieces;
        qreal height = 0;
        bool holdsTab = false;
    };

    LineMetrics lineMetrics(const QTextCharFormat &format);
    // The lines of `pieces`; none where a piece raises its line (a picture).
    std::vector<Line> linesOf(const std::vector<TextPiece> &pieces);
    static qreal wordWidth(const std::vector<TextPiece> &pieces, const std::vector<size_t> &owner, const QString &all,
                           qsizetype start, qsizetype end);
    void applyTabStops(QTextBlockFormat &format, const ParagraphProperties &paragraph, int origin) const;

    const LengthScale &m_scale;
    int m_defaultTabStopTwips;
    QHash<QString, LineMetrics> m_lineMetrics; // by font key
};

} // namespace quill
