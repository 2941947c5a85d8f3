#pragma once

#include "WordProperties.h"

#include <pugixml.hpp>

#include <QColor>

#include <array>
#include <optional>

namespace quill {

struct CellInfo;
struct TableGrid;

// Where a cell's text sits between its top and bottom (w:vAlign).
enum class CellAlignment { Top, Center, Bottom };

// Cell formatting (w:tcPr of a cell, of a table style or of one of its parts); unset unless some level sets it.
struct CellProperties
{
    // By BorderSide; the inside sides only mean something for a part of a table style, between its cells.
    std::array<std::optional<BorderLine>, kBorderSideCount> borders;
    std::optional<QColor> shading;                              // an invalid colour for none
    std::optional<CellAlignment> alignment;
    std::array<std::optional<int>, kCellMarginSideCount> margins; // twips, indexed by BorderSide

    // Overlays the properties that the element `tcPr` sets.
    void apply(pugi::xml_node tcPr);
    // Overlays the properties that `other` sets.
    void apply(const CellProperties &other);
};

// The parts of a table that a table style formats apart (w:tblStylePr), in the order their formatting is laid
// over each other, later parts winning, as LibreOffice lays them: row bands, column bands, first and last
// column, first and last row, corner cells.
enum TablePart {
    Band1Horizontal, Band2Horizontal, Band1Vertical, Band2Vertical, FirstColumn, LastColumn, FirstRow, LastRow,
    NorthWestCell, NorthEastCell, SouthWestCell, SouthEastCell, kTablePartCount
};

// The formatting a table style gives a table or one part of it.
struct TablePartFormat
{
    ParagraphProperties paragraph;
    RunProperties run;
    TableProperties table; // the part's borders as a whole: outer sides at its edges, inside sides within
    CellProperties cell;
    std::optional<bool> repeatsAsHeader; // w:tblHeader of the part's w:trPr: its rows repeat on every page

    // Overlays the w:pPr, w:rPr, w:tblPr, w:trPr and w:tcPr children of `container` (a w:style or w:tblStylePr).
    void apply(pugi::xml_node container);
    // Overlays what `other` sets.
    void apply(const TablePartFormat &other);
};

// What a style gives the tables that take it: table and cell formatting, and that of each part.
struct TableStyle
{
    TableProperties properties; // w:tblPr
    CellProperties cell;        // w:tcPr
    std::array<TablePartFormat, kTablePartCount> parts;

    // Overlays the w:tblPr, w:tcPr and w:tblStylePr children of the w:style element `style`.
    void apply(pugi::xml_node style);
};

// Which parts of its style a table shows (w:tblLook): the on/off attributes where given, else the bits of
// the older hexadecimal w:val; a table without w:tblLook shows first row, first column and row bands.
struct TableLook
{
    bool firstRow = true;
    bool lastRow = false;
    bool firstColumn = true;
    bool lastColumn = false;
    bool rowBands = true;
    bool columnBands = false;

    static TableLook fromElement(pugi::xml_node tblLook);
};

// What one cell of a table takes from the parts of its table's style that it lies in (paragraph and run
// properties for its paragraphs), and its own formatting with the borders of its four sides decided: the
// table's, its style's parts', then its own.
struct CellFormatting
{
    ParagraphProperties paragraph;
    RunProperties run;
    CellProperties cell;
};

// The formatting of `cell` in a table of `grid` with the style `style`, the table properties `table` (the style's
// overlaid with the table's own) and the look `look`.
CellFormatting cellFormatting(const TableStyle &style, const TableProperties &table, const TableLook &look,
                              const TableGrid &grid, const CellInfo &cell);

} // namespace quill
