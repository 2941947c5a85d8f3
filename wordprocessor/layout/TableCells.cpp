#include "TableCells.h"

#include "LengthScale.h"
#include "WordXml.h"

#include <QBrush>

#include <array>
#include <set>
#include <utility>

namespace quill {

namespace {

// Width of a table column the grid does not describe (one inch), in twips.
constexpr int kFallbackColumnTwips = 1440;
// Deepest nesting of content controls followed to the rows and cells they wrap.
constexpr int kMaxControlDepth = 32;

// The `name` elements (w:tr, w:tc) among `parent`'s children, in order, with those that content controls
// (w:sdt) wrap: a control may hold rows of a table or cells of a row.
void collectThroughControls(pugi::xml_node parent, const char *name, std::vector<pugi::xml_node> &found, int depth = 0)
{
    for (const pugi::xml_node child : parent.children()) {
        if (isElement(child, name))
            found.push_back(child);
        else if (isElement(child, "sdt") && depth < kMaxControlDepth)
            collectThroughControls(childElement(child, "sdtContent"), name, found, depth + 1);
    }
}

} // namespace

TableGrid readTableGrid(pugi::xml_node tbl)
{
    TableGrid grid;
    for (pugi::xml_node col = childElement(childElement(tbl, "tblGrid"), "gridCol"); col; col = col.next_sibling()) {
        if (isElement(col, "gridCol"))
            grid.columnWidths.push_back(intAttribute(col, "w").value_or(0));
    }

    std::vector<pugi::xml_node> rows;
    collectThroughControls(tbl, "tr", rows);
    int columnCount = static_cast<int>(grid.columnWidths.size());
    bool headerRun = true;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const pugi::xml_node trPr = childElement(rows[r], "trPr");
        const pugi::xml_node height = childElement(trPr, "trHeight");
        grid.rowHeights.push_back(qMax(0, intAttribute(height, "val").value_or(0)));
        grid.exactRows.push_back(textAttribute(height, "hRule") == QLatin1String("exact"));
        headerRun = headerRun && isOn(childElement(trPr, "tblHeader"));
        if (headerRun)
            ++grid.headerRows;
        int column = intAttribute(childElement(trPr, "gridBefore"), "val").value_or(0);
        std::vector<pugi::xml_node> cells;
        collectThroughControls(rows[r], "tc", cells);
        for (const pugi::xml_node tc : cells) {
            const pugi::xml_node tcPr = childElement(tc, "tcPr");
            CellInfo cell;
            cell.node = tc;
            cell.row = r;
            cell.column = column;
            cell.span = qMax(1, intAttribute(childElement(tcPr, "gridSpan"), "val").value_or(1));
            const pugi::xml_node vMerge = childElement(tcPr, "vMerge");
            cell.continuesAbove = vMerge && textAttribute(vMerge, "val") != QLatin1String("restart");
            grid.cells.push_back(cell);
            column += cell.span;
        }
        columnCount = qMax(columnCount, column);
    }
    if (rows.empty() || columnCount == 0)
        return TableGrid();
    grid.rowCount = static_cast<int>(rows.size());
    grid.columnCount = columnCount;
    std::vector<int> &widths = grid.columnWidths;
    while (static_cast<int>(widths.size()) < columnCount)
        widths.push_back(widths.empty() ? kFallbackColumnTwips : widths.back());

    // Rows spanned by each vertically merged cell.
    std::set<std::pair<int, int>> continuations; // (row, column) of cells that continue the one above
    for (const CellInfo &cell : grid.cells) {
        if (cell.continuesAbove)
            continuations.emplace(cell.row, cell.column);
    }
    for (CellInfo &cell : grid.cells) {
        if (cell.continuesAbove)
            continue;
        while (continuations.count({cell.row + cell.rowSpan, cell.column}) > 0)
            ++cell.rowSpan;
    }

    return grid;
}

