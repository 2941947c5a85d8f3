#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "DocxParts.h"
#include "TextDocumentBuilder.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QtTest>

#include <cmath>

using quill::test::DocxParts;
using quill::test::parseXml;

namespace {

constexpr char kNamespace[] = R"(xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")";
// US Letter with 1.25-inch side and 1-inch top and bottom margins, in twips.
constexpr char kLetterSection[] =
    R"(<w:sectPr><w:pgSz w:w="12240" w:h="15840"/>)"
    R"(<w:pgMar w:top="1440" w:right="1800" w:bottom="1440" w:left="1800" w:header="720" w:footer="720" w:gutter="0"/></w:sectPr>)";

QByteArray documentXml(const QString &body, const QString &section = QString::fromLatin1(kLetterSection))
{
    return QStringLiteral("<w:document %1><w:body>%2%3</w:body></w:document>")
        .arg(QLatin1String(kNamespace), body, section)
        .toUtf8();
}

QByteArray stylesXml(const QString &content)
{
    return QStringLiteral("<w:styles %1>%2</w:styles>").arg(QLatin1String(kNamespace), content).toUtf8();
}

QString paragraph(const QString &text, const QString &pPr = QString(), const QString &rPr = QString())
{
    return QStringLiteral("<w:p><w:pPr>%1</w:pPr><w:r><w:rPr>%2</w:rPr><w:t xml:space=\"preserve\">%3</w:t></w:r></w:p>")
        .arg(pPr, rPr, text);
}

DocxParts parts(const QByteArray &document, const QByteArray &styles = QByteArray(),
               const QByteArray &settings = QByteArray())
{
    DocxParts result;
    result.document = parseXml(document);
    result.styles = parseXml(styles);
    result.settings = parseXml(settings);
    return result;
}

// Every block of the body, run after run, in reading order.
QList<QTextBlock> allBlocks(const quill::BuiltDocument &built)
{
    QList<QTextBlock> blocks;
    for (const quill::PageRun &run : built.runs) {
        for (QTextBlock block = run.document->begin(); block.isValid(); block = block.next())
            blocks.append(block);
    }
    return blocks;
}

// Blocks that carry text, in document order (the empty blocks Qt keeps around tables are skipped).
QList<QTextBlock> textBlocks(const quill::BuiltDocument &built)
{
    QList<QTextBlock> blocks;
    for (const QTextBlock &block : allBlocks(built)) {
        if (!block.text().isEmpty())
            blocks.append(block);
    }
    return blocks;
}

QTextBlock blockWithText(const quill::BuiltDocument &built, const QString &text)
{
    for (const QTextBlock &block : allBlocks(built)) {
        if (block.text().contains(text))
            return block;
    }
    return QTextBlock();
}

QString plainText(const quill::BuiltDocument &built)
{
    QString text;
    for (const quill::PageRun &run : built.runs)
        text += run.document->toPlainText();
    return text;
}

QRectF blockRect(const QTextBlock &block)
{
    return block.document()->documentLayout()->blockBoundingRect(block);
}

// The page (0-based) of the body on which line `index` of the block lies (by the line's middle).
int pageOfLine(const quill::BuiltDocument &built, const QTextBlock &block, int index)
{
    int firstPage = 0;
    for (const quill::PageRun &run : built.runs) {
        if (run.document.get() == block.document())
            firstPage = run.firstPage;
    }
    const QTextLine line = block.layout()->lineAt(index);
    const qreal y = blockRect(block).top() + line.y() + line.height() / 2;
    return firstPage + static_cast<int>(y / (built.page.pageSize.height() * built.deviceScale));
}

// Fraction of the non-white pixels that are neither nearly black nor nearly white: high for blurred edges.
qreal greyFraction(const QImage &image)
{
    constexpr int kDark = 64;
    constexpr int kLight = 224;
    qint64 inked = 0;
    qint64 grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int value = qGray(image.pixel(x, y));
            if (value >= kLight)
                continue;
            ++inked;
            if (value > kDark)
                ++grey;
        }
    }
    return inked == 0 ? 1.0 : qreal(grey) / inked;
}

} // namespace

class BodyLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void pageGeometry_data();
    void pageGeometry();
    void pageBreaks_data();
    void pageBreaks();
    void spaceBeforeStaysAfterAPageBreak();
    void keptParagraphWithSpaceBeforeStartsItsPage_data();
    void keptParagraphWithSpaceBeforeStartsItsPage();
    void widowAndOrphanControl_data();
    void widowAndOrphanControl();
    void singleSpacedLinesEndAboveTheMargin();
    void keptParagraphTakesAMovedOneAlong();
    void laterMoveWaitsForTheTextBeforeIt();
    void lineBreaksStayInTheirParagraph();
    void runFormatResolution_data();
    void runFormatResolution();
    void kerningOnlyWhereAsked();
    void paragraphSpacing_data();
    void paragraphSpacing();
    void lineHeightsFollowTheFont_data();
    void lineHeightsFollowTheFont();
    void baselineSitsAtTheAscent_data();
    void baselineSitsAtTheAscent();
    void pictureLineSpacedByItsFont_data();
    void pictureLineSpacedByItsFont();
    void blankLinesAndSlashesAsLibreOffice();
    void automaticSpacingLeftOutAtTheEdges();
    void tableRunsOntoAPageFromItsTop();
    void paragraphBordersTakeRoomAndShareABox();
    void shadingFillsTheWholeBorderBox();
    void characterBordersBoxTheirRuns();
    void indentsAndTabsFollowTheTextColumn();
    void tabsAfterALineBreakReachTheirStops_data();
    void tabsAfterALineBreakReachTheirStops();
    void dottedLeaderFillsTheTabUpToItsStop();
    void tableColumnsFollowTheGrid();
    void tableWidthIsAShareOfTheColumn();
    void styleHeaderRowRepeats();
    void exactRowCutsItsContent();
    void tableStyleFormatsItsParts_data();
    void tableStyleFormatsItsParts();
    void listLabelsCount();
    void listsRestartAndShowSymbolBullets();
    void fieldCodesAndTextBoxesAreNotBodyText();
    void referenceToAMissingBookmarkShowsAnError();
    void pictureStacksEveryPage();
    void emptyBodyIsOneWhitePage();
    void oddBodiesStillRender_data();
    void oddBodiesStillRender();
    void replayIsCrispWhenScaled();
    void serializedPictureReplaysTheSame();
};

void BodyLayoutTest::pageGeometry_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QSize>("pageSize");
    QTest::addColumn<QMarginsF>("margins");

    QTest::newRow("letter") << QString::fromLatin1(kLetterSection) << QSize(816, 1056) << QMarginsF(120, 96, 120, 96);
    QTest::newRow("a4 landscape, gutter")
        << QStringLiteral(R"(<w:sectPr><w:pgSz w:w="16838" w:h="11906" w:orient="landscape"/>)"
                          R"(<w:pgMar w:top="720" w:right="1440" w:bottom="1080" w:left="1080" w:gutter="360"/></w:sectPr>)")
        << QSize(1123, 794) << QMarginsF(96, 48, 96, 72);
    QTest::newRow("no section: letter, one inch") << QString() << QSize(816, 1056) << QMarginsF(96, 96, 96, 96);
}

void BodyLayoutTest::pageGeometry()
{
    QFETCH(QString, section);
    QFETCH(QSize, pageSize);
    QFETCH(QMarginsF, margins);

    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("Top left")), section));
    const quill::BodyPicture body = quill::renderBody(docx.sources());
    QCOMPARE(body.pageSize, pageSize);
    QCOMPARE(body.picture.boundingRect(), QRect(QPoint(0, 0), pageSize));

    // The first line starts exactly at the top-left corner of the text column.
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QCOMPARE(built.page.margins, margins);
    const QRectF rect = blockRect(blockWithText(built, QStringLiteral("Top left")));
    QCOMPARE(rect.left() / built.deviceScale, margins.left());
    QCOMPARE(rect.top() / built.deviceScale, margins.top());
    QCOMPARE(rect.width() / built.deviceScale, pageSize.width() - margins.left() - margins.right());
}

void BodyLayoutTest::pageBreaks_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("pageOfLast");

    const QString last = paragraph(QStringLiteral("Last"));
    QTest::newRow("no break") << paragraph(QStringLiteral("One")) + last << 1 << 0;
    QTest::newRow("page break run between paragraphs")
        << paragraph(QStringLiteral("One")) + QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)") + last
        << 2 << 1;
    QTest::newRow("page break inside a paragraph")
        << QStringLiteral(R"(<w:p><w:r><w:t>One</w:t><w:br w:type="page"/><w:t>Last</w:t></w:r></w:p>)") << 2 << 1;
    QTest::newRow("pageBreakBefore") << paragraph(QStringLiteral("One")) + paragraph(QStringLiteral("Last"),
                                                                                     QStringLiteral("<w:pageBreakBefore/>"))
                                     << 2 << 1;
    QTest::newRow("break before the first paragraph leaves no blank page")
        << paragraph(QStringLiteral("Last"), QStringLiteral("<w:pageBreakBefore/>")) << 1 << 0;
    QTest::newRow("two break paragraphs in a row leave an empty page")
        << paragraph(QStringLiteral("One"))
               + QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)").repeated(2) + last
        << 3 << 2;
    QTest::newRow("two breaks") << paragraph(QStringLiteral("One"))
                                       + QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/><w:t>Two</w:t><w:br w:type="page"/></w:r></w:p>)")
                                       + last
                                << 3 << 2;
    // A hard page break ends what a paragraph can be kept with: the heading stays where it is.
    QTest::newRow("keep with next stops at a page break")
        << paragraph(QStringLiteral("One")) + paragraph(QStringLiteral("Heading"), QStringLiteral("<w:keepNext/>"))
               + paragraph(QStringLiteral("Last"), QStringLiteral("<w:pageBreakBefore/>"))
        << 2 << 1;
    QTest::newRow("break before a table at the start leaves no blank page")
        << QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)"
                          R"(<w:tbl><w:tblGrid><w:gridCol w:w="2000"/></w:tblGrid>)"
                          R"(<w:tr><w:tc><w:p><w:r><w:t>Last</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:p/>)")
        << 1 << 0;
    QString many;
    for (int i = 0; i < 60; ++i)
        many += paragraph(QStringLiteral("Line %1").arg(i));
    QTest::newRow("overflow onto a second page") << many + last << 2 << 1;
}

