// Footnotes and endnotes: numbered reference marks, footnotes at the foot of the page their mark falls on (the
// text that would reach into them goes on the next page), endnotes on pages after the body.
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "Notes.h"
#include "PageLines.h"
#include "Packages.h"
#include "WordDocument.h"

#include <pugixml.hpp>

#include <QTemporaryDir>
#include <QtTest>

using namespace quill::test;

namespace {

const char kWordNamespace[] = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

QByteArray reference(const QByteArray &kind, int id)
{
    return "<w:r><w:" + kind + "Reference w:id=\"" + QByteArray::number(id) + "\"/></w:r>";
}

// Note `id` of `kind` (footnote, endnote): its mark, then `lines` lines of text.
QByteArray note(const QByteArray &kind, int id, int lines)
{
    QByteArray text = "<w:r><w:" + kind + "Ref/></w:r>" + run(" Note");
    for (int line = 1; line < lines; ++line)
        text += "<w:r><w:br/><w:t>more</w:t></w:r>";
    return "<w:" + kind + " w:id=\"" + QByteArray::number(id) + "\">" + paragraph(text) + "</w:" + kind + ">";
}

QByteArray lines(int count)
{
    QByteArray xml;
    for (int line = 1; line <= count; ++line)
        xml += paragraph(run("line " + QByteArray::number(line)));
    return xml;
}

struct Drawn
{
    quill::BodyPicture body;
    QImage image;

    QImage page(int index) const { return image.copy(body.pageRects[size_t(index)]); }
};

// The package of `recipe` with an endnotes part holding `endnotes`, when not empty.
PackageEntries withEndnotes(const DocumentRecipe &recipe, const QByteArray &endnotes)
{
    PackageEntries entries = documentEntries(recipe);
    if (endnotes.isEmpty())
        return entries;
    addWordPart(entries, "endnotes", "<?xml version=\"1.0\"?><w:endnotes" + wordNamespaces() + ">" + endnotes + "</w:endnotes>");
    return entries;
}

Drawn draw(const QTemporaryDir &folder, const DocumentRecipe &recipe, const QByteArray &endnotes = QByteArray())
{
    static int count = 0;
    const QString path = folder.filePath(QStringLiteral("notes%1.docx").arg(++count));
    Drawn drawn;
    if (!writePackage(path, withEndnotes(recipe, endnotes)))
        return drawn;
    const auto document = quill::WordDocument::open(path, true);
    drawn.body = quill::renderBody(document->layoutSources());
    drawn.image = quill::renderPicture(drawn.body.picture);
    return drawn;
}

} // namespace

class NotesTest : public QObject
{
    Q_OBJECT

private slots:
    void marksAreNumberedAsTheSettingsSay();
    void footnotesTakeTheFootOfTheirPage();
    void textPushedByNotesKeepsItsRules();
    void footnotesOfColumnsTakeTheFootOfTheirPage();
    void footnotesOfSectionsSharingAPageStack();
    void endnotesFollowTheBody();
};

void NotesTest::marksAreNumberedAsTheSettingsSay()
{
    pugi::xml_document settings;
    QVERIFY(settings.load_string((QByteArray("<w:settings ") + kWordNamespace + "><w:footnotePr><w:numFmt w:val=\"upperRoman\"/>"
                                  "<w:numStart w:val=\"3\"/></w:footnotePr></w:settings>").constData()));
    pugi::xml_document runs;
    QVERIFY(runs.load_string((QByteArray("<w:r ") + kWordNamespace + "><w:footnoteReference w:id=\"1\"/>"
                              "<w:endnoteReference w:id=\"2\"/><w:footnoteReference w:customMarkFollows=\"1\" w:id=\"3\"/>"
                              "<w:footnoteReference w:id=\"4\"/><w:t>text</w:t></w:r>").constData()));
    quill::NoteMarks marks(&settings);
    std::vector<std::optional<quill::TextPiece>> pieces;
    for (pugi::xml_node item : runs.document_element().children())
        pieces.push_back(marks.referencePiece(item, QTextCharFormat()));
    QCOMPARE(pieces.size(), size_t(5));
    QCOMPARE(pieces[0]->text, QStringLiteral("III"));
    QCOMPARE(pieces[0]->format.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QCOMPARE(pieces[0]->format.intProperty(quill::NoteIdProperty), 1);
    QCOMPARE(pieces[1]->text, QStringLiteral("i")); // endnotes count apart, in lower roman by default
    QVERIFY(pieces[1]->format.boolProperty(quill::EndnoteProperty));
    QVERIFY(!pieces[2]); // a mark of its own follows in the text
    QCOMPARE(pieces[3]->text, QStringLiteral("IV"));
    QVERIFY(!pieces[4]);
}

// Fifty lines fill one letter page; a twelve-line footnote on it pushes the last lines to a second page, and
// stands below the text with its separator line at the column's left.
void NotesTest::footnotesTakeTheFootOfTheirPage()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe plain;
    plain.body = paragraph(run("first")) + lines(48);
    DocumentRecipe noted = plain;
    noted.body = paragraph(run("first") + reference("footnote", 1)) + lines(48);
    noted.footnotes = note("footnote", 1, 12);
    QCOMPARE(draw(folder, plain).body.pageCount, 1);
    const Drawn drawn = draw(folder, noted);
    QCOMPARE(drawn.body.pageCount, 2);

    // The body's text ends above the notes: the lowest lines of the page are the note's twelve lines, the
    // separator above them.
    const QImage page = drawn.page(0);
    const std::vector<int> tops = lineTops(page.copy(0, 0, page.width(), 960));
    QVERIFY(tops.size() > 12);
    const int separator = tops[tops.size() - 13];
    const QImage separatorRow = page.copy(96, separator, 200, 1).convertToFormat(QImage::Format_Grayscale8);
    QVERIFY(qGray(separatorRow.pixel(40, 0)) < 224);  // the line, a quarter of the column long
    QVERIFY(qGray(separatorRow.pixel(190, 0)) > 224);
    QCOMPARE(int(lineTops(drawn.page(1).copy(0, 800, 816, 160)).size()), 0); // no notes on page 2
}