QTextTableCellFormat cellFormat(const CellInfo &cell, const QTextTableCell &qtCell, const CellProperties &properties,
                                const TableGrid &grid, const CellContent &content, const LengthScale &scale)
{
    const auto &margins = properties.margins;
    std::array<BorderLine, kCellMarginSideCount> borders;
    for (int side = 0; side < kCellMarginSideCount; ++side)
        borders[side] = properties.borders[side].value_or(BorderLine());

    const int topTwips = margins[TopSide].value_or(0) + content.leadingTwips;
    const int bottomTwips = margins[BottomSide].value_or(0) + content.trailingTwips;
    const CellAlignment vAlign = properties.alignment.value_or(CellAlignment::Top);
    // A fresh format must carry the merge, which Qt keeps in the cell's format.
    QTextTableCellFormat format;
    format.setTableCellColumnSpan(qtCell.columnSpan());
    format.setTableCellRowSpan(qtCell.rowSpan());
    if (vAlign == CellAlignment::Center)
        format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    else if (vAlign == CellAlignment::Bottom)
        format.setVerticalAlignment(QTextCharFormat::AlignBottom);
    // Qt has no row height: a row's height (w:trHeight) pads its cells. The content height is an estimate
    // (its lines unwrapped); an exact row's cells are measured again once laid out (fitExactRows).
    const int rowHeightTwips = cell.rowSpan == 1 ? grid.rowHeights[cell.row] : 0;
    padCell(format, {topTwips, bottomTwips}, rowHeightTwips, content.contentTwips, scale);
    if (rowHeightTwips > 0 && grid.exactRows[cell.row]) {
        format.setProperty(ExactRowHeightProperty, rowHeightTwips);
        format.setProperty(ExactRowTopPaddingProperty, topTwips);
        format.setProperty(ExactRowBottomPaddingProperty, bottomTwips);
    }
    format.setLeftPadding(scale.scaled(margins[LeftSide].value_or(kDefaultCellMarginTwips)));
    format.setRightPadding(scale.scaled(margins[RightSide].value_or(kDefaultCellMarginTwips)));
    const auto setBorder = [&](BorderSide side, auto setWidth, auto setStyle, auto setBrush) {
        const BorderLine &line = borders[side];
        (format.*setWidth)(line.visible ? scale.scaled(line.widthPixels * kTwipsPerPixel) : 0);
        (format.*setStyle)(line.visible ? QTextFrameFormat::BorderStyle_Solid : QTextFrameFormat::BorderStyle_None);
        (format.*setBrush)(QBrush(line.visible ? line.color : QColor(Qt::transparent)));
    };
    setBorder(TopSide, &QTextTableCellFormat::setTopBorder, &QTextTableCellFormat::setTopBorderStyle,
              &QTextTableCellFormat::setTopBorderBrush);
    setBorder(BottomSide, &QTextTableCellFormat::setBottomBorder, &QTextTableCellFormat::setBottomBorderStyle,
              &QTextTableCellFormat::setBottomBorderBrush);
    setBorder(LeftSide, &QTextTableCellFormat::setLeftBorder, &QTextTableCellFormat::setLeftBorderStyle,
              &QTextTableCellFormat::setLeftBorderBrush);
    setBorder(RightSide, &QTextTableCellFormat::setRightBorder, &QTextTableCellFormat::setRightBorderStyle,
              &QTextTableCellFormat::setRightBorderBrush);
    if (properties.shading && properties.shading->isValid())
        format.setBackground(*properties.shading);
    return format;
}

void padCell(QTextTableCellFormat &format, CellPadding padding, int rowHeightTwips, qreal contentTwips,
             const LengthScale &scale)
{
    // The shortfall pads the cell on the side away from where its text sits.
    const int shortfall = qRound(rowHeightTwips - (padding.topTwips + contentTwips + padding.bottomTwips));
    if (shortfall > 0) {
        const int alignment = format.verticalAlignment();
        if (alignment == QTextCharFormat::AlignBottom)
            padding.topTwips += shortfall;
        else if (alignment == QTextCharFormat::AlignMiddle) {
            padding.topTwips += shortfall / 2;
            padding.bottomTwips += shortfall - shortfall / 2;
        } else
            padding.bottomTwips += shortfall;
    }
    format.setTopPadding(scale.scaled(padding.topTwips));
    format.setBottomPadding(scale.scaled(padding.bottomTwips));
}

} // namespace quill