void BodyLayoutTest::pageBreaks()
{
    QFETCH(QString, body);
    QFETCH(int, pages);
    QFETCH(int, pageOfLast);

    const DocxParts docx = parts(documentXml(body));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QCOMPARE(built.pageCount(), pages);
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("Last")), 0), pageOfLast);
    QCOMPARE(quill::renderBody(docx.sources()).pageCount, pages);
}

void BodyLayoutTest::spaceBeforeStaysAfterAPageBreak()
{
    // 480 twips before: the paragraph that starts page 2 begins 32 px below the top margin (96 px).
    const QString spaced = QStringLiteral(R"(<w:spacing w:before="480"/>)");
    const QString breakBefore = QStringLiteral("<w:pageBreakBefore/>");
    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("One"))
                                             + paragraph(QStringLiteral("Last"), spaced + breakBefore)));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock last = blockWithText(built, QStringLiteral("Last"));
    QCOMPARE(pageOfLine(built, last, 0), 1);
    const qreal pageHeight = built.page.pageSize.height() * built.deviceScale;
    const qreal topOnPage = std::fmod(blockRect(last).top(), pageHeight) / built.deviceScale;
    QCOMPARE(qRound(topOnPage), 96 + 32);
}

void BodyLayoutTest::keptParagraphWithSpaceBeforeStartsItsPage_data()
{
    QTest::addColumn<bool>("afterPageBreak");
    QTest::newRow("first in the body") << false;
    QTest::newRow("after a page break") << true;
}

void BodyLayoutTest::keptParagraphWithSpaceBeforeStartsItsPage()
{
    // 35 lines of 24 px kept together, 32 px of space before: taller than a page's 864 px. Moving the
    // paragraph on would only leave its space before on a page of its own, so it stays and runs over.
    QFETCH(bool, afterPageBreak);
    QStringList lines;
    for (int i = 1; i <= 35; ++i)
        lines.append(QStringLiteral("L%1").arg(i));
    const QString properties = QStringLiteral(
        R"(<w:keepLines/><w:spacing w:before="480" w:after="0" w:line="360" w:lineRule="exact"/>)");
    QString body = paragraph(lines.join(QStringLiteral("</w:t><w:br/><w:t>")),
                             properties + (afterPageBreak ? QStringLiteral("<w:pageBreakBefore/>") : QString()));
    if (afterPageBreak)
        body.prepend(paragraph(QStringLiteral("Cover")));
    const DocxParts docx = parts(documentXml(body));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const int firstPage = afterPageBreak ? 1 : 0;
    const QTextBlock kept = blockWithText(built, QStringLiteral("L1"));
    QCOMPARE(pageOfLine(built, kept, 0), firstPage);
    QCOMPARE(built.pageCount(), firstPage + 2);
}

void BodyLayoutTest::widowAndOrphanControl_data()
{
    QTest::addColumn<int>("fillers");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("widowControl");
    QTest::addColumn<QList<int>>("pages");
    QTest::addColumn<bool>("afterPageBreak");

    // 24-pixel lines: 36 fit on a page. The paragraph's lines follow `fillers` one-line paragraphs.
    QTest::newRow("fits") << 30 << 4 << QString() << QList<int>{0, 0, 0, 0} << false;
    QTest::newRow("split in the middle") << 34 << 4 << QString() << QList<int>{0, 0, 1, 1} << false;
    QTest::newRow("widow: two lines move") << 33 << 4 << QString() << QList<int>{0, 0, 1, 1} << false;
    QTest::newRow("orphan: the paragraph moves") << 35 << 4 << QString() << QList<int>{1, 1, 1, 1} << false;
    QTest::newRow("three lines cannot split") << 34 << 3 << QString() << QList<int>{1, 1, 1} << false;
    QTest::newRow("widow control off") << 33 << 4 << QStringLiteral(R"(<w:widowControl w:val="0"/>)")
                                      << QList<int>{0, 0, 0, 1} << false;
    QTest::newRow("keep lines together") << 33 << 4 << QStringLiteral("<w:keepLines/>") << QList<int>{1, 1, 1, 1}
                                         << false;
    // After a hard page break the same rules hold, one page further on.
    QTest::newRow("widow after a page break") << 33 << 4 << QString() << QList<int>{1, 1, 2, 2} << true;
    QTest::newRow("orphan after a page break") << 35 << 4 << QString() << QList<int>{2, 2, 2, 2} << true;
}

void BodyLayoutTest::widowAndOrphanControl()
{
    QFETCH(int, fillers);
    QFETCH(int, lines);
    QFETCH(QString, widowControl);
    QFETCH(QList<int>, pages);
    QFETCH(bool, afterPageBreak);

    const QString exact = QStringLiteral(R"(<w:spacing w:after="0" w:line="360" w:lineRule="exact"/>)");
    QString body;
    if (afterPageBreak)
        body += paragraph(QStringLiteral("Cover"), exact)
                + QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)");
    for (int i = 0; i < fillers; ++i)
        body += paragraph(QStringLiteral("filler"), exact);
    QStringList lineTexts;
    for (int i = 1; i <= lines; ++i)
        lineTexts.append(QStringLiteral("L%1").arg(i));
    body += paragraph(lineTexts.join(QStringLiteral("</w:t><w:br/><w:t>")), exact + widowControl);

    const DocxParts docx = parts(documentXml(body));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QList<int> found;
    for (const QTextBlock &block : allBlocks(built)) {
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const QTextLine line = block.layout()->lineAt(i);
            if (block.text().mid(line.textStart(), line.textLength()).startsWith(QLatin1Char('L')))
                found.append(pageOfLine(built, block, i));
        }
    }
    QCOMPARE(found, pages);
    // The text stays whole; a line break where the paragraph was split became the paragraph break.
    QCOMPARE(plainText(built).count(QLatin1Char('L')), lines);
    QCOMPARE(built.pageCount(), pages.last() + 1);
}

// Where most lines are 1.15 lines of Carlito, whose line gap may hang into the bottom margin, a single-spaced
// line still ends above the margin, however far down the page the text begins.
void BodyLayoutTest::singleSpacedLinesEndAboveTheMargin()
{
    const QByteArray styles = stylesXml(QStringLiteral(
        R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Carlito" w:hAnsi="Carlito"/><w:sz w:val="22"/>)"
        R"(</w:rPr></w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:after="100" w:line="276" w:lineRule="auto"/>)"
        R"(</w:pPr></w:pPrDefault></w:docDefaults>)"));
    const QString single = QStringLiteral(R"(<w:spacing w:after="0" w:line="240" w:lineRule="auto"/>)");
    // Two-pixel steps of the first paragraph's space before: one of them brings a single line into the gap.
    for (int before = 0; before <= 360; before += 30) {
        QString body = paragraph(QStringLiteral("entry"), QStringLiteral(R"(<w:spacing w:before="%1"/>)").arg(before));
        for (int i = 0; i < 28; ++i)
            body += paragraph(QStringLiteral("entry"));
        for (int i = 0; i < 12; ++i)
            body += paragraph(QStringLiteral("code %1").arg(i), single);
        for (int i = 0; i < 16; ++i)
            body += paragraph(QStringLiteral("entry"));
        const DocxParts docx = parts(documentXml(body), styles);
        const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
        const qreal pageHeight = built.page.pageSize.height() * built.deviceScale;
        const qreal textBottom = pageHeight - built.page.margins.bottom() * built.deviceScale;
        const auto lineTop = [&](int index) {
            const QTextBlock block = blockWithText(built, QStringLiteral("code %1").arg(index));
            return block.layout()->position().y() + block.layout()->lineAt(0).y();
        };
        const qreal pitch = lineTop(1) - lineTop(0);
        for (int i = 0; i < 12; ++i) {
            const qreal top = lineTop(i);
            const qreal page = std::floor(top / pageHeight);
            QVERIFY2(top + pitch <= page * pageHeight + textBottom + 0.1,
                     qPrintable(QStringLiteral("before %1, line %2").arg(before).arg(i)));
        }
    }
}

// 36 lines fit on a page: after 34 fillers, a heading kept with the next paragraph, whose first line would be
// left alone at the foot of the page. The paragraph moves on, then the heading follows it: both start page 2,
// and the paragraph does not go on to a page of its own.
void BodyLayoutTest::keptParagraphTakesAMovedOneAlong()
{
    const QString exact = QStringLiteral(R"(<w:spacing w:after="0" w:line="360" w:lineRule="exact"/>)");
    QString body;
    for (int i = 0; i < 34; ++i)
        body += paragraph(QStringLiteral("filler"), exact);
    body += paragraph(QStringLiteral("Heading"), exact + QStringLiteral("<w:keepNext/>"));
    body += paragraph(QStringLiteral("L1</w:t><w:br/><w:t>L2</w:t><w:br/><w:t>L3</w:t><w:br/><w:t>L4"), exact);
    const DocxParts docx = parts(documentXml(body));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("Heading")), 0), 1);
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("L1")), 0), 1);
    QCOMPARE(built.pageCount(), 2);
}

void BodyLayoutTest::laterMoveWaitsForTheTextBeforeIt()
{
    // 36 lines a page. The widow rule sends "N" to page 2, then "H", kept with it, goes along and pushes page 2
    // down two lines, so that "C" no longer fits there either. "E", kept with "After" at the foot of page 2
    // before that push, must not keep a page of its own: it follows "C" on page 3.
    const QString exact = QStringLiteral(R"(<w:spacing w:after="0" w:line="360" w:lineRule="exact"/>)");
    QString body;
    for (int i = 0; i < 33; ++i)
        body += paragraph(QStringLiteral("filler"), exact);
    body += paragraph(QStringLiteral("H1</w:t><w:br/><w:t>H2"), exact + QStringLiteral("<w:keepNext/>"));
    body += paragraph(QStringLiteral("N1</w:t><w:br/><w:t>N2</w:t><w:br/><w:t>N3</w:t><w:br/><w:t>N4"), exact);
    for (int i = 0; i < 29; ++i)
        body += paragraph(QStringLiteral("filler"), exact);
    body += paragraph(QStringLiteral("C1</w:t><w:br/><w:t>C2"), exact);
    body += paragraph(QStringLiteral("E"), exact + QStringLiteral("<w:keepNext/>"));
    body += paragraph(QStringLiteral("After"), exact);
    const quill::BuiltDocument built = quill::buildTextDocument(parts(documentXml(body)).sources());
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("H1")), 0), 1);
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("C1")), 0), 2);
    QCOMPARE(pageOfLine(built, blockWithText(built, QStringLiteral("E")), 0), 2);
    QCOMPARE(built.pageCount(), 3);
}