// The text that the notes push to the next page obeys the keep rules there: a heading kept with the pushed
// paragraph goes along, and a three-line paragraph under widow control moves whole rather than leave one line.
void NotesTest::textPushedByNotesKeepsItsRules()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QByteArray first = paragraph(run("first") + reference("footnote", 1));
    const QByteArray footnotes = note("footnote", 1, 12);
    DocumentRecipe filled;
    filled.body = first + lines(48);
    filled.footnotes = footnotes;
    // The body lines that fit above the notes on the first page.
    const int fitting = 49 - int(lineTops(draw(folder, filled).page(1)).size());
    QVERIFY(fitting > 20);

    const QByteArray heading = "<w:p><w:pPr><w:keepNext/></w:pPr>" + run("heading") + "</w:p>";
    DocumentRecipe kept = filled;
    kept.body = first + lines(fitting - 2) + heading + lines(5);
    QCOMPARE(int(lineTops(draw(folder, kept).page(1)).size()), 6);

    DocumentRecipe widowed = filled;
    widowed.body = first + lines(fitting - 3)
        + paragraph(run("one") + "<w:r><w:br/><w:t>two</w:t><w:br/><w:t>three</w:t></w:r>") + lines(5);
    QCOMPARE(int(lineTops(draw(folder, widowed).page(1)).size()), 8);
}

// A footnote referred to in a section of two columns stands at the foot of the page, below both columns.
void NotesTest::footnotesOfColumnsTakeTheFootOfTheirPage()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = paragraph(run("first") + reference("footnote", 1)) + lines(10)
        + "<w:p><w:pPr><w:sectPr><w:cols w:num=\"2\" w:space=\"360\"/></w:sectPr></w:pPr></w:p>";
    recipe.footnotes = note("footnote", 1, 3);
    const Drawn drawn = draw(folder, recipe);
    QCOMPARE(drawn.body.pageCount, 1);
    const QImage page = drawn.page(0);
    QCOMPARE(int(lineTops(page.copy(0, 700, page.width(), 260)).size()), 4); // the separator, then the note
}

// Two sections on one page (the second begun by a continuous break) each refer to a footnote: both notes stand
// at the foot, the first above the second, under one separator, and neither section's text runs into them.
void NotesTest::footnotesOfSectionsSharingAPageStack()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = paragraph(run("first") + reference("footnote", 1)) + lines(3) + "<w:p><w:pPr><w:sectPr/></w:pPr></w:p>"
        + paragraph(run("second") + reference("footnote", 2)) + lines(70)
        + "<w:p><w:pPr><w:sectPr><w:type w:val=\"continuous\"/><w:cols w:num=\"2\" w:space=\"360\"/></w:sectPr></w:pPr></w:p>";
    recipe.footnotes = note("footnote", 1, 4) + note("footnote", 2, 6);
    const Drawn drawn = draw(folder, recipe);
    const QImage page = drawn.page(0);
    const std::vector<int> tops = lineTops(page);
    QVERIFY(tops.size() > 11);
    // From the foot up: the ten lines of the two notes, each a line apart (overlapping notes would merge lines),
    // then their separator, then the body's last line.
    const std::vector<int> foot(tops.end() - 12, tops.end());
    for (size_t index = 3; index < foot.size(); ++index)
        QVERIFY2(foot[index] - foot[index - 1] >= 12, qPrintable(QString::number(index)));
    const QImage separatorRow = page.copy(96, foot[1], 200, 1).convertToFormat(QImage::Format_Grayscale8);
    QVERIFY(qGray(separatorRow.pixel(40, 0)) < 224);
    QVERIFY(qGray(separatorRow.pixel(190, 0)) > 224);
}

void NotesTest::endnotesFollowTheBody()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    DocumentRecipe recipe;
    recipe.body = paragraph(run("first") + reference("endnote", 2)) + paragraph(run("last"));
    const Drawn drawn = draw(folder, recipe, note("endnote", 2, 3));
    QCOMPARE(drawn.body.pageCount, 2);
    QCOMPARE(int(lineTops(drawn.page(1)).size()), 3);
}

QTEST_MAIN(NotesTest)
#include "tst_notes.moc"
