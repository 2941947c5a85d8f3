#pragma once

#include "LengthScale.h"
#include "Numbering.h"
#include "ParagraphBorders.h"
#include "ParagraphFormat.h"
#include "Pictures.h"
#include "RunReader.h"
#include "Sections.h"
#include "StyleSheet.h"
#include "TableCells.h"
#include "TextDocumentBuilder.h"
#include "ThemeFonts.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextFormat>

#include <functional>
#include <memory>

class QTextDocument;
class QTextTable;

namespace quill {

// Writes a document body into QTextDocuments, one per page run: paragraphs with their spacing and page breaks,
// and tables with their cells. The documents are handed over filled, not yet laid out.
class BodyBuilder
{
public:
    // Receives every page run's document, once filled, with the index of the section it begins in.
    using RunFinisher = std::function<void(std::unique_ptr<QTextDocument>, int section)>;

    // Builds with the styles, numbering and settings of `sources`, the pages of `sections` (the body's
    // sections in reading order, at least one), the fields computed at `fields` (when given), the content of
    // part `sourcePart` (whose relationships name its pictures; sources.mainPart when empty).
    BodyBuilder(const LayoutSources &sources, std::vector<Section> sections, RunFinisher finishRun,
                const FieldContext *fields = nullptr, const QString &sourcePart = QString());

    // Writes the content of w:body `body`, handing each page run to the finisher in reading order.
    void addBody(pugi::xml_node body);

private:
    // Qt hides an empty block right after a table; this invisible character keeps it.
    static constexpr char16_t kZeroWidthSpace = 0x200B;

    // What settings.xml tells the layout.
    struct Settings
    {
        int defaultTabStopTwips;
        int compatibilityMode = 0;
        bool addParagraphSpacing = false; // space after and space before add up instead of overlapping
    };

    // The style of the table a paragraph sits in, and what its cell takes from the style's parts; null outside tables.
    struct TableContext
    {
        const ResolvedStyle *style = nullptr;
        const CellFormatting *cell = nullptr;
    };

    // What the next paragraph of a flow (the body or one cell) needs to know about what came before it.
    struct FlowState
    {
        bool atStart = true;            // nothing written in this flow yet
        int pendingAfterTwips = 0;      // space after of the previous paragraph
        bool pendingAfterIsAuto = false; // that space is Word's automatic one
        QString previousStyle;          // style of the previous paragraph, for contextual spacing
        bool previousContextual = false;
        QTextTable *tableBefore = nullptr; // the table right before, when the previous item was a table
        int leadingTwips = 0;           // space before of the first paragraph (cells put it into their padding)
        bool pendingPageBreak = false;  // a page break ended the previous paragraph: the next item starts a page
        qreal contentTwips = 0;         // estimated height of the flow's paragraphs, lines unwrapped
        bool lastWasParagraph = false;
        ParagraphBorders previousBorders; // of the previous paragraph, whose box the next may continue
        int pendingBorderTwips = 0;       // room the previous paragraph's bottom border takes below it
        QTextBlock previousBlock;         // the previous paragraph's last block
    };

    static Settings readSettings(const pugi::xml_document *settings);

    std::unique_ptr<QTextDocument> layOutTextBox(pugi::xml_node content, const PageSetup &box) const;
    void startRun();
    void finishRun();
    void addBlockContent(pugi::xml_node container, const TableContext &context);
    void startBlock(const QTextBlockFormat &format, const QTextCharFormat &markFormat);
    void addSpacer(qreal height);

    void addParagraph(pugi::xml_node p, const TableContext &context);
    void endSection();
    void writeParagraph(const ParagraphProperties &paragraph, const QString &styleId, ParagraphText &text,
                        const QTextCharFormat &markFormat, const QTextCharFormat &blankFormat, bool inTable);
    int placeBorders(QTextBlockFormat &format, const ParagraphBorders &borders, bool startsPage, bool &joinsAbove);
    bool takeEdgeBreaks(ParagraphText &text, bool pageBreakBefore, bool inTable, bool &breakBefore);
    void placeSpaceBefore(QTextBlockFormat &format, int before, int gap, bool firstPart, bool startsPage,
                          bool inTable);

    // Tables (BodyTables.cpp).
    void addTable(pugi::xml_node tbl);
    QTextTableFormat tableFormat(const TableProperties &table, const TableGrid &grid) const;
    qreal textColumnTwips() const;
    std::vector<qreal> columnWidths(const TableProperties &table, const TableGrid &grid) const;
    void fillCells(QTextTable *qtTable, const TableGrid &grid, const ResolvedStyle &style,
                   const TableProperties &table, const TableLook &look);
    CellContent addCellContent(pugi::xml_node tc, int position, const TableContext &context);

    LayoutSources m_sources;
    QString m_sourcePart;
    const FieldContext *m_fields;         // fields computed as they print, or null
    StyleSheet m_styles;
    Numbering m_numbering;
    std::vector<Section> m_sections;
    int m_section = 0;                    // the section being filled
    int m_runSection = 0;                 // the section the page run being filled began in
    LengthScale m_scale; // read once for this layout
    Settings m_settings;
    ThemeFonts m_themeFonts;
    EmbeddedObjects m_objects; // the drawings and check boxes of the part
    RunReader m_runs;
    ParagraphFormatter m_paragraphs;
    RunFinisher m_finishRun;
    std::unique_ptr<QTextDocument> m_run; // the page run being filled
    QTextDocument *m_document = nullptr;  // m_run's
    QTextCursor m_cursor;
    QTextCursor m_runEdit;                // holds m_run's edit block
    bool m_blockUnused = true;   // the cursor's block exists but holds no paragraph yet
    FlowState m_flow;
    int m_tableDepth = 0;
};

} // namespace quill