void BodyLayoutTest::lineBreaksStayInTheirParagraph()
{
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:p><w:r><w:t>COMPANY</w:t><w:br/><w:t>STREET</w:t><w:br/><w:t>CITY</w:t></w:r></w:p>)")
        + paragraph(QStringLiteral("Next"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QList<QTextBlock> blocks = textBlocks(built);
    QCOMPARE(blocks.size(), 2);
    QCOMPARE(blocks.first().text(), QStringLiteral("COMPANY\u2028STREET\u2028CITY"));
    QCOMPARE(blocks.first().layout()->lineCount(), 3);
}

void BodyLayoutTest::runFormatResolution_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<qreal>("pointSize");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<QString>("family"); // the families, in the order Qt tries them

    // docDefaults: Arial 10 pt. Normal (default): 11 pt. Base: 14 pt bold, Times New Roman.
    // Derived (basedOn Base): italic. Emphasis (character style): 16 pt. Theme: see runFormatResolution().
    const QString text = QStringLiteral("Sample");
    QTest::newRow("default paragraph style over docDefaults")
        << paragraph(text) << 11.0 << false << false << QStringLiteral("Arial");
    QTest::newRow("style chain")
        << paragraph(text, QStringLiteral(R"(<w:pStyle w:val="Derived"/>)")) << 14.0 << true << true
        << QStringLiteral("Times New Roman");
    QTest::newRow("direct formatting wins")
        << paragraph(text, QStringLiteral(R"(<w:pStyle w:val="Derived"/>)"),
                     QStringLiteral(R"(<w:b w:val="0"/><w:sz w:val="36"/><w:rFonts w:ascii="Arial"/>)"))
        << 18.0 << false << true << QStringLiteral("Arial");
    QTest::newRow("character style between paragraph style and direct")
        << paragraph(text, QStringLiteral(R"(<w:pStyle w:val="Base"/>)"), QStringLiteral(R"(<w:rStyle w:val="Emphasis"/>)"))
        << 16.0 << true << false << QStringLiteral("Times New Roman");
    QTest::newRow("unknown style falls back to docDefaults")
        << paragraph(text, QStringLiteral(R"(<w:pStyle w:val="Missing"/>)")) << 10.0 << false << false
        << QStringLiteral("Arial");
    QTest::newRow("theme slots, East Asian by the language's script")
        << paragraph(text, QString(), QStringLiteral(R"(<w:rFonts w:asciiTheme="majorHAnsi" w:eastAsiaTheme="minorEastAsia" w:cstheme="majorBidi"/>)"))
        << 11.0 << false << false << QStringLiteral("Georgia, MS Mincho, Tahoma");
    QTest::newRow("theme slots, complex scripts by the language's script")
        << paragraph(text, QString(), QStringLiteral(R"(<w:rFonts w:asciiTheme="minorHAnsi" w:eastAsiaTheme="majorEastAsia" w:cstheme="minorBidi"/>)"))
        << 11.0 << false << false << QStringLiteral("Verdana, SimSun, Arial");
    QTest::newRow("a theme slot wins over a family")
        << paragraph(text, QString(), QStringLiteral(R"(<w:rFonts w:ascii="Courier New" w:asciiTheme="majorHAnsi"/>)"))
        << 11.0 << false << false << QStringLiteral("Georgia");
    QTest::newRow("a family above a theme slot")
        << paragraph(text, QStringLiteral(R"(<w:pStyle w:val="Themed"/>)"), QStringLiteral(R"(<w:rFonts w:ascii="Courier New"/>)"))
        << 10.0 << false << false << QStringLiteral("Courier New");
}

void BodyLayoutTest::runFormatResolution()
{
    QFETCH(QString, body);
    QFETCH(qreal, pointSize);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(QString, family);

    const QByteArray styles = stylesXml(QStringLiteral(
        R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii="Arial" w:hAnsi="Arial"/><w:sz w:val="20"/></w:rPr></w:rPrDefault></w:docDefaults>)"
        R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:rPr><w:sz w:val="22"/></w:rPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Base"><w:rPr><w:b/><w:sz w:val="28"/><w:rFonts w:ascii="Times New Roman"/></w:rPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Derived"><w:basedOn w:val="Base"/><w:rPr><w:i/></w:rPr></w:style>)"
        R"(<w:style w:type="character" w:styleId="Emphasis"><w:rPr><w:sz w:val="32"/></w:rPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Themed"><w:rPr><w:rFonts w:asciiTheme="majorHAnsi"/></w:rPr></w:style>)"));
    // Major: Georgia, SimSun, Tahoma (and a Japanese font that a:ea overrides). Minor: Verdana, and for East Asian
    // and complex scripts only fonts by script, of which the settings' languages pick Japanese and Arabic.
    const QByteArray theme = R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements><a:fontScheme>)"
        R"(<a:majorFont><a:latin typeface="Georgia"/><a:ea typeface="SimSun"/><a:cs typeface="Tahoma"/><a:font script="Jpan" typeface="MS Gothic"/></a:majorFont>)"
        R"(<a:minorFont><a:latin typeface="Verdana"/><a:ea typeface=""/><a:cs typeface=""/>)"
        R"(<a:font script="Jpan" typeface="MS Mincho"/><a:font script="Arab" typeface="Arial"/></a:minorFont>)"
        R"(</a:fontScheme></a:themeElements></a:theme>)";
    const QByteArray settings = QStringLiteral(R"(<w:settings %1><w:themeFontLang w:val="en-US" w:eastAsia="ja-JP" w:bidi="ar-SA"/></w:settings>)")
                                    .arg(QLatin1String(kNamespace)).toUtf8();
    DocxParts docx = parts(documentXml(body), styles, settings);
    docx.theme = parseXml(theme);
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock block = blockWithText(built, QStringLiteral("Sample"));
    QVERIFY(block.isValid());
    const QTextCharFormat format = block.begin().fragment().charFormat();
    QCOMPARE(format.fontPointSize(), pointSize);
    QCOMPARE(format.fontWeight() == QFont::Bold, bold);
    QCOMPARE(format.fontItalic(), italic);
    QCOMPARE(format.fontFamilies().toStringList().join(QStringLiteral(", ")), family);
}

