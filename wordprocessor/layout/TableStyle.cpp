#include "TableStyle.h"

#include "Shading.h"
#include "TableCells.h"
#include "WordXml.h"

#include <QString>

namespace quill {

namespace {

// w:tblLook's older form: one hexadecimal value whose bits turn parts on (and bands off).
constexpr int kLookFirstRow = 0x0020;
constexpr int kLookLastRow = 0x0040;
constexpr int kLookFirstColumn = 0x0080;
constexpr int kLookLastColumn = 0x0100;
constexpr int kLookNoRowBands = 0x0200;
constexpr int kLookNoColumnBands = 0x0400;
// What a table without w:tblLook shows, as LibreOffice reads it: first row, first column, row bands.
constexpr int kDefaultLook = 0x04A0;
constexpr int kHexadecimal = 16;

template<typename T>
void overlay(std::optional<T> &target, const std::optional<T> &source)
{
    if (source)
        target = source;
}

std::optional<TablePart> partFromType(const QString &type)
{
    static const std::pair<const char *, TablePart> kTypes[] = {
        {"band1Horz", Band1Horizontal}, {"band2Horz", Band2Horizontal}, {"band1Vert", Band1Vertical},
        {"band2Vert", Band2Vertical}, {"firstCol", FirstColumn}, {"lastCol", LastColumn}, {"firstRow", FirstRow},
        {"lastRow", LastRow}, {"nwCell", NorthWestCell}, {"neCell", NorthEastCell}, {"swCell", SouthWestCell},
        {"seCell", SouthEastCell},
    };
    for (const auto &[name, part] : kTypes) {
        if (type == QLatin1String(name))
            return part;
    }
    return std::nullopt;
}

// The rows and columns of the piece of a part that holds a cell, inclusive.
struct Region
{
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

// The band (of `size` lines) that holds line `line` of the banded lines `first`..`last`: its part
// (`band1` or the one after it) and its extent. False when the line is not banded.
bool bandOf(int line, int first, int last, int size, int band1, int &part, int &bandFirst, int &bandLast)
{
    if (line < first || line > last)
        return false;
    const int index = (line - first) / size;
    part = band1 + index % 2;
    bandFirst = first + index * size;
    bandLast = qMin(last, bandFirst + size - 1);
    return true;
}

// Every part of the style that `cell` lies in, with the region of it that holds the cell, in TablePart order.
std::vector<std::pair<TablePart, Region>> partsOfCell(const TableProperties &table, const TableLook &look,
                                                      const TableGrid &grid, const CellInfo &cell)
{
    const int lastRow = grid.rowCount - 1;
    const int lastColumn = grid.columnCount - 1;
    const int cellBottom = cell.row + cell.rowSpan - 1;
    const int cellRight = cell.column + cell.span - 1;
    std::array<std::optional<Region>, kTablePartCount> found;
    int part = 0;
    int first = 0;
    int last = 0;
    if (look.rowBands
        && bandOf(cell.row, look.firstRow ? 1 : 0, look.lastRow ? lastRow - 1 : lastRow,
                  qMax(1, table.rowBandSize.value_or(1)), Band1Horizontal, part, first, last))
        found[part] = Region{first, last, 0, lastColumn};
    if (look.columnBands
        && bandOf(cell.column, look.firstColumn ? 1 : 0, look.lastColumn ? lastColumn - 1 : lastColumn,
                  qMax(1, table.columnBandSize.value_or(1)), Band1Vertical, part, first, last))
        found[part] = Region{0, lastRow, first, last};
    const bool inFirstRow = look.firstRow && cell.row == 0;
    const bool inLastRow = look.lastRow && cellBottom == lastRow;
    const bool inFirstColumn = look.firstColumn && cell.column == 0;
    const bool inLastColumn = look.lastColumn && cellRight == lastColumn;
    if (inFirstColumn)
        found[FirstColumn] = Region{0, lastRow, 0, 0};
    if (inLastColumn)
        found[LastColumn] = Region{0, lastRow, lastColumn, lastColumn};
    if (inFirstRow)
        found[FirstRow] = Region{0, 0, 0, lastColumn};
    if (inLastRow)
        found[LastRow] = Region{lastRow, lastRow, 0, lastColumn};
    const Region corner{cell.row, cellBottom, cell.column, cellRight};
    if (inFirstRow && inFirstColumn)
        found[NorthWestCell] = corner;
    if (inFirstRow && inLastColumn)
        found[NorthEastCell] = corner;
    if (inLastRow && inFirstColumn)
        found[SouthWestCell] = corner;
    if (inLastRow && inLastColumn)
        found[SouthEastCell] = corner;

    std::vector<std::pair<TablePart, Region>> parts;
    for (int index = 0; index < kTablePartCount; ++index) {
        if (found[index])
            parts.emplace_back(static_cast<TablePart>(index), *found[index]);
    }
    return parts;
}

// Lays the borders `borders` of a region over the four sides of `cell`: the region's outer sides where the
// cell meets its edge, its inside sides elsewhere.
void overlayRegionBorders(const std::array<std::optional<BorderLine>, kBorderSideCount> &borders,
                          const Region &region, const CellInfo &cell,
                          std::array<std::optional<BorderLine>, kBorderSideCount> &sides)
{
    const bool atTop = cell.row <= region.top;
    const bool atBottom = cell.row + cell.rowSpan - 1 >= region.bottom;
    const bool atLeft = cell.column <= region.left;
    const bool atRight = cell.column + cell.span - 1 >= region.right;
    overlay(sides[TopSide], borders[atTop ? TopSide : InsideHorizontal]);
    overlay(sides[BottomSide], borders[atBottom ? BottomSide : InsideHorizontal]);
    overlay(sides[LeftSide], borders[atLeft ? LeftSide : InsideVertical]);
    overlay(sides[RightSide], borders[atRight ? RightSide : InsideVertical]);
}

// Overlays everything of `from` but its borders.
void overlayCellFormat(CellProperties &cell, const CellProperties &from)
{
    overlay(cell.shading, from.shading);
    overlay(cell.alignment, from.alignment);
    for (int side = 0; side < kCellMarginSideCount; ++side)
        overlay(cell.margins[side], from.margins[side]);
}

} // namespace

void CellProperties::apply(pugi::xml_node tcPr)
{
    readBorders(childElement(tcPr, "tcBorders"), borders);
    overlay(shading, shadingColor(childElement(tcPr, "shd")));
    if (const pugi::xml_node vAlign = childElement(tcPr, "vAlign")) {
        const QString value = textAttribute(vAlign, "val");
        alignment = value == QLatin1String("center")   ? CellAlignment::Center
                    : value == QLatin1String("bottom") ? CellAlignment::Bottom
                                                       : CellAlignment::Top;
    }
    readCellMargins(childElement(tcPr, "tcMar"), margins);
}

void CellProperties::apply(const CellProperties &other)
{
    for (int side = 0; side < kBorderSideCount; ++side)
        overlay(borders[side], other.borders[side]);
    overlayCellFormat(*this, other);
}

void TablePartFormat::apply(pugi::xml_node container)
{
    paragraph.apply(childElement(container, "pPr"));
    run.apply(childElement(container, "rPr"));
    table.apply(childElement(container, "tblPr"));
    cell.apply(childElement(container, "tcPr"));
    if (const pugi::xml_node header = childElement(childElement(container, "trPr"), "tblHeader"))
        repeatsAsHeader = isOn(header);
}

void TablePartFormat::apply(const TablePartFormat &other)
{
    paragraph.apply(other.paragraph);
    run.apply(other.run);
    table.apply(other.table);
    if (other.repeatsAsHeader)
        repeatsAsHeader = other.repeatsAsHeader;
    cell.apply(other.cell);
}

void TableStyle::apply(pugi::xml_node style)
{
    properties.apply(childElement(style, "tblPr"));
    cell.apply(childElement(style, "tcPr"));
    for (pugi::xml_node child = style.first_child(); child; child = child.next_sibling()) {
        if (!isElement(child, "tblStylePr"))
            continue;
        if (const std::optional<TablePart> part = partFromType(textAttribute(child, "type")))
            parts[*part].apply(child);
    }
}

TableLook TableLook::fromElement(pugi::xml_node tblLook)
{
    // Without the element, the default look; without the hexadecimal value, the attributes alone decide.
    int bits = tblLook ? 0 : kDefaultLook;
    bool ok = false;
    if (const int value = textAttribute(tblLook, "val").toInt(&ok, kHexadecimal); ok)
        bits = value;
    const auto flag = [&](const char *name, int bit) {
        const pugi::xml_attribute given = attribute(tblLook, name);
        return given ? given.as_bool() : (bits & bit) != 0;
    };
    TableLook look;
    look.firstRow = flag("firstRow", kLookFirstRow);
    look.lastRow = flag("lastRow", kLookLastRow);
    look.firstColumn = flag("firstColumn", kLookFirstColumn);
    look.lastColumn = flag("lastColumn", kLookLastColumn);
    look.rowBands = !flag("noHBand", kLookNoRowBands);
    look.columnBands = !flag("noVBand", kLookNoColumnBands);
    return look;
}

CellFormatting cellFormatting(const TableStyle &style, const TableProperties &table, const TableLook &look,
                              const TableGrid &grid, const CellInfo &cell)
{
    CellFormatting result;
    CellProperties &format = result.cell;
    format.margins = table.cellMargins;
    const Region whole{0, grid.rowCount - 1, 0, grid.columnCount - 1};
    overlayRegionBorders(table.borders, whole, cell, format.borders);
    overlayRegionBorders(style.cell.borders, whole, cell, format.borders);
    overlayCellFormat(format, style.cell);
    for (const auto &[part, region] : partsOfCell(table, look, grid, cell)) {
        const TablePartFormat &partFormat = style.parts[part];
        result.paragraph.apply(partFormat.paragraph);
        result.run.apply(partFormat.run);
        overlayRegionBorders(partFormat.table.borders, region, cell, format.borders);
        overlayRegionBorders(partFormat.cell.borders, region, cell, format.borders);
        overlayCellFormat(format, partFormat.cell);
    }
    CellProperties own;
    own.apply(childElement(cell.node, "tcPr"));
    format.apply(own);
    return result;
}

} // namespace quill
