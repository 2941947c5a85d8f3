#pragma once

#include <pugixml.hpp>

#include <QColor>
#include <QString>
#include <QTextOption>

#include <array>
#include <map>
#include <optional>

namespace quill {

// How w:line of w:spacing is read.
enum class LineRule {
    Auto,    // w:line in 240ths of a single line
    Exact,   // w:line in twips, exactly
    AtLeast, // w:line in twips, at least
};

// One tab stop of w:tabs; position in twips from the text column's left edge.
struct TabStop
{
    int positionTwips = 0;
    QTextOption::TabType type = QTextOption::LeftTab;
    bool cleared = false; // w:val="clear": removes an inherited stop at this position
    QChar leader;         // w:leader: the character filling the tab's gap up to the stop; null for none
};

// A font w:rFonts gives one group of scripts: a family by name, or a slot of the theme's fonts ("minorHAnsi"),
// which wins when both are given.
struct FontName
{
    QString family;
    QString themeSlot;
};

// One border line of a table, cell, paragraph or run, in logical pixels.
struct BorderLine
{
    bool visible = false;
    qreal widthPixels = 0;
    qreal spacePixels = 0; // between the line and the text it borders (w:space, in points)
    QColor color;

    bool operator==(const BorderLine &other) const
    {
        return visible == other.visible && widthPixels == other.widthPixels && spacePixels == other.spacePixels
               && color == other.color;
    }

    // Reads a border element (w:top, w:insideH, ...): w:val none/nil hides it; w:sz in eighths of a point.
    static BorderLine fromElement(pugi::xml_node border);
};

// Character formatting (w:rPr); every member is unset unless some level of the style hierarchy sets it.
struct RunProperties
{
    std::optional<FontName> latinFont;          // w:ascii (w:hAnsi without it), w:asciiTheme, w:hAnsiTheme
    std::optional<FontName> eastAsianFont;      // w:eastAsia, w:eastAsiaTheme
    std::optional<FontName> complexFont;        // w:cs, w:cstheme
    std::optional<qreal> pointSize;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<bool> underline;
    std::optional<bool> strikeOut;
    std::optional<bool> caps;
    std::optional<bool> smallCaps;
    std::optional<bool> hidden;
    std::optional<QColor> color;                // an invalid colour stands for "auto"
    std::optional<QColor> background;           // shading fill or highlight
    std::optional<int> verticalAlignment;       // QTextCharFormat::VerticalAlignment
    std::optional<qreal> letterSpacingPixels;   // w:spacing, converted from twips
    std::optional<bool> kerning;                // w:kern other than 0: pair kerning
    std::optional<BorderLine> border;           // w:bdr: a box around the text

    // Overlays the properties that the element `rPr` sets.
    void apply(pugi::xml_node rPr);
    // Overlays the properties that `other` sets.
    void apply(const RunProperties &other);
};

// The sides a table border or cell margin is given for.
enum BorderSide { TopSide, LeftSide, BottomSide, RightSide, InsideHorizontal, InsideVertical, kBorderSideCount };

// Paragraph formatting (w:pPr); lengths in twips, unset unless some level sets them.
struct ParagraphProperties
{
    std::optional<Qt::Alignment> alignment;
    std::optional<int> leftIndent;
    std::optional<int> rightIndent;
    std::optional<int> firstLineIndent;         // negative for a hanging indent
    std::optional<int> spaceBefore;
    std::optional<int> spaceAfter;
    // The spaces above and below are Word's automatic ones (w:beforeAutospacing, w:afterAutospacing), which
    // LibreOffice leaves out at the start of the document and at either end of a table cell.
    std::optional<bool> autoSpaceBefore;
    std::optional<bool> autoSpaceAfter;
    std::optional<int> lineSpacing;             // meaning given by lineRule
    std::optional<LineRule> lineRule;
    std::optional<bool> contextualSpacing;
    std::optional<bool> pageBreakBefore;
    std::optional<bool> keepWithNext;
    std::optional<bool> keepLinesTogether;
    std::optional<bool> widowControl;
    std::optional<int> numberingId;
    std::optional<int> numberingLevel;
    std::optional<QColor> shading;              // w:shd; an invalid colour for none
    std::map<int, TabStop> tabs;                // by position in twips
    // w:pBdr by BorderSide (w:between as InsideHorizontal); inside sides other than that unused.
    std::array<std::optional<BorderLine>, kBorderSideCount> borders;

    // Overlays the properties that the element `pPr` sets (its w:rPr, the paragraph mark, is not read here).
    void apply(pugi::xml_node pPr);
    // Overlays the properties that `other` sets.
    void apply(const ParagraphProperties &other);
};

// The four sides of a cell margin.
inline constexpr int kCellMarginSideCount = 4;

// Table-level formatting (w:tblPr of a table or a table style).
struct TableProperties
{
    std::array<std::optional<BorderLine>, kBorderSideCount> borders;
    std::array<std::optional<int>, kCellMarginSideCount> cellMargins; // twips, indexed by BorderSide
    std::optional<int> indent;                  // w:tblInd, twips
    std::optional<Qt::Alignment> alignment;     // w:jc of the table
    std::optional<int> widthPercent50ths;       // w:tblW of type pct: the share of the text column, in 1/50 %
    std::optional<int> rowBandSize;             // rows in one band of a table style (w:tblStyleRowBandSize)
    std::optional<int> columnBandSize;          // columns in one band (w:tblStyleColBandSize)

    // Overlays the properties that the element `tblPr` sets.
    void apply(pugi::xml_node tblPr);
    // Overlays the properties that `other` sets.
    void apply(const TableProperties &other);
};

// Reads a w:jc value (left/start, center, right/end, both/distribute).
std::optional<Qt::Alignment> alignmentFromValue(const QString &value);

// Reads the sides of w:tblBorders, w:tcBorders or w:pBdr (w:between as InsideHorizontal) into `borders`.
void readBorders(pugi::xml_node bordersElement, std::array<std::optional<BorderLine>, kBorderSideCount> &borders);

// Reads the four margin sides of w:tblCellMar or w:tcMar into `margins` (twips).
void readCellMargins(pugi::xml_node marginsElement, std::array<std::optional<int>, kCellMarginSideCount> &margins);

} // namespace quill