void BodyLayoutTest::kerningOnlyWhereAsked()
{
    // docDefaults leave kerning off; a run with w:kern pairs "AV" tighter, even inheriting the defaults.
    const QString text = QStringLiteral("AVAVAV WAWAWA");
    const DocxParts docx = parts(documentXml(paragraph(text) + paragraph(text, QString(), QStringLiteral(R"(<w:kern w:val="16"/>)"))
                                             + paragraph(text, QString(), QStringLiteral(R"(<w:kern w:val="0"/>)"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QList<QTextBlock> blocks = textBlocks(built);
    QCOMPARE(blocks.size(), 3);
    const auto width = [](const QTextBlock &block) { return block.layout()->lineAt(0).naturalTextWidth(); };
    QVERIFY(width(blocks[1]) < width(blocks[0]) * 0.98);
    QCOMPARE(width(blocks[2]), width(blocks[0]));
}

void BodyLayoutTest::paragraphSpacing_data()
{
    QTest::addColumn<QString>("secondProperties");
    QTest::addColumn<bool>("addSpacing");
    QTest::addColumn<int>("gapTwips");

    // The first paragraph has 120 twips after; its style is Spaced.
    const QString before = QStringLiteral(R"(<w:spacing w:before="240"/>)");
    QTest::newRow("HTML-style spacing keeps the larger") << before << false << 240;
    QTest::newRow("doNotUseHTMLParagraphAutoSpacing adds") << before << true << 360;
    QTest::newRow("only after") << QString() << true << 120;
    QTest::newRow("contextual spacing, same style")
        << QStringLiteral(R"(<w:pStyle w:val="Spaced"/><w:contextualSpacing/><w:spacing w:before="240"/>)") << true << 120;
    QTest::newRow("contextual spacing, other style")
        << QStringLiteral(R"(<w:contextualSpacing/><w:spacing w:before="240"/>)") << true << 360;
}

void BodyLayoutTest::paragraphSpacing()
{
    QFETCH(QString, secondProperties);
    QFETCH(bool, addSpacing);
    QFETCH(int, gapTwips);

    const QByteArray styles = stylesXml(QStringLiteral(
        R"(<w:style w:type="paragraph" w:styleId="Spaced"><w:pPr><w:spacing w:after="120" w:line="360" w:lineRule="exact"/></w:pPr></w:style>)"));
    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("First"), QStringLiteral(R"(<w:pStyle w:val="Spaced"/>)"))
                                             + paragraph(QStringLiteral("Second"), secondProperties)),
                                 styles,
                                 QStringLiteral("<w:settings %1><w:compat>%2</w:compat></w:settings>")
                                     .arg(QLatin1String(kNamespace),
                                          addSpacing ? QStringLiteral("<w:doNotUseHTMLParagraphAutoSpacing/>") : QString())
                                     .toUtf8());
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QRectF first = blockRect(blockWithText(built, QStringLiteral("First")));
    const QRectF second = blockRect(blockWithText(built, QStringLiteral("Second")));
    // Exact line spacing of 360 twips makes the first paragraph 24 px tall.
    const qreal firstLinePixels = 24;
    const qreal gapPixels = (second.top() - first.top()) / built.deviceScale - firstLinePixels;
    QCOMPARE(qRound(gapPixels * 15), gapTwips);
}

void BodyLayoutTest::lineHeightsFollowTheFont_data()
{
    QTest::addColumn<QString>("firstRuns");
    QTest::addColumn<qreal>("linePixels");

    const QString run = QStringLiteral(R"(<w:r><w:rPr><w:rFonts w:ascii="%1"/><w:sz w:val="%2"/></w:rPr><w:t>First</w:t></w:r>)");
    // Carlito's Windows ascent and descent cover its whole line gap: 2500/2048 em of 10 pt.
    QTest::newRow("Calibri keeps no gap") << run.arg(QStringLiteral("Calibri")).arg(20) << 16.28;
    // Liberation Serif's gap lies outside its Windows metrics and counts: (2268 + 87)/2048 em of 12 pt.
    QTest::newRow("Times New Roman keeps its gap") << run.arg(QStringLiteral("Times New Roman")).arg(24) << 18.40;
    // A larger run that holds only a line break does not make the lines taller (two lines here).
    QTest::newRow("break run") << run.arg(QStringLiteral("Calibri")).arg(20)
                                      + QStringLiteral(R"(<w:r><w:rPr><w:sz w:val="60"/></w:rPr><w:br/></w:r>)")
                               << 2 * 16.28;
    // Each line is as tall as the fonts on it: a 20 pt line, then after the break a 10 pt one.
    QTest::newRow("line after a break") << run.arg(QStringLiteral("Calibri")).arg(40) + QStringLiteral("<w:r><w:br/></w:r>")
                                                  + run.arg(QStringLiteral("Calibri")).arg(20)
                                        << 32.53 + 16.28;
}

void BodyLayoutTest::lineHeightsFollowTheFont()
{
    QFETCH(QString, firstRuns);
    QFETCH(qreal, linePixels);

    const DocxParts docx = parts(documentXml(QStringLiteral("<w:p>") + firstRuns + QStringLiteral("</w:p>")
                                             + paragraph(QStringLiteral("Second"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const qreal first = blockRect(blockWithText(built, QStringLiteral("First"))).top();
    const qreal second = blockRect(blockWithText(built, QStringLiteral("Second"))).top();
    QVERIFY2(qAbs((second - first) / built.deviceScale - linePixels) < 0.1,
             qPrintable(QString::number((second - first) / built.deviceScale)));
}

void BodyLayoutTest::baselineSitsAtTheAscent_data()
{
    QTest::addColumn<QString>("spacing");
    QTest::newRow("single") << QString();
    QTest::newRow("at least, below the font's height") << QStringLiteral(R"(<w:spacing w:line="200" w:lineRule="atLeast"/>)");
}

// A cell's line as tall as its font has its baseline at the font's Windows ascent below its top, as LibreOffice
// draws it, also for Carlito, whose line gap Qt would otherwise put above the text (1950/2048 em of 12 pt).
void BodyLayoutTest::baselineSitsAtTheAscent()
{
    QFETCH(QString, spacing);
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:tbl><w:tblGrid><w:gridCol w:w="4000"/></w:tblGrid><w:tr><w:tc>)")
        + paragraph(QStringLiteral("Text"), spacing, QStringLiteral(R"(<w:rFonts w:ascii="Calibri"/><w:sz w:val="24"/>)"))
        + QStringLiteral("</w:tc></w:tr></w:tbl><w:p/>")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock block = blockWithText(built, QStringLiteral("Text"));
    const QTextLine line = block.layout()->lineAt(0);
    const qreal baseline = (line.y() + line.ascent()) / built.deviceScale;
    QVERIFY2(qAbs(baseline - 15.23) < 0.1, qPrintable(QString::number(baseline)));
}

void BodyLayoutTest::pictureLineSpacedByItsFont_data()
{
    QTest::addColumn<QString>("spacing");
    QTest::addColumn<qreal>("lineHeight");
    QTest::newRow("single") << QString() << 96.0;
    // 11 pt Carlito lines are 17.9 pixels (LibreOffice counts none of the font's line gap): 0.15 of one spaces
    // the picture out.
    QTest::newRow("1.15 lines") << QStringLiteral(R"(<w:spacing w:line="276" w:lineRule="auto"/>)") << 96.0 + 0.15 * 17.9;
}

// A line holding only a picture (one inch tall) is as tall as the picture, spaced out by the line spacing's
// share of its font's line, not of the picture, as LibreOffice lays it out (measured on its PDF).
void BodyLayoutTest::pictureLineSpacedByItsFont()
{
    QFETCH(QString, spacing);
    QFETCH(qreal, lineHeight);
    const QString picture = QStringLiteral(
        R"(<w:p><w:pPr>%1</w:pPr><w:r><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri"/><w:sz w:val="22"/></w:rPr>)"
        R"(<w:drawing><wp:inline xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing">)"
        R"(<wp:extent cx="914400" cy="914400"/></wp:inline></w:drawing></w:r></w:p>)").arg(spacing);
    const DocxParts docx = parts(documentXml(picture + paragraph(QStringLiteral("After"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock after = blockWithText(built, QStringLiteral("After"));
    const qreal pictureLine = (blockRect(after).top() - blockRect(after.previous()).top()) / built.deviceScale;
    QVERIFY2(qAbs(pictureLine - lineHeight) < 0.3, qPrintable(QString::number(pictureLine)));
}

// A paragraph of nothing but spaces and a tab is as tall as a line of the paragraph's own font, however large
// or small its runs; a path that fits in a line moves to the next line whole rather than breaking after a slash.
void BodyLayoutTest::blankLinesAndSlashesAsLibreOffice()
{
    const auto gapAround = [](const QString &middle) {
        const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("Top")) + middle
                                                 + paragraph(QStringLiteral("Bottom"))));
        const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
        return blockRect(blockWithText(built, QStringLiteral("Bottom"))).top()
               - blockRect(blockWithText(built, QStringLiteral("Top"))).top();
    };
    const QString large = QStringLiteral(R"(<w:rPr><w:sz w:val="60"/></w:rPr>)");
    QCOMPARE(gapAround(QStringLiteral("<w:p><w:r>%1<w:t xml:space=\"preserve\">   </w:t><w:tab/></w:r></w:p>").arg(large)),
             gapAround(paragraph(QStringLiteral("x"))));
    // So it is at 1.15 lines, with tabs in a small font.
    const QString spaced = QStringLiteral(R"(<w:spacing w:after="0" w:line="276" w:lineRule="auto"/>)");
    const QString small = QStringLiteral(R"(<w:rPr><w:sz w:val="12"/></w:rPr>)");
    const qreal blank = gapAround(QStringLiteral("<w:p><w:pPr>%1</w:pPr><w:r>%2<w:tab/><w:tab/></w:r></w:p>").arg(spaced, small));
    const qreal text = gapAround(paragraph(QStringLiteral("x"), spaced));
    QVERIFY2(qAbs(blank - text) < 1, qPrintable(QStringLiteral("%1 %2").arg(blank).arg(text)));

    // Liberation Serif, standing in for Times New Roman, lacks the joiner that Carlito holds.
    const QString intro = QStringLiteral("intro ") + QStringLiteral("filler ").repeated(10);
    const QString path = intro + QStringLiteral("segment/").repeated(6) + QStringLiteral("end");
    for (const QString &family : {QStringLiteral("Calibri"), QStringLiteral("Times New Roman")}) {
        const QString font = QStringLiteral(R"(<w:rFonts w:ascii="%1" w:hAnsi="%1"/>)").arg(family);
        const DocxParts docx = parts(documentXml(paragraph(path, QString(), font)));
        const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
        QCOMPARE(blockWithText(built, QStringLiteral("intro")).layout()->lineAt(0).textLength(), intro.size());
    }
}

// Word's automatic space above the document's first paragraph and around a cell's paragraphs is left out;
// a space given in twips stays.
void BodyLayoutTest::automaticSpacingLeftOutAtTheEdges()
{
    const auto topOf = [](const QString &body, const QString &text) {
        const DocxParts docx = parts(documentXml(body));
        const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
        return blockRect(blockWithText(built, text)).top() / built.deviceScale;
    };
    const QString automatic = QStringLiteral(R"(<w:spacing w:beforeAutospacing="1" w:afterAutospacing="1"/>)");
    const QString fixed = QStringLiteral(R"(<w:spacing w:before="280" w:after="280"/>)");
    const auto body = [](const QString &spacing) {
        return paragraph(QStringLiteral("First"), spacing)
               + QStringLiteral(R"(<w:tbl><w:tblGrid><w:gridCol w:w="4000"/></w:tblGrid><w:tr><w:tc>)")
               + paragraph(QStringLiteral("Cell"), spacing) + QStringLiteral("</w:tc></w:tr></w:tbl>")
               + paragraph(QStringLiteral("Last"));
    };
    const qreal firstPlain = topOf(body(QString()), QStringLiteral("First"));
    QCOMPARE(topOf(body(automatic), QStringLiteral("First")), firstPlain);
    QVERIFY(topOf(body(fixed), QStringLiteral("First")) > firstPlain);
    // Below the table: the first paragraph's automatic space after (14 pt, 18.67 px) only.
    const qreal added = topOf(body(automatic), QStringLiteral("Last")) - topOf(body(QString()), QStringLiteral("Last"));
    QVERIFY2(qAbs(added - 280.0 / 15) < 0.5, qPrintable(QString::number(added)));
}

// The space between a paragraph and the table below it stays where they meet: the rows the table carries onto
// the next page start where they would without that space.
void BodyLayoutTest::tableRunsOntoAPageFromItsTop()
{
    const auto offsetOnSecondPage = [](const QString &spacing) {
        QString rows;
        for (int row = 0; row < 80; ++row)
            rows += QStringLiteral("<w:tr><w:tc>%1</w:tc></w:tr>").arg(paragraph(QStringLiteral("row %1").arg(row)));
        const DocxParts docx = parts(documentXml(
            paragraph(QStringLiteral("Before"), spacing)
            + QStringLiteral(R"(<w:tbl><w:tblGrid><w:gridCol w:w="4000"/></w:tblGrid>)") + rows
            + QStringLiteral("</w:tbl>") + paragraph(QStringLiteral("After"))));
        const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
        const qreal pageHeight = built.page.pageSize.height() * built.deviceScale;
        for (int row = 0; row < 80; ++row) {
            const QTextBlock block = blockWithText(built, QStringLiteral("row %1").arg(row));
            if (pageOfLine(built, block, 0) == 1)
                return (blockRect(block).top() - pageHeight) / built.deviceScale;
        }
        return qreal(-1);
    };
    const qreal plain = offsetOnSecondPage(QString());
    QVERIFY(plain > 0);
    QCOMPARE(offsetOnSecondPage(QStringLiteral(R"(<w:spacing w:after="900"/>)")), plain);
}

void BodyLayoutTest::paragraphBordersTakeRoomAndShareABox()
{
    // Red lines of 1 pt, 4 pt from the text: "One" has a bottom line; "Three" and "Four" share one box.
    const QString line = QStringLiteral(R"(w:val="single" w:sz="8" w:space="4" w:color="FF0000")");
    const QString bottom = QStringLiteral("<w:pBdr><w:bottom %1/></w:pBdr>").arg(line);
    const QString box = QStringLiteral("<w:pBdr><w:top %1/><w:left %1/><w:bottom %1/></w:pBdr>").arg(line);
    const auto build = [&](const QString &firstProperties) {
        return parts(documentXml(paragraph(QStringLiteral("One"), firstProperties) + paragraph(QStringLiteral("Two"))
                                 + paragraph(QStringLiteral("Three"), box) + paragraph(QStringLiteral("Four"), box)));
    };
    const DocxParts bordered = build(bottom);
    const quill::BuiltDocument built = quill::buildTextDocument(bordered.sources());
    const quill::BuiltDocument plain = quill::buildTextDocument(build(QString()).sources());
    const auto top = [](const quill::BuiltDocument &document, const QString &text) {
        return blockRect(blockWithText(document, text)).top() / document.deviceScale;
    };
    // The bottom line and its space (4 pt + 1 pt) push the next paragraph down.
    const qreal room = (top(built, QStringLiteral("Two")) - top(built, QStringLiteral("One")))
                       - (top(plain, QStringLiteral("Two")) - top(plain, QStringLiteral("One")));
    QVERIFY2(qAbs(room * 15 - 100) < 2, qPrintable(QString::number(room)));
    // The box's top line is drawn once, above "Three": "Four" sits right under "Three".
    QVERIFY(qAbs(top(built, QStringLiteral("Four")) - top(built, QStringLiteral("Three"))
                 - (top(plain, QStringLiteral("Four")) - top(plain, QStringLiteral("Three")))) < 0.1);

    const QImage page = quill::renderPicture(quill::renderBody(bordered.sources()).picture);
    const auto isRed = [&](qreal x, qreal y) {
        const QColor pixel = page.pixelColor(int(x), int(y));
        return pixel.red() > 200 && pixel.green() < 120 && pixel.blue() < 120;
    };
    const qreal middle = 300;
    const qreal two = top(built, QStringLiteral("Two"));
    QVERIFY(isRed(middle, two - 0.7));
    QVERIFY(!isRed(middle, two - 3));
    const qreal three = top(built, QStringLiteral("Three"));
    const qreal four = top(built, QStringLiteral("Four"));
    // A top line lies its space above the text; no line is drawn between the paragraphs of one box.
    QVERIFY(isRed(middle, three - 6));
    QVERIFY(!isRed(middle, three - 3));
    QVERIFY(!isRed(middle, four - 6));
    QVERIFY(!isRed(middle, four + 6));
    // The left line runs down the whole box, 4 pt and its width left of the text column (120 px).
    QVERIFY(isRed(120 - 6, three + 2));
    QVERIFY(isRed(120 - 6, four - 0.5));
    QVERIFY(isRed(120 - 6, four + 2));

    // An indented paragraph's box starts at its indent (2 inches into the column), not at the column's edge.
    const DocxParts indented = parts(documentXml(paragraph(QStringLiteral("Indented"), box + R"(<w:ind w:left="2880"/>)")));
    const QImage indentedPage = quill::renderPicture(quill::renderBody(indented.sources()).picture);
    const qreal text = top(quill::buildTextDocument(indented.sources()), QStringLiteral("Indented")) + 2;
    QCOMPARE(indentedPage.pixelColor(120 + 192 - 6, int(text)), page.pixelColor(120 - 6, int(three + 2)));
    QCOMPARE(indentedPage.pixelColor(120 - 6, int(text)), QColor(Qt::white));
}

void BodyLayoutTest::shadingFillsTheWholeBorderBox()
{
    // Two shaded paragraphs, 10 pt apart, share one box whose lines lie 4 pt from the text.
    const QString line = QStringLiteral(R"(w:val="single" w:sz="8" w:space="4" w:color="0000FF")");
    const QString box = QStringLiteral(R"(<w:pBdr><w:top %1/><w:left %1/><w:bottom %1/><w:right %1/></w:pBdr>)"
                                       R"(<w:shd w:val="clear" w:color="auto" w:fill="FFFF00"/>)"
                                       R"(<w:spacing w:after="200"/><w:ind w:left="720"/>)")
                            .arg(line);
    const DocxParts docx =
        parts(documentXml(paragraph(QStringLiteral("One"), box) + paragraph(QStringLiteral("Two"), box)));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QImage page = quill::renderPicture(quill::renderBody(docx.sources()).picture);
    const auto isYellow = [&](qreal x, qreal y) {
        const QColor pixel = page.pixelColor(int(x), int(y));
        return pixel.red() > 200 && pixel.green() > 200 && pixel.blue() < 80;
    };
    const QRectF one = blockRect(blockWithText(built, QStringLiteral("One")));
    const qreal oneBottom = one.bottom() / built.deviceScale;
    const qreal twoTop = blockRect(blockWithText(built, QStringLiteral("Two"))).top() / built.deviceScale;
    const qreal textLeft = one.left() / built.deviceScale + 48; // the indent, 720 twips
    QVERIFY(twoTop - oneBottom > 10);
    // No unshaded gap between the paragraphs, and the shading reaches into the space before the lines.
    for (qreal y = oneBottom + 1; y < twoTop - 1; y += 1)
        QVERIFY2(isYellow(300, y), qPrintable(QString::number(y)));
    QVERIFY(isYellow(textLeft - 3, oneBottom - 4));
    QVERIFY(!isYellow(textLeft - 9, oneBottom - 4));
}

void BodyLayoutTest::characterBordersBoxTheirRuns()
{
    // "Boxed" has a red box 4 pt from its text; "Box" and "ed" in two runs of one border share one box.
    const QString border = QStringLiteral(R"(<w:bdr w:val="single" w:sz="8" w:space="4" w:color="FF0000"/>)");
    const auto build = [&](const QString &rPr) {
        return parts(documentXml(QStringLiteral("<w:p><w:r><w:t xml:space=\"preserve\">Plain </w:t></w:r>"
                                                "<w:r><w:rPr>%1</w:rPr><w:t>Box</w:t></w:r>"
                                                "<w:r><w:rPr>%1</w:rPr><w:t>ed</w:t></w:r>"
                                                "<w:r><w:t xml:space=\"preserve\"> after</w:t></w:r></w:p>")
                                     .arg(rPr)));
    };
    const DocxParts boxed = build(border);
    const quill::BuiltDocument built = quill::buildTextDocument(boxed.sources());
    const quill::BuiltDocument plain = quill::buildTextDocument(build(QString()).sources());
    const auto xOf = [](const quill::BuiltDocument &document, int position) {
        const QTextBlock block = blockWithText(document, QStringLiteral("Plain"));
        return (blockRect(block).left() + block.layout()->lineAt(0).cursorToX(position)) / document.deviceScale;
    };
    const int boxStart = 6;  // after "Plain "
    const int boxEnd = 11;   // after "Boxed"
    // The box's space and line (5 pt) on either side move the text after it.
    const qreal room = (xOf(built, boxEnd) - xOf(built, boxStart)) - (xOf(plain, boxEnd) - xOf(plain, boxStart));
    QVERIFY2(qAbs(room - 20.0 / 3) < 0.5, qPrintable(QString::number(room)));
    QVERIFY(qAbs(xOf(built, boxEnd + 1) - xOf(plain, boxEnd + 1) - 2 * 20.0 / 3) < 0.5);

    const QImage page = quill::renderPicture(quill::renderBody(boxed.sources()).picture);
    const auto isRed = [&](qreal x, qreal y) {
        const QColor pixel = page.pixelColor(int(x), int(y));
        return pixel.red() > 200 && pixel.green() < 120 && pixel.blue() < 120;
    };
    const QTextBlock block = blockWithText(built, QStringLiteral("Plain"));
    const QTextLine line = block.layout()->lineAt(0);
    const qreal baseline = (blockRect(block).top() + line.y() + line.ascent()) / built.deviceScale;
    const qreal left = xOf(built, boxStart) - 20.0 / 3;
    QVERIFY(isRed(left + 0.5, baseline - 4));
    QVERIFY(!isRed(left - 2, baseline - 4));
    QVERIFY(isRed(xOf(built, boxEnd) - 0.5, baseline - 4));
    // One box: no line between "Box" and "ed".
    for (qreal y = baseline - 10; y < baseline; y += 1)
        QVERIFY(!isRed(xOf(built, 9), y));
}

void BodyLayoutTest::indentsAndTabsFollowTheTextColumn()
{
    // Left indent 720, hanging 360: the first line starts at 360 twips, the label's tab reaches 720,
    // and a custom stop at 2880 (measured from the column) is reached after a second tab.
    const DocxParts docx = parts(documentXml(QStringLiteral(
        R"(<w:p><w:pPr><w:ind w:left="720" w:hanging="360"/><w:tabs><w:tab w:val="left" w:pos="2880"/></w:tabs></w:pPr>)"
        R"(<w:r><w:t>1.</w:t><w:tab/><w:t>Item</w:t><w:tab/><w:t>Far</w:t></w:r></w:p>)")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock block = blockWithText(built, QStringLiteral("Item"));
    const QTextLine line = block.layout()->lineAt(0);
    const qreal scale = built.deviceScale;
    const auto columnX = [&](int position) { return line.cursorToX(position) / scale; };
    QCOMPARE(qRound(columnX(0) * 15), 360);
    QCOMPARE(qRound(columnX(3) * 15), 720);  // after "1.\t"
    QCOMPARE(qRound(columnX(8) * 15), 2880); // after "Item\t"
}

void BodyLayoutTest::tabsAfterALineBreakReachTheirStops_data()
{
    QTest::addColumn<QString>("indent");
    QTest::newRow("hanging") << QStringLiteral(R"(<w:ind w:left="720" w:hanging="360"/>)");
    QTest::newRow("first line") << QStringLiteral(R"(<w:ind w:left="0" w:firstLine="720"/>)");
}

void BodyLayoutTest::tabsAfterALineBreakReachTheirStops()
{
    // Word measures every line's stops from the column: the tab after the break reaches 2880 as well,
    // though that line starts elsewhere than the first.
    QFETCH(QString, indent);
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:p><w:pPr>%1<w:tabs><w:tab w:val="left" w:pos="2880"/></w:tabs></w:pPr>)"
                       R"(<w:r><w:t>Item</w:t><w:tab/><w:t>Near</w:t><w:br/><w:t>Next</w:t><w:tab/><w:t>Far</w:t></w:r></w:p>)")
            .arg(indent)));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const auto columnX = [&](const QString &text) {
        const QTextBlock block = blockWithText(built, text);
        const int position = int(block.text().indexOf(text));
        return qRound(block.layout()->lineForTextPosition(position).cursorToX(position) / built.deviceScale * 15);
    };
    QCOMPARE(columnX(QStringLiteral("Near")), 2880);
    QCOMPARE(columnX(QStringLiteral("Next")), 720 - 720 * indent.contains(QLatin1String("firstLine")));
    QCOMPARE(columnX(QStringLiteral("Far")), 2880);
}

void BodyLayoutTest::dottedLeaderFillsTheTabUpToItsStop()
{
    // A right stop at 6000 twips: "12" ends there, and the dots fill the gap between "Title" and it.
    const auto build = [](const QString &leader) {
        return parts(documentXml(
            QStringLiteral(R"(<w:p><w:pPr><w:tabs><w:tab w:val="right" %1 w:pos="6000"/></w:tabs></w:pPr>)"
                           R"(<w:r><w:t>Title</w:t><w:tab/><w:t>12</w:t></w:r></w:p>)")
                .arg(leader)));
    };
    const DocxParts dotted = build(QStringLiteral(R"(w:leader="dot")"));
    const quill::BuiltDocument built = quill::buildTextDocument(dotted.sources());
    const QTextBlock block = blockWithText(built, QStringLiteral("Title"));
    const QTextLine line = block.layout()->lineAt(0);
    const QRectF placed = blockRect(block);
    const qreal gapStart = (placed.left() + line.cursorToX(5)) / built.deviceScale;
    const qreal gapEnd = (placed.left() + line.cursorToX(6)) / built.deviceScale;
    const qreal stop = placed.left() / built.deviceScale + 6000 / 15.0;
    const int baseline = qRound((placed.top() + line.y() + line.ascent()) / built.deviceScale);
    QVERIFY(gapEnd - gapStart > 100);
    // Pixels inked from x `from` to `to` (logical pixels) around the baseline, where dots stand.
    const auto inked = [&](const QImage &page, qreal from, qreal to) {
        int count = 0;
        for (int y = baseline - 3; y <= baseline + 1; ++y) {
            for (int x = qCeil(from); x < to; ++x)
                count += qGray(page.pixel(x, y)) < 160;
        }
        return count;
    };
    const QImage page = quill::renderPicture(quill::renderBody(dotted.sources()).picture);
    const QImage plain = quill::renderPicture(quill::renderBody(build(QString()).sources()).picture);
    const qreal tenth = (gapEnd - gapStart) / 10;
    QCOMPARE(inked(plain, gapStart + 1, gapEnd - 1), 0);
    QVERIFY(inked(page, gapStart + 1, gapStart + tenth) > 0);
    QVERIFY(inked(page, gapEnd - tenth, gapEnd - 1) > 0);
    QVERIFY(inked(page, stop - 2 * tenth, stop) > 0); // the number, right-aligned at the stop
    QCOMPARE(inked(page, stop + 1, stop + 100), 0);
}

void BodyLayoutTest::tableColumnsFollowTheGrid()
{
    const QString cell = QStringLiteral(R"(<w:tc><w:p><w:r><w:t>%1</w:t></w:r></w:p></w:tc>)");
    const QString spanned = QStringLiteral(
        R"(<w:tc><w:tcPr><w:gridSpan w:val="2"/><w:vMerge w:val="restart"/></w:tcPr><w:p><w:r><w:t>Wide</w:t></w:r></w:p></w:tc>)");
    const QString continued = QStringLiteral(
        R"(<w:tc><w:tcPr><w:gridSpan w:val="2"/><w:vMerge/></w:tcPr><w:p/></w:tc>)");
    // A content control may wrap a cell or a row: it takes its place in the grid all the same.
    const QString control = QStringLiteral("<w:sdt><w:sdtPr/><w:sdtContent>%1</w:sdtContent></w:sdt>");
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:tbl><w:tblPr><w:tblBorders><w:insideV w:val="single" w:sz="4"/></w:tblBorders></w:tblPr>)"
                       R"(<w:tblGrid><w:gridCol w:w="1500"/><w:gridCol w:w="3000"/><w:gridCol w:w="4500"/></w:tblGrid>)")
        + QStringLiteral("<w:tr>") + cell.arg(QStringLiteral("A")) + cell.arg(QStringLiteral("B"))
        + control.arg(cell.arg(QStringLiteral("C"))) + QStringLiteral("</w:tr><w:tr>") + spanned
        + cell.arg(QStringLiteral("D")) + QStringLiteral("</w:tr>")
        + control.arg(QStringLiteral("<w:tr>") + continued + cell.arg(QStringLiteral("E")) + QStringLiteral("</w:tr>"))
        + QStringLiteral("</w:tbl><w:p/>")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const auto left = [&](const QString &text) {
        return blockRect(blockWithText(built, text)).left() / built.deviceScale;
    };
    // Cell text starts one cell margin (108 twips) inside each grid column; Qt moves it by half a
    // border's width (under a third of a pixel here).
    const auto closeTo = [](qreal pixels, int twips) { return qAbs(pixels * 15 - twips) < 8; };
    QVERIFY(closeTo(left(QStringLiteral("B")) - left(QStringLiteral("A")), 1500));
    QVERIFY(closeTo(left(QStringLiteral("C")) - left(QStringLiteral("B")), 3000));
    QVERIFY(closeTo(left(QStringLiteral("D")) - left(QStringLiteral("Wide")), 4500));
    // The table's text lines up with the text column (its edge sits one cell margin further left).
    QVERIFY(closeTo(left(QStringLiteral("A")), 1800));

    QTextTable *table = QTextCursor(blockWithText(built, QStringLiteral("Wide"))).currentTable();
    QVERIFY(table);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(table->rows(), 3);
    QCOMPARE(table->cellAt(1, 0).columnSpan(), 2);
    QCOMPARE(table->cellAt(1, 0).rowSpan(), 2);
    QCOMPARE(table->cellAt(2, 1), table->cellAt(1, 0));
    QCOMPARE(left(QStringLiteral("E")), left(QStringLiteral("D")));
}

