#pragma once

#include "TableStyle.h"

#include <QTextTableCell>
#include <QTextTableCellFormat>

#include <pugixml.hpp>

#include <vector>

namespace quill {

class LengthScale;

// Word's default left and right cell margin, in twips.
inline constexpr int kDefaultCellMarginTwips = 108;

// One w:tc and where it sits in its table's grid.
struct CellInfo
{
    pugi::xml_node node;
    int row = 0;
    int column = 0;
    int span = 1;
    int rowSpan = 1;
    bool continuesAbove = false; // w:vMerge without "restart": part of the cell above
};

// The grid of a w:tbl: its columns, rows and cells, vertical merges resolved.
struct TableGrid
{
    std::vector<int> columnWidths; // in twips, one per grid column
    int rowCount = 0;
    int columnCount = 0;
    int headerRows = 0;            // rows repeated at the top of each page (w:tblHeader), from the first
    std::vector<int> rowHeights;   // w:trHeight per row, in twips (0 for none)
    std::vector<bool> exactRows;   // per row: its height is exact (w:hRule="exact"), not a minimum
    std::vector<CellInfo> cells;   // in document order
};

// What a cell's content tells the cell's format: spacing its padding takes up, and its estimated height.
struct CellContent
{
    int leadingTwips = 0;
    int trailingTwips = 0;
    qreal contentTwips = 0;
};

// Set on the format of a cell whose row is exactly as tall as its w:trHeight: that height, and the cell's
// own top and bottom padding before the row's height padded it (all in twips).
enum ExactRowProperty {
    ExactRowHeightProperty = QTextFormat::UserProperty + 52,
    ExactRowTopPaddingProperty,
    ExactRowBottomPaddingProperty,
};

// A cell's padding above and below its content, in twips.
struct CellPadding
{
    int topTwips = 0;
    int bottomTwips = 0;
};

// The grid of `tbl`; no rows or no columns when it has nothing to lay out. Columns the grid does not describe
// take the width of the last one described.
TableGrid readTableGrid(pugi::xml_node tbl);

// The format of `cell` with the formatting `properties` (its four sides' borders decided): padding, borders,
// shading and vertical alignment. `qtCell` is the cell in Qt's table, whose merge the format keeps.
QTextTableCellFormat cellFormat(const CellInfo &cell, const QTextTableCell &qtCell, const CellProperties &properties,
                                const TableGrid &grid, const CellContent &content, const LengthScale &scale);

// Sets the padding of a cell's `format` (its vertical alignment set): `padding`, widened where the content
// (`contentTwips` tall) leaves the cell short of `rowHeightTwips`, on the side away from where its text sits.
void padCell(QTextTableCellFormat &format, CellPadding padding, int rowHeightTwips, qreal contentTwips,
             const LengthScale &scale);

} // namespace quill
