// Whole pages: each section on its own page, with the header and footer of the right kind, and page fields
// drawn as they print. Documents are built here and drawn through the engine.
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "PageLines.h"
#include "Packages.h"
#include "WordDocument.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace quill::test;

namespace {

QByteArray paragraphs(int count, const QByteArray &text)
{
    QByteArray xml;
    for (int line = 1; line <= count; ++line)
        xml += paragraph(run(text + ' ' + QByteArray::number(line)));
    return xml;
}

QByteArray pageBreak()
{
    return "<w:r><w:br w:type=\"page\"/></w:r>";
}

// A paragraph that ends a section with the section properties `properties`.
QByteArray sectionEnd(const QByteArray &text, const QByteArray &properties)
{
    return "<w:p><w:pPr><w:sectPr>" + properties + "</w:sectPr></w:pPr>" + run(text) + "</w:p>";
}

// The document drawn page by page, with the pages' places.
struct Drawn
{
    quill::BodyPicture body;
    QImage image;

    QImage page(int index) const { return image.copy(body.pageRects[size_t(index)]); }
};

Drawn draw(const QString &path)
{
    const auto document = quill::WordDocument::open(path, true);
    Drawn drawn;
    drawn.body = quill::renderBody(document->layoutSources());
    drawn.image = quill::renderPicture(drawn.body.picture);
    return drawn;
}

// The text lines drawn above the body's top margin (one inch) of `page`: the header's.
int headerLines(const QImage &page)
{
    return int(lineTops(page.copy(0, 0, page.width(), 90)).size());
}

// The tops of the text lines in the left or right column of two on a letter page with one-inch margins.
std::vector<int> columnLineTops(const QImage &page, bool right)
{
    return lineTops(page.copy(right ? 420 : 96, 0, 300, page.height()));
}

// True when `rect` of `page` holds any ink.
bool hasInk(const QImage &page, const QRect &rect)
{
    const QImage part = page.copy(rect).convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < part.height(); ++y) {
        const uchar *row = part.constScanLine(y);
        for (int x = 0; x < part.width(); ++x) {
            if (row[x] < 192)
                return true;
        }
    }
    return false;
}

} // namespace

class WholePagesTest : public QObject
{
    Q_OBJECT

private slots:
    void headersOfTheRightKindOnSectionsOfTheirOwn();
    void headerOfAMissingPartIsEmpty();
    void columnsSideBySide();
    void columnsBelowTextOnTheSamePage();
    void columnsBalanceBeforeAContinuousBreak();
    void lastLineFitsByItsText();
};