void BodyLayoutTest::tableWidthIsAShareOfTheColumn()
{
    // Half the text column (8640 twips): the grid's two columns stretch to 2160 twips each.
    const DocxParts docx = parts(documentXml(QStringLiteral(
        R"(<w:tbl><w:tblPr><w:tblW w:w="2500" w:type="pct"/></w:tblPr>)"
        R"(<w:tblGrid><w:gridCol w:w="1000"/><w:gridCol w:w="1000"/></w:tblGrid>)"
        R"(<w:tr><w:tc><w:p><w:r><w:t>A</w:t></w:r></w:p></w:tc><w:tc><w:p><w:r><w:t>B</w:t></w:r></w:p></w:tc></w:tr>)"
        R"(</w:tbl><w:p/>)")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const auto left = [&](const QString &text) {
        return blockRect(blockWithText(built, text)).left() / built.deviceScale;
    };
    QVERIFY(qAbs((left(QStringLiteral("B")) - left(QStringLiteral("A"))) * 15 - 2160) < 8);
}

void BodyLayoutTest::styleHeaderRowRepeats()
{
    // The style's first row is a header row; the table shows its first row (the default look).
    const QByteArray styles = stylesXml(QStringLiteral(
        R"(<w:style w:type="table" w:styleId="Headed"><w:tblStylePr w:type="firstRow"><w:trPr><w:tblHeader/></w:trPr>)"
        R"(</w:tblStylePr></w:style>)"));
    const QString row = QStringLiteral(R"(<w:tr><w:tc><w:p><w:r><w:t>%1</w:t></w:r></w:p></w:tc></w:tr>)");
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:tbl><w:tblPr><w:tblStyle w:val="Headed"/></w:tblPr><w:tblGrid><w:gridCol w:w="2000"/></w:tblGrid>)")
        + row.arg(QStringLiteral("Head")) + row.arg(QStringLiteral("Body")) + QStringLiteral("</w:tbl><w:p/>")), styles);
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QTextTable *table = QTextCursor(blockWithText(built, QStringLiteral("Head"))).currentTable();
    QVERIFY(table);
    QCOMPARE(table->format().headerRowCount(), 1);
}

