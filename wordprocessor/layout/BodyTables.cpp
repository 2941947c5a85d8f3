#include "BodyBuilder.h"

#include "RowHeights.h"
#include "WordXml.h"

#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <numeric>

// The tables of a body: their grid, format and cells, each cell's content written as a flow of its own.

namespace quill {

namespace {

// From this compatibility mode on (Word 2013) a table's indent is measured to its edge, not to its text.
constexpr int kTableEdgeIndentCompatibilityMode = 15;
// A table width of type pct that fills the text column (100 %, in fiftieths of a percent).
constexpr qreal kWholeWidth50ths = 5000;

} // namespace

void BodyBuilder::addTable(pugi::xml_node tbl)
{
    const pugi::xml_node tblPr = childElement(tbl, "tblPr");
    QString styleId = textAttribute(childElement(tblPr, "tblStyle"), "val");
    if (styleId.isEmpty())
        styleId = m_styles.defaultTableStyle();
    const ResolvedStyle &style = m_styles.style(styleId);
    TableProperties table = style.table.properties;
    table.apply(tblPr);
    TableGrid grid = readTableGrid(tbl);
    if (grid.rowCount == 0 || grid.columnCount == 0)
        return;
    const TableLook look = TableLook::fromElement(childElement(tblPr, "tblLook"));
    // A style whose first row is a header row makes the table's first row repeat on every page.
    if (grid.headerRows == 0 && look.firstRow && style.table.parts[FirstRow].repeatsAsHeader.value_or(false))
        grid.headerRows = 1;

    QTextTableFormat format = tableFormat(table, grid);
    if (m_flow.pendingPageBreak) {
        // Page breaks are never read inside tables: this one is in the body and starts a page run,
        // unless nothing precedes it (a break there would leave the first page blank).
        if (!m_flow.atStart)
            startRun();
        format.setTopMargin(0);
        m_flow.pendingPageBreak = false;
    }
    // Qt repeats a table's top margin on every page the table runs onto: the space between the paragraph
    // above and the table is a spacer of its own instead (not empty, which Qt would hide before a table).
    if (format.topMargin() > 0 && !m_flow.atStart) {
        addSpacer(format.topMargin());
        m_cursor.insertText(QString(QChar(kZeroWidthSpace)));
        m_blockUnused = false;
        format.setTopMargin(0);
    }

    // A table inserted into a used block would hide that block if it is empty: give the table a fresh one.
    if (!m_blockUnused) {
        m_cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        m_blockUnused = true;
    }
    QTextTable *qtTable = m_cursor.insertTable(grid.rowCount, grid.columnCount, format);

    for (const CellInfo &cell : grid.cells) {
        if (cell.continuesAbove || cell.column >= grid.columnCount)
            continue;
        const int span = qMin(cell.span, grid.columnCount - cell.column);
        if (span > 1 || cell.rowSpan > 1)
            qtTable->mergeCells(cell.row, cell.column, cell.rowSpan, span);
    }
    fillCells(qtTable, grid, style, table, look);

    m_cursor = qtTable->lastCursorPosition();
    m_cursor.movePosition(QTextCursor::NextBlock);
    m_blockUnused = true;
    m_flow.atStart = false;
    m_flow.tableBefore = qtTable;
    m_flow.pendingAfterTwips = 0;
    m_flow.pendingBorderTwips = 0;
    m_flow.previousBorders = ParagraphBorders();
    m_flow.previousBlock = QTextBlock();
    m_flow.previousStyle.clear();
    m_flow.previousContextual = false;
    m_flow.lastWasParagraph = false;
}

// The format of a table with the properties `table`: its column widths, alignment, indent and space above.
QTextTableFormat BodyBuilder::tableFormat(const TableProperties &table, const TableGrid &grid) const
{
    const int leftCellMargin = table.cellMargins[LeftSide].value_or(kDefaultCellMarginTwips);
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(0);
    const std::vector<qreal> columns = columnWidths(table, grid);
    QList<QTextLength> widths;
    for (qreal twips : columns)
        widths.append(QTextLength(QTextLength::FixedLength, m_scale.scaled(twips)));
    format.setColumnWidthConstraints(widths);
    const Qt::Alignment alignment = table.alignment.value_or(Qt::AlignLeft);
    int indent = table.indent.value_or(0);
    if (m_settings.compatibilityMode < kTableEdgeIndentCompatibilityMode)
        indent -= leftCellMargin;
    if (m_tableDepth > 0 || !(alignment & (Qt::AlignHCenter | Qt::AlignRight))) {
        format.setAlignment(m_tableDepth > 0 ? alignment : Qt::AlignLeft);
        format.setLeftMargin(m_scale.scaled(indent));
    } else {
        // Qt would put a table wider than the column at the column's left edge, and counts a negative indent
        // into a centred table's width: place a body table from the column's left edge, as LibreOffice does,
        // centred or right-aligned even where it sticks out of the column (the indent does not count then).
        const qreal tableTwips = std::accumulate(columns.begin(), columns.end(), qreal(0));
        const qreal room = textColumnTwips() - tableTwips;
        format.setAlignment(Qt::AlignLeft);
        format.setLeftMargin(m_scale.scaled(alignment & Qt::AlignHCenter ? room / 2 : room));
    }
    format.setTopMargin(m_flow.atStart ? 0 : m_scale.scaled(m_flow.pendingAfterTwips + m_flow.pendingBorderTwips));
    format.setHeaderRowCount(grid.headerRows);
    return format;
}

// The widths of a table's columns, in twips: its grid's, stretched to its width where that is a share of
// the text column (a body table's; LibreOffice sizes nested tables by their grid).
std::vector<qreal> BodyBuilder::columnWidths(const TableProperties &table, const TableGrid &grid) const
{
    std::vector<qreal> widths(grid.columnWidths.begin(), grid.columnWidths.end());
    const qreal gridTwips = std::accumulate(widths.begin(), widths.end(), qreal(0));
    if (!table.widthPercent50ths || m_tableDepth > 0 || gridTwips <= 0)
        return widths;
    const qreal factor = textColumnTwips() * *table.widthPercent50ths / kWholeWidth50ths / gridTwips;
    for (qreal &width : widths)
        width *= factor;
    return widths;
}

// Writes every cell's content into `qtTable`, then formats the cells.
void BodyBuilder::fillCells(QTextTable *qtTable, const TableGrid &grid, const ResolvedStyle &style,
                            const TableProperties &table, const TableLook &look)
{
    // Fill the cells in document order. Asking the table for a cell after each insertion would rebuild its
    // cell grid every time; instead take every cell's start once and follow the insertions by their length.
    std::vector<const CellInfo *> filled;
    std::vector<int> starts;
    for (const CellInfo &cell : grid.cells) {
        if (cell.continuesAbove || cell.column >= grid.columnCount)
            continue;
        filled.push_back(&cell);
        starts.push_back(qtTable->cellAt(cell.row, cell.column).firstPosition());
    }
    std::vector<CellContent> contents;
    std::vector<CellFormatting> formats;
    int shift = 0;
    ++m_tableDepth;
    for (size_t i = 0; i < filled.size(); ++i) {
        formats.push_back(cellFormatting(style.table, table, look, grid, *filled[i]));
        const int lengthBefore = m_document->characterCount();
        contents.push_back(addCellContent(filled[i]->node, starts[i] + shift, TableContext{&style, &formats.back()}));
        shift += m_document->characterCount() - lengthBefore;
    }
    --m_tableDepth;
    for (size_t i = 0; i < filled.size(); ++i) {
        QTextTableCell qtCell = qtTable->cellAt(filled[i]->row, filled[i]->column);
        qtCell.setFormat(cellFormat(*filled[i], qtCell, formats[i].cell, grid, contents[i], m_scale));
    }
    if (std::find(grid.exactRows.begin(), grid.exactRows.end(), true) != grid.exactRows.end())
        markExactRows(*m_document);
}

// Writes the content of a cell whose first position is `position`; returns the space before its first
// paragraph and after its last one (twips), which the cell's padding takes up.
CellContent BodyBuilder::addCellContent(pugi::xml_node tc, int position, const TableContext &context)
{
    const FlowState outerFlow = m_flow;
    m_flow = FlowState();
    m_cursor = QTextCursor(m_document);
    m_cursor.setPosition(position);
    m_blockUnused = true;
    addBlockContent(tc, context);
    CellContent content;
    content.leadingTwips = m_flow.leadingTwips;
    // LibreOffice leaves out Word's automatic space below the last paragraph of a cell.
    const int trailingAfter = m_flow.pendingAfterIsAuto ? 0 : m_flow.pendingAfterTwips;
    content.trailingTwips = m_flow.lastWasParagraph ? trailingAfter + m_flow.pendingBorderTwips : 0;
    content.contentTwips = m_flow.contentTwips;
    m_flow = outerFlow;
    return content;
}

} // namespace quill