// Section one has a different first page and three pages; even and odd headers are kept apart. Section two
// is landscape and names no headers (it inherits section one's); section three is portrait again. The
// headers tell themselves apart by their number of lines: first 1, default (odd) 2, even 3. The footer's
// NUMPAGES must draw exactly what a footer saying "6" draws.
void WholePagesTest::headersOfTheRightKindOnSectionsOfTheirOwn()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray references = "<w:headerReference w:type=\"first\" r:id=\"rIdStory1\"/>"
                                  "<w:headerReference w:type=\"default\" r:id=\"rIdStory2\"/>"
                                  "<w:headerReference w:type=\"even\" r:id=\"rIdStory3\"/>"
                                  "<w:footerReference w:type=\"default\" r:id=\"rIdStory4\"/>";
    const QByteArray portrait = "<w:pgSz w:w=\"12240\" w:h=\"15840\"/>";
    const QByteArray landscape = "<w:pgSz w:w=\"15840\" w:h=\"12240\" w:orient=\"landscape\"/>";
    DocumentRecipe recipe;
    recipe.body = paragraph(run("one")) + paragraph(pageBreak() + run("two")) + paragraph(pageBreak())
            + sectionEnd("three", references + portrait + "<w:titlePg/>")
            + paragraph(run("four")) + paragraph(pageBreak())
            + sectionEnd("five", landscape)
            + paragraph(run("six"));
    recipe.headers = {{"first", paragraphs(1, "first")}, {"default", paragraphs(2, "odd")},
                      {"even", paragraphs(3, "even")}};
    recipe.extraEntries = {{"word/settings.xml", "<?xml version=\"1.0\"?><w:settings" + wordNamespaces()
                                                     + "><w:evenAndOddHeaders/></w:settings>"}};
    DocumentRecipe counted = recipe;
    recipe.footers = {{"default", "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
                                  "<w:r><w:instrText> NUMPAGES </w:instrText></w:r>"
                                  "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("9")
                                  + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>"}};
    counted.footers = {{"default", paragraph(run("6"))}};
    const QString path = folder.filePath(QStringLiteral("sections.docx"));
    const QString countedPath = folder.filePath(QStringLiteral("counted.docx"));
    QVERIFY(writeDocument(path, recipe));
    QVERIFY(writeDocument(countedPath, counted));

    const Drawn drawn = draw(path);
    QCOMPARE(drawn.body.pageCount, 6);
    const QList<int> expectedLines{1, 3, 2, 3, 2, 3};
    const QSize letter(816, 1056);
    const QList<QSize> expectedSizes{letter, letter, letter, letter.transposed(), letter.transposed(), letter};
    for (int page = 0; page < 6; ++page) {
        QCOMPARE(drawn.body.pageRects[size_t(page)].size(), expectedSizes[page]);
        QVERIFY2(headerLines(drawn.page(page)) == expectedLines[page], qPrintable(QStringLiteral("page %1").arg(page + 1)));
    }

    const Drawn reference = draw(countedPath);
    const QRect footer(0, 1056 - 96, 816, 96);
    // Only the default footer exists: page 1 (a different first page) and page 2 (even) show none, page 3 does.
    QCOMPARE(int(lineTops(drawn.page(0).copy(footer)).size()), 0);
    QCOMPARE(int(lineTops(drawn.page(1).copy(footer)).size()), 0);
    QCOMPARE(int(lineTops(drawn.page(2).copy(footer)).size()), 1);
    QCOMPARE(drawn.page(2).copy(footer), reference.page(2).copy(footer));
}

// A section naming a header part that is not in the package (or no relationship at all) still opens and
// draws, without a header.
void WholePagesTest::headerOfAMissingPartIsEmpty()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = sectionEnd("one", "<w:headerReference w:type=\"default\" r:id=\"rIdNowhere\"/>");
    recipe.headers = {{"default", paragraphs(1, "header")}};
    PackageEntries entries = documentEntries(recipe);
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [](const auto &entry) { return entry.first.startsWith(QLatin1String("word/header")); }),
                  entries.end());
    const QString path = folder.filePath(QStringLiteral("missing.docx"));
    QVERIFY(writePackage(path, entries));

    const Drawn drawn = draw(path);
    QCOMPARE(drawn.body.pageCount, 1);
    QCOMPARE(headerLines(drawn.page(0)), 0);
}

// Two equal columns with a line between them on a letter page with one-inch margins (text 96..720 px, columns
// 96..396 and 420..720, the line at 408): text fills the left column, then the right one, then the next page;
// a column break goes on at the top of the next column.
void WholePagesTest::columnsSideBySide()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray columns = "<w:cols w:num=\"2\" w:space=\"360\" w:sep=\"1\"/>";
    DocumentRecipe flowing;
    flowing.body = paragraphs(69, "flowing") + sectionEnd("last", columns);
    DocumentRecipe broken;
    broken.body = paragraph(run("left")) + "<w:p><w:pPr><w:sectPr>" + columns + "</w:sectPr></w:pPr>"
        + "<w:r><w:br w:type=\"column\"/></w:r>" + run("right") + "</w:p>";
    const QString flowingPath = folder.filePath(QStringLiteral("flowing.docx"));
    const QString brokenPath = folder.filePath(QStringLiteral("broken.docx"));
    QVERIFY(writeDocument(flowingPath, flowing));
    QVERIFY(writeDocument(brokenPath, broken));

    const Drawn flowed = draw(flowingPath);
    QCOMPARE(flowed.body.pageCount, 1);
    const QImage page = flowed.page(0);
    const QRect leftTop(96, 96, 290, 30);
    const QRect rightTop(420, 96, 290, 30);
    QVERIFY(hasInk(page, leftTop));
    QVERIFY(hasInk(page, rightTop));
    QVERIFY(!hasInk(page, QRect(398, 96, 8, 800))); // the gap left of the line
    QVERIFY(hasInk(page, QRect(406, 500, 4, 1)));   // the line

    const Drawn split = draw(brokenPath);
    QCOMPARE(split.body.pageCount, 1);
    QVERIFY(hasInk(split.page(0), leftTop));
    QVERIFY(hasInk(split.page(0), rightTop));
}