void BodyLayoutTest::exactRowCutsItsContent()
{
    // Two rows of 400 twips, each with four lines in one of its two cells: the exact one stays 400 twips tall
    // and shows only what fits; the other (at least 400 twips) grows to hold its lines.
    const QString cell = QStringLiteral(R"(<w:tc><w:p><w:r><w:t>%1</w:t></w:r></w:p></w:tc>)");
    const QString lines = QStringLiteral(R"(%1</w:t><w:br/><w:t>%2</w:t><w:br/><w:t>%3</w:t><w:br/><w:t>%4)");
    const QString row = QStringLiteral(R"(<w:tr><w:trPr><w:trHeight w:val="400"%1/></w:trPr>%2%3</w:tr>)");
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:tbl><w:tblGrid><w:gridCol w:w="3000"/><w:gridCol w:w="3000"/></w:tblGrid>)")
        + row.arg(QStringLiteral(R"( w:hRule="exact")"),
                  cell.arg(lines.arg(QStringLiteral("One"), QStringLiteral("Two"), QStringLiteral("Three"),
                                     QStringLiteral("Four"))),
                  cell.arg(QStringLiteral("Right")))
        + row.arg(QString(), cell.arg(QString()),
                  cell.arg(lines.arg(QStringLiteral("Five"), QStringLiteral("Six"), QStringLiteral("Seven"),
                                     QStringLiteral("Eight"))))
        + QStringLiteral("<w:tr>") + cell.arg(QStringLiteral("After")) + cell.arg(QString())
        + QStringLiteral("</w:tr></w:tbl><w:p/>")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const auto top = [&](const QString &text) {
        return blockRect(blockWithText(built, text)).top() / built.deviceScale;
    };
    const qreal rowPixels = 400 / 15.0;
    const qreal exactRow = top(QStringLiteral("Five")) - top(QStringLiteral("One"));
    QVERIFY2(qAbs(exactRow - rowPixels) < 0.1, qPrintable(QString::number(exactRow)));
    const QTextLayout *four = blockWithText(built, QStringLiteral("Eight")).layout();
    QVERIFY(top(QStringLiteral("After")) - top(QStringLiteral("Five")) >= four->lineCount() * four->lineAt(0).height()
                                                                           / built.deviceScale - 0.1);
    QVERIFY(top(QStringLiteral("After")) - top(QStringLiteral("Five")) > 2 * rowPixels);
    // The lines cut off stay in the text; none of them shows below the row, where the left cell is empty.
    QVERIFY(plainText(built).contains(QStringLiteral("Four")));
    const QImage page = quill::renderPicture(quill::renderBody(docx.sources()).picture);
    const auto inked = [&](qreal from, qreal to) {
        for (int y = qCeil(from); y < to; ++y) {
            for (int x = 120; x < 120 + 3000 / 15 - 10; ++x) {
                if (qGray(page.pixel(x, y)) < 128)
                    return true;
            }
        }
        return false;
    };
    QVERIFY(inked(top(QStringLiteral("One")), top(QStringLiteral("Five"))));
    QVERIFY(!inked(top(QStringLiteral("Five")) + 1, top(QStringLiteral("After")) - 1));
}

void BodyLayoutTest::tableStyleFormatsItsParts_data()
{
    QTest::addColumn<QString>("look");
    QTest::addColumn<QStringList>("rowColours"); // of the cells' shading, top to bottom
    QTest::addColumn<bool>("firstRowBold");

    // Row 2's cell shades itself blue: its own shading wins over the style's parts.
    const QString white = QStringLiteral("#ffffff");
    const QString red = QStringLiteral("#c00000");
    const QString green = QStringLiteral("#00b050");
    const QString blue = QStringLiteral("#0070c0");
    QTest::newRow("hexadecimal look") << QStringLiteral(R"(<w:tblLook w:val="04A0"/>)")
                                      << QStringList{red, green, blue, green} << true;
    QTest::newRow("attributes over the hexadecimal value")
        << QStringLiteral(R"(<w:tblLook w:val="04A0" w:firstRow="0" w:noHBand="0"/>)")
        << QStringList{green, white, blue, white} << false;
    QTest::newRow("bands turned off") << QStringLiteral(R"(<w:tblLook w:firstRow="1" w:noHBand="1"/>)")
                                      << QStringList{red, white, blue, white} << true;
    QTest::newRow("no look: first row and row bands") << QString() << QStringList{red, green, blue, green} << true;
    QTest::newRow("bands of two rows")
        << QStringLiteral(R"(<w:tblStyleRowBandSize w:val="2"/><w:tblLook w:val="0000"/>)")
        << QStringList{green, green, blue, white} << false;
}

void BodyLayoutTest::tableStyleFormatsItsParts()
{
    QFETCH(QString, look);
    QFETCH(QStringList, rowColours);
    QFETCH(bool, firstRowBold);

    const auto shading = [](const char *fill) {
        return QStringLiteral(R"(<w:tcPr><w:shd w:val="clear" w:color="auto" w:fill="%1"/></w:tcPr>)")
            .arg(QLatin1String(fill));
    };
    const QByteArray styles = stylesXml(
        QStringLiteral(R"(<w:style w:type="table" w:styleId="Banded"><w:tblPr><w:tblBorders>)"
                       R"(<w:insideH w:val="single" w:sz="4"/></w:tblBorders></w:tblPr>)"
                       R"(<w:tblStylePr w:type="firstRow"><w:rPr><w:b/></w:rPr>%1</w:tblStylePr>)"
                       R"(<w:tblStylePr w:type="band1Horz">%2</w:tblStylePr></w:style>)")
            .arg(shading("C00000"), shading("00B050")));
    QString rows;
    for (int row = 0; row < rowColours.size(); ++row) {
        rows += QStringLiteral("<w:tr><w:tc>%1<w:p><w:r><w:t>Row%2</w:t></w:r></w:p></w:tc></w:tr>")
                    .arg(row == 2 ? shading("0070C0") : QString())
                    .arg(row);
    }
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:tbl><w:tblPr><w:tblStyle w:val="Banded"/>%1</w:tblPr>)"
                       R"(<w:tblGrid><w:gridCol w:w="3000"/></w:tblGrid>%2</w:tbl><w:p/>)")
            .arg(look, rows)),
        styles);
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QImage page = quill::renderPicture(quill::renderBody(docx.sources()).picture);
    for (int row = 0; row < rowColours.size(); ++row) {
        // Inside the cell's left margin, beside its text: the shading and nothing drawn over it.
        const QRectF text = blockRect(blockWithText(built, QStringLiteral("Row%1").arg(row)));
        const QPoint inMargin(qRound(text.left() / built.deviceScale) - 3,
                              qRound(text.center().y() / built.deviceScale));
        QCOMPARE(page.pixelColor(inMargin).name(), rowColours[row]);
    }
    const QTextBlock first = blockWithText(built, QStringLiteral("Row0"));
    QCOMPARE(first.begin().fragment().charFormat().fontWeight() == QFont::Bold, firstRowBold);
}

void BodyLayoutTest::listLabelsCount()
{
    const auto item = [](const QString &text, int numId, int level) {
        return paragraph(text, QStringLiteral(R"(<w:numPr><w:ilvl w:val="%1"/><w:numId w:val="%2"/></w:numPr>)")
                                   .arg(level)
                                   .arg(numId));
    };
    DocxParts docx = parts(documentXml(item(QStringLiteral("One"), 1, 0) + item(QStringLiteral("Sub"), 1, 1)
                                       + item(QStringLiteral("Sub"), 1, 1) + item(QStringLiteral("Two"), 1, 0)
                                       + item(QStringLiteral("Again"), 1, 1) + item(QStringLiteral("Dot"), 2, 0)
                                       + paragraph(QStringLiteral("Plain"))));
    // lvlText holds %1, %2: build the part by concatenation, not QString::arg.
    docx.numbering = parseXml(QByteArray("<w:numbering ") + kNamespace + QByteArray(">"
        R"(<w:abstractNum w:abstractNumId="7"><w:lvl w:ilvl="0"><w:start w:val="3"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/>)"
        R"(<w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>)"
        R"(<w:lvl w:ilvl="1"><w:numFmt w:val="lowerRoman"/><w:lvlText w:val="%1.%2"/><w:suff w:val="space"/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="8"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#xF0B7;"/></w:lvl></w:abstractNum>)"
        R"(<w:num w:numId="1"><w:abstractNumId w:val="7"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="8"/></w:num>)"
        "</w:numbering>"));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QStringList texts;
    for (const QTextBlock &block : textBlocks(built))
        texts.append(block.text());
    QCOMPARE(texts, QStringList({QStringLiteral("3.\tOne"), QStringLiteral("3.i Sub"), QStringLiteral("3.ii Sub"),
                                 QStringLiteral("4.\tTwo"), QStringLiteral("4.i Again"),
                                 QStringLiteral("\u2022\tDot"), QStringLiteral("Plain")}));
    // The level's indent applies: the label hangs at 360 twips, the text starts at 720.
    const QTextLine line = blockWithText(built, QStringLiteral("One")).layout()->lineAt(0);
    QCOMPARE(qRound(line.cursorToX(0) / built.deviceScale * 15), 360);
    QCOMPARE(qRound(line.cursorToX(3) / built.deviceScale * 15), 720);
}