// A continuous section break into two columns: the columns begin below the six lines of single-column text
// already on the page, both at the same height, and the page holds what one column could not.
void WholePagesTest::columnsBelowTextOnTheSamePage()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = paragraphs(5, "intro") + sectionEnd("intro", QByteArray()) + paragraphs(60, "column")
        + sectionEnd("end", "<w:type w:val=\"continuous\"/><w:cols w:num=\"2\" w:space=\"360\"/>");
    const QString path = folder.filePath(QStringLiteral("continuous.docx"));
    QVERIFY(writeDocument(path, recipe));

    const Drawn drawn = draw(path);
    QCOMPARE(drawn.body.pageCount, 1);
    const QImage page = drawn.page(0);
    const std::vector<int> left = columnLineTops(page, false);
    const std::vector<int> right = columnLineTops(page, true);
    QVERIFY(left.size() > 6);
    QVERIFY(!right.empty());
    QVERIFY(right.front() > left[5]);
    QCOMPARE(right.front(), left[6]);
}

// Two columns between continuous section breaks end level, and the single-column text after them goes on
// below both: twenty lines make two columns of ten, with the line between them beside them only.
void WholePagesTest::columnsBalanceBeforeAContinuousBreak()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray continuous = "<w:type w:val=\"continuous\"/>";
    DocumentRecipe recipe;
    recipe.body = paragraphs(3, "intro") + sectionEnd("intro", QByteArray()) + paragraphs(19, "column")
        + sectionEnd("column", continuous + "<w:cols w:num=\"2\" w:space=\"360\" w:sep=\"1\"/>") + paragraphs(2, "after")
        + sectionEnd("after", continuous);
    const QString path = folder.filePath(QStringLiteral("balanced.docx"));
    QVERIFY(writeDocument(path, recipe));

    const Drawn drawn = draw(path);
    QCOMPARE(drawn.body.pageCount, 1);
    const QImage page = drawn.page(0);
    const std::vector<int> left = columnLineTops(page, false);
    const std::vector<int> right = columnLineTops(page, true);
    QCOMPARE(int(right.size()), 10);
    const auto within = [&](int from, int to) {
        return int(std::count_if(left.begin(), left.end(), [&](int top) { return top >= from && top <= to; }));
    };
    QCOMPARE(within(right.front(), right.back()), 10);
    QCOMPARE(within(right.back() + 1, page.height()), 3);
    // The line between the columns spans their text only.
    QVERIFY(hasInk(page, QRect(406, right.front(), 4, right.back() - right.front())));
    QVERIFY(!hasInk(page, QRect(406, 96, 4, right.front() - 100)));
    QVERIFY(!hasInk(page, QRect(406, right.back() + 30, 4, 300)));

    // Columns that run onto a second sheet: the first stays full, the second ends level.
    recipe.body = paragraphs(3, "intro") + sectionEnd("intro", QByteArray()) + paragraphs(119, "column")
        + sectionEnd("column", continuous + "<w:cols w:num=\"2\" w:space=\"360\"/>") + paragraphs(2, "after")
        + sectionEnd("after", continuous);
    QVERIFY(writeDocument(path, recipe));
    const Drawn long_ = draw(path);
    QCOMPARE(long_.body.pageCount, 2);
    const QImage second = long_.page(1);
    const std::vector<int> secondLeft = columnLineTops(second, false);
    const std::vector<int> secondRight = columnLineTops(second, true);
    QVERIFY(secondRight.size() > 5);
    QVERIFY(secondLeft.size() - 2 - secondRight.size() <= 1); // "after" lines below, the rest shared evenly
    QVERIFY(secondLeft[secondLeft.size() - 2] > secondRight.back());
}

// Carlito 11 pt at 1.15 lines with 5 pt after each paragraph (Word's table of contents): LibreOffice puts 32
// of them on a letter page with one-inch margins, the last one's text just above the margin though its line gap
// is not.
void WholePagesTest::lastLineFitsByItsText()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = paragraphs(40, "entry");
    PackageEntries entries = documentEntries(recipe);
    addWordPart(entries, "styles",
                "<?xml version=\"1.0\"?><w:styles" + wordNamespaces() + "><w:docDefaults><w:rPrDefault><w:rPr>"
                "<w:rFonts w:ascii=\"Carlito\" w:hAnsi=\"Carlito\"/><w:sz w:val=\"22\"/></w:rPr></w:rPrDefault>"
                "<w:pPrDefault><w:pPr><w:spacing w:after=\"100\" w:line=\"276\" w:lineRule=\"auto\"/></w:pPr>"
                "</w:pPrDefault></w:docDefaults></w:styles>");
    const QString path = folder.filePath(QStringLiteral("foot.docx"));
    QVERIFY(writePackage(path, entries));

    const Drawn drawn = draw(path);
    QCOMPARE(drawn.body.pageCount, 2);
    QCOMPARE(int(lineTops(drawn.page(0)).size()), 32);
}

QTEST_MAIN(WholePagesTest)
#include "tst_wholepages.moc"