void BodyLayoutTest::listsRestartAndShowSymbolBullets()
{
    const auto item = [](const QString &text, int numId) {
        return paragraph(text,
                         QStringLiteral(R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="%1"/></w:numPr>)").arg(numId));
    };
    DocxParts docx = parts(documentXml(item(QStringLiteral("A"), 1) + item(QStringLiteral("B"), 1)
                                       + item(QStringLiteral("C"), 2) + item(QStringLiteral("D"), 1)
                                       + item(QStringLiteral("Square"), 3)));
    // Lists 1 and 2 share one definition: list 2 restarts it at 5 where it is first used, and list 1 counts on
    // from there. List 3's bullet is Wingdings' square, written in the private-use range.
    docx.numbering = parseXml(QByteArray("<w:numbering ") + kNamespace + QByteArray(">"
        R"(<w:abstractNum w:abstractNumId="0"><w:lvl w:ilvl="0"><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val="&#xF0A7;"/>)"
        R"(<w:rPr><w:rFonts w:ascii="Wingdings" w:hAnsi="Wingdings"/></w:rPr></w:lvl></w:abstractNum>)"
        R"(<w:num w:numId="1"><w:abstractNumId w:val="0"/></w:num>)"
        R"(<w:num w:numId="2"><w:abstractNumId w:val="0"/><w:lvlOverride w:ilvl="0"><w:startOverride w:val="5"/></w:lvlOverride></w:num>)"
        R"(<w:num w:numId="3"><w:abstractNumId w:val="1"/></w:num>)"
        "</w:numbering>"));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QStringList texts;
    for (const QTextBlock &block : textBlocks(built))
        texts.append(block.text());
    QCOMPARE(texts, QStringList({QStringLiteral("1.\tA"), QStringLiteral("2.\tB"), QStringLiteral("5.\tC"),
                                 QStringLiteral("6.\tD"), QStringLiteral("\u25AA\tSquare")}));
    // The bullet is drawn by a font that has it, and drawn in it: no fallback box.
    const QTextCharFormat bullet = blockWithText(built, QStringLiteral("Square")).begin().fragment().charFormat();
    QCOMPARE(bullet.fontFamilies().toStringList(), QStringList{QStringLiteral("OpenSymbol")});
    QVERIFY(QFontMetricsF(bullet.font()).inFontUcs4(0x25AA));
}

void BodyLayoutTest::fieldCodesAndTextBoxesAreNotBodyText()
{
    const DocxParts docx = parts(documentXml(QStringLiteral(
        R"(<w:p><w:r><w:t xml:space="preserve">Date: </w:t></w:r>)"
        R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> DATE \@ "MMMM d" </w:instrText></w:r>)"
        R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>June 1</w:t></w:r><w:r><w:fldChar w:fldCharType="end"/></w:r>)"
        R"(<w:fldSimple w:instr=" PAGE "><w:r><w:t>, page 7</w:t></w:r></w:fldSimple>)"
        R"(<w:r><w:pict><v:shape xmlns:v="urn:schemas-microsoft-com:vml"><v:textbox><w:txbxContent><w:p><w:r><w:t>Boxed</w:t></w:r></w:p></w:txbxContent></v:textbox></v:shape></w:pict></w:r>)"
        R"(<w:r><w:rPr><w:vanish/></w:rPr><w:t>Hidden</w:t></w:r></w:p>)")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    // The text box is one object in the line; its text is laid out apart from the body's.
    QCOMPARE(plainText(built), QStringLiteral("Date: June 1, page 7") + QChar(QChar::ObjectReplacementCharacter));
}

// A REF field shows its stored result where its bookmark exists (in any case), LibreOffice's error text
// (in the format of the field's start) where it does not.
void BodyLayoutTest::referenceToAMissingBookmarkShowsAnError()
{
    const auto reference = [](const QString &name) {
        return QStringLiteral(R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> REF %1 \h </w:instrText></w:r>)"
                              R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>[%1]</w:t></w:r>)"
                              R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)").arg(name);
    };
    const DocxParts docx = parts(documentXml(
        QStringLiteral(R"(<w:p><w:bookmarkStart w:id="0" w:name="Kept"/><w:r><w:t>Kept</w:t></w:r><w:bookmarkEnd w:id="0"/></w:p>)")
        + QStringLiteral("<w:p>") + reference(QStringLiteral("kept")) + reference(QStringLiteral("Gone"))
        + QStringLiteral("</w:p>")));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock block = blockWithText(built, QStringLiteral("[kept]"));
    QCOMPARE(block.text(), QStringLiteral("[kept]Error: Reference source not found"));
    QTextBlock::iterator last = block.begin();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it)
        last = it;
    QVERIFY(!last.fragment().charFormat().font().bold());
}

void BodyLayoutTest::pictureStacksEveryPage()
{
    const QString pageBreak = QStringLiteral(R"(<w:p><w:r><w:br w:type="page"/></w:r></w:p>)");
    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("One")) + pageBreak + paragraph(QStringLiteral("Two"))
                                             + pageBreak + paragraph(QStringLiteral("Three"))));
    const quill::BodyPicture body = quill::renderBody(docx.sources());
    QCOMPARE(body.pageCount, 3);
    QCOMPARE(body.picture.boundingRect(), QRect(0, 0, body.pageSize.width(), 3 * body.pageSize.height()));

    // Each page carries text inside its own text column, and nothing in its margins.
    const QImage image = quill::renderPicture(body.picture);
    QCOMPARE(image.height(), 3 * body.pageSize.height());
    const QRect column(120, 96, 576, 864);
    for (int page = 0; page < 3; ++page) {
        const int top = page * body.pageSize.height();
        QVERIFY2(greyFraction(image.copy(column.translated(0, top))) < 1.0,
                 qPrintable(QStringLiteral("no text on page %1").arg(page + 1)));
        QCOMPARE(greyFraction(image.copy(0, top + 2, body.pageSize.width(), column.top() - 4)), 1.0);
    }
}

void BodyLayoutTest::emptyBodyIsOneWhitePage()
{
    for (const QByteArray &xml : {documentXml(QString()), QByteArray("<w:document/>")}) {
        const DocxParts docx = parts(xml);
        const quill::BodyPicture body = quill::renderBody(docx.sources());
        QCOMPARE(body.pageCount, 1);
        const QImage image = quill::renderPicture(body.picture);
        QCOMPARE(image.size(), body.pageSize);
        for (int y = 0; y < image.height(); y += 7) {
            for (int x = 0; x < image.width(); x += 7)
                QCOMPARE(image.pixel(x, y), qRgb(255, 255, 255));
        }
    }
    // No document at all renders the same single page.
    QCOMPARE(quill::renderBody(quill::LayoutSources()).pageCount, 1);
}

void BodyLayoutTest::oddBodiesStillRender_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("styles");

    const QString text = paragraph(QStringLiteral("Readable"));
    QTest::newRow("table without rows") << QStringLiteral("<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/></w:tblGrid></w:tbl>") + text
                                        << QString();
    QTest::newRow("row without cells, cell without paragraph")
        << QStringLiteral("<w:tbl><w:tr/><w:tr><w:tc/></w:tr></w:tbl>") + text << QString();
    QTest::newRow("span past the grid, merge with nothing above")
        << QStringLiteral(R"(<w:tbl><w:tblGrid><w:gridCol w:w="2000"/></w:tblGrid><w:tr><w:tc><w:tcPr><w:gridSpan w:val="40"/><w:vMerge/></w:tcPr>)")
               + text + QStringLiteral("</w:tc></w:tr></w:tbl>") + text
        << QString();
    QTest::newRow("field that never ends") << QStringLiteral(
        R"(<w:p><w:r><w:fldChar w:fldCharType="end"/><w:t>Readable</w:t><w:fldChar w:fldCharType="begin"/></w:r></w:p>)")
                                           << QString();
    QTest::newRow("styles based on each other")
        << paragraph(QStringLiteral("Readable"), QStringLiteral(R"(<w:pStyle w:val="A"/>)"))
        << QStringLiteral(R"(<w:style w:type="paragraph" w:styleId="A"><w:basedOn w:val="B"/></w:style>)"
                          R"(<w:style w:type="paragraph" w:styleId="B"><w:basedOn w:val="A"/></w:style>)");
    QTest::newRow("nonsense lengths")
        << paragraph(QStringLiteral("Readable"),
                     QStringLiteral(R"(<w:ind w:left="-99999" w:hanging="abc"/><w:spacing w:line="0" w:before="-5"/>)"),
                     QStringLiteral(R"(<w:sz w:val="0"/>)"))
        << QString();
    QTest::newRow("a paragraph taller than a page")
        << paragraph(QStringLiteral("Readable"), QStringLiteral(R"(<w:keepLines/><w:spacing w:line="20000" w:lineRule="exact"/>)"))
               + paragraph(QStringLiteral("word ").repeated(3000), QStringLiteral("<w:keepLines/>"))
        << QString();
}

void BodyLayoutTest::oddBodiesStillRender()
{
    QFETCH(QString, body);
    QFETCH(QString, styles);
    const DocxParts docx = parts(documentXml(body), styles.isEmpty() ? QByteArray() : stylesXml(styles));
    const quill::BodyPicture picture = quill::renderBody(docx.sources());
    QVERIFY(picture.pageCount >= 1);
    QCOMPARE(picture.picture.boundingRect().height(), picture.pageCount * picture.pageSize.height());
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    QVERIFY(plainText(built).contains(QStringLiteral("Readable")));
}

void BodyLayoutTest::replayIsCrispWhenScaled()
{
    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("Crisp HIxg"), QString(), QStringLiteral(R"(<w:sz w:val="24"/>)"))));
    const quill::BodyPicture body = quill::renderBody(docx.sources());
    constexpr int kZoom = 4;
    const QRect text(110, 90, 140, 30);
    const QImage vector = quill::renderPicture(body.picture, kZoom)
                              .copy(QRect(text.topLeft() * kZoom, text.size() * kZoom));
    const QImage raster = quill::renderPicture(body.picture, 1)
                              .copy(text)
                              .scaled(text.size() * kZoom, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // Replayed as vectors, the glyph edges stay one or two pixels wide; an enlarged raster smears them.
    QVERIFY(greyFraction(vector) < 1.0);
    QVERIFY2(greyFraction(vector) * 2 < greyFraction(raster),
             qPrintable(QStringLiteral("vector %1, raster %2").arg(greyFraction(vector)).arg(greyFraction(raster))));
}

void BodyLayoutTest::serializedPictureReplaysTheSame()
{
    const DocxParts docx = parts(documentXml(paragraph(QStringLiteral("Round trip of the body picture"))
                                             + paragraph(QStringLiteral("Second line"), QString(), QStringLiteral("<w:b/>"))));
    const quill::BodyPicture body = quill::renderBody(docx.sources());
    bool ok = false;
    const QPicture copy = quill::deserializePicture(quill::serializePicture(body.picture), &ok);
    QVERIFY(ok);
    QCOMPARE(copy.boundingRect(), body.picture.boundingRect());
    const QImage original = quill::renderPicture(body.picture, 2);
    QCOMPARE(quill::renderPicture(copy, 2), original);
    QVERIFY(greyFraction(original.copy(240, 190, 400, 40)) < 1.0); // the text is there

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPicturePaintEngine::checkFormat")));
    quill::deserializePicture(QByteArray("not a picture"), &ok);
    QVERIFY(!ok);
}

QTEST_MAIN(BodyLayoutTest)
#include "tst_bodylayout.moc"
