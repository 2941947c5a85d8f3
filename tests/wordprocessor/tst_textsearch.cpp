#include "AutomationObject.h"
#include "Packages.h"
#include "TextSearch.h"
#include "WordDocument.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quill;
using namespace quill::test;

namespace {

const QByteArray kBold = "<w:b/>";
const QByteArray kItalic = "<w:i/>";
const QByteArray kUnderline = "<w:u w:val=\"single\"/>";

std::unique_ptr<WordDocument> openDocument(const QTemporaryDir &folder, const DocumentRecipe &recipe)
{
    const QString path = folder.filePath(QStringLiteral("search.docx"));
    if (!writeDocument(path, recipe))
        return nullptr;
    return WordDocument::open(path);
}

int replaceInBody(WordDocument &document, const QString &text, const QString &replacement, ReplaceMode mode,
                  bool matchCase = false, bool forward = true)
{
    FindOptions options;
    options.text = text;
    options.replacement = replacement;
    options.matchCase = matchCase;
    options.forward = forward;
    return document.find(document.story(StoryType::MainText), options, mode);
}

const QByteArray kTagProperties = "<w:alias w:val=\"[Tag]\"/><w:tag w:val=\"[Tag]\"/>";

// A content control with the properties kTagProperties around `content`.
QByteArray contentControl(const QByteArray &content)
{
    return "<w:sdt><w:sdtPr>" + kTagProperties + "</w:sdtPr><w:sdtContent>" + content + "</w:sdtContent></w:sdt>";
}

QByteArray fieldCharacter(const QByteArray &type)
{
    return "<w:r><w:fldChar w:fldCharType=\"" + type + "\"/></w:r>";
}

QByteArray fieldBegin()
{
    return fieldCharacter("begin");
}

QByteArray fieldSeparate()
{
    return fieldCharacter("separate");
}

QByteArray fieldEnd()
{
    return fieldCharacter("end");
}

// A complex field with the code `code` showing the runs `result`.
QByteArray field(const QByteArray &code, const QByteArray &result)
{
    return fieldBegin() + "<w:r><w:instrText xml:space=\"preserve\">" + code + "</w:instrText></w:r>" + fieldSeparate()
            + result + fieldEnd();
}

pugi::xml_node body(WordDocument &document)
{
    return document.package().xml(document.mainPartName()).child("w:document").child("w:body");
}

} // namespace

class TestTextSearch : public QObject
{
    Q_OBJECT

private slots:
    void replaceAll_data();
    void replaceAll();
    void replaceInsideWrappers_data();
    void replaceInsideWrappers();
    void replacementTakesFormattingOfFirstRun();
    void markupInsideATagSurvives();
    void blanksAtTheEdgeArePreserved();
    void elementsInsideTextSurvive_data();
    void elementsInsideTextSurvive();
    void fieldsAndPromptsAreUntouched();
    void laterSearchesSeeEarlierReplacements();
    void replaceOneFollowsDirection();
    void wholeWordOnly();
    void unsupportedOptionsFail();
    void foldCaseKeepsLength_data();
    void foldCaseKeepsLength();
};

void TestTextSearch::replaceAll_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("find");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("text");

    QTest::newRow("tag split over three runs")
            << paragraph(run("Dear [Your", kBold) + run("Na", kItalic) + run("me], hi", kUnderline))
            << "[YourName]" << "Alice" << false << 1 << "Dear Alice, hi\r";
    QTest::newRow("letter case ignored") << paragraph(run("[COMPANYNAME] and [CompanyName]"))
                                         << "[companyname]" << "Acme" << false << 2 << "Acme and Acme\r";
    QTest::newRow("letter case of non-ASCII ignored") << paragraph(run("[STRASSE-ÄÖÜ] [ΩMEGA] [ärger]"))
                                                     << "[Ärger]" << "x" << false << 1 << "[STRASSE-ÄÖÜ] [ΩMEGA] x\r";
    QTest::newRow("Greek capitals") << paragraph(run("[ΩMEGA]")) << "[ωmega]" << "y" << false << 1 << "y\r";
    QTest::newRow("letter case respected when asked") << paragraph(run("[CompanyName]"))
                                                      << "[companyname]" << "Acme" << true << 0 << "[CompanyName]\r";
    QTest::newRow("closing bracket is part of the tag") << paragraph(run("[City2], [City] [ST2] [ST]"))
                                                        << "[City]" << "Paris" << false << 1 << "[City2], Paris [ST2] [ST]\r";
    QTest::newRow("tab is a barrier") << paragraph("<w:r><w:t>[Ci</w:t><w:tab/><w:t>ty]</w:t></w:r>")
                                      << "[City]" << "Paris" << false << 0 << "[Ci\tty]\r";
    QTest::newRow("match just after a barrier") << paragraph("<w:r><w:t>[Ci</w:t><w:tab/><w:t>[City]</w:t></w:r>")
                                                << "[City]" << "Paris" << false << 1 << "[Ci\tParis\r";
    QTest::newRow("break is a barrier") << paragraph("<w:r><w:t>[Ci</w:t><w:br/><w:t>ty]</w:t></w:r>")
                                        << "[City]" << "Paris" << false << 0 << "[Ci\vty]\r";
    QTest::newRow("paragraph end is a barrier") << paragraph(run("[Ci")) + paragraph(run("ty]"))
                                                << "[City]" << "Paris" << false << 0 << "[Ci\rty]\r";
    QTest::newRow("match through wrappers")
            << paragraph(run("[Re") + "<w:hyperlink r:id=\"rIdLink\">" + run("ci") + "</w:hyperlink>"
                         + "<w:ins w:id=\"1\" w:author=\"A\">" + run("pi") + "</w:ins>"
                         + "<w:smartTag w:uri=\"u\" w:element=\"e\">" + run("ent") + "</w:smartTag>"
                         + "<w:proofErr w:type=\"spellStart\"/>" + run("Na") + "<w:proofErr w:type=\"spellEnd\"/>"
                         + "<w:fldSimple w:instr=\" QUOTE x \">" + run("me]") + "</w:fldSimple>")
            << "[RecipientName]" << "Bob" << false << 1 << "Bob\r";
    QTest::newRow("field codes are not searched")
            << paragraph("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>"
                         "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("1")
                         + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")
            << "PAGE" << "x" << false << 0 << "1\r";
    QTest::newRow("deleted text is not searched")
            << paragraph("<w:del w:id=\"2\" w:author=\"A\"><w:r><w:delText>[X]</w:delText></w:r></w:del>" + run("kept"))
            << "[X]" << "y" << false << 0 << "kept\r";
    QTest::newRow("empty replacement removes the tag") << paragraph(run("Dear [Name]:"))
                                                       << "[Name]" << QString() << false << 1 << "Dear :\r";
    QTest::newRow("replacement holding the tag is not searched again") << paragraph(run("[X] [X]"))
                                                                       << "[X]" << "[X][X]" << false << 2 << "[X][X] [X][X]\r";
    QTest::newRow("special and non-ASCII characters") << paragraph(run("&lt;[Tag]&gt;"))
                                                      << "[tag]" << "A & B <C> \"D\" 'E' Ünïcödé 日本 🙂" << false << 1
                                                      << "<A & B <C> \"D\" 'E' Ünïcödé 日本 🙂>\r";
    QTest::newRow("control characters are dropped") << paragraph(run("[Tag]"))
                                                    << "[Tag]" << QStringLiteral("a\x01" "b") << false << 1 << "ab\r";
    QTest::newRow("tables") << "<w:tbl><w:tr><w:tc>" + paragraph(run("[A]")) + "</w:tc><w:tc>" + paragraph(run("[a]"))
                                       + "</w:tc></w:tr></w:tbl>"
                            << "[A]" << "1" << false << 2 << "1\r1\r";
}

// Content controls, fields, smart tags, custom XML and revisions around the text: `kept` is XML that the saved
// main part still holds (field codes, control properties), or empty.
void TestTextSearch::replaceInsideWrappers_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("found");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("kept");

    QTest::newRow("block-level content control")
            << contentControl(paragraph(run("[Tag]")) + paragraph(run("x [Tag]"))) << 2 << "v\rx v\r" << kTagProperties;
    QTest::newRow("run-level content control")
            << paragraph(run("a ") + contentControl(run("[T") + run("ag]")) + run(" b")) << 1 << "a v b\r" << kTagProperties;
    QTest::newRow("row-level content control")
            << "<w:tbl>" + contentControl("<w:tr><w:tc>" + paragraph(run("[Tag]")) + "</w:tc></w:tr>") + "</w:tbl>"
            << 1 << "v\r" << QByteArray();
    QTest::newRow("cell-level content control")
            << "<w:tbl><w:tr>" + contentControl("<w:tc>" + paragraph(run("[Tag]")) + "</w:tc>") + "</w:tr></w:tbl>"
            << 1 << "v\r" << QByteArray();
    QTest::newRow("nested content controls")
            << contentControl(paragraph(contentControl(run("[Tag]")))) << 1 << "v\r" << QByteArray();
    QTest::newRow("hyperlink field: result changes, code stays")
            << paragraph(field(" HYPERLINK \"http://x/[Tag]\" ", run("[Tag]"))) << 1 << "v\r"
            << QByteArray("http://x/[Tag]");
    QTest::newRow("text in a field code is no result")
            << paragraph(fieldBegin() + run("[Tag]") + fieldSeparate() + run("[Tag]") + fieldEnd()) << 1 << "v\r"
            << QByteArray("<w:t xml:space=\"preserve\">[Tag]</w:t>");
    QTest::newRow("field without a result")
            << paragraph(fieldBegin() + run("[Tag]") + fieldEnd() + run(" [Tag]")) << 1 << " v\r" << QByteArray();
    QTest::newRow("nested field in a code")
            << paragraph(fieldBegin() + field(" REF a ", run("[Tag]")) + fieldSeparate() + run("[Tag]") + fieldEnd())
            << 1 << "v\r" << QByteArray();
    QTest::newRow("nested field in a result")
            << paragraph(field(" IF 1 = 1 ", run("[Tag] ") + field(" REF a ", run("[Tag]")))) << 2 << "v v\r"
            << QByteArray();
    QTest::newRow("field result over paragraphs")
            << paragraph(fieldBegin() + "<w:r><w:instrText> TOC [Tag] </w:instrText></w:r>" + fieldSeparate() + run("[Tag]"))
                    + paragraph(run("[Tag]") + fieldEnd())
            << 2 << "v\rv\r" << QByteArray("TOC [Tag]");
    QTest::newRow("simple field result")
            << paragraph("<w:fldSimple w:instr=\" REF [Tag] \">" + run("[Tag]") + "</w:fldSimple>") << 1 << "v\r"
            << QByteArray("REF [Tag]");
    QTest::newRow("insertions and moves searched, deletions not")
            << paragraph("<w:ins w:id=\"1\" w:author=\"A\">" + run("[Tag]") + "</w:ins>"
                         "<w:del w:id=\"2\" w:author=\"A\"><w:r><w:delText>[Tag]</w:delText></w:r></w:del>"
                         "<w:moveFrom w:id=\"3\" w:author=\"A\">" + run("[Tag]") + "</w:moveFrom>"
                         "<w:moveTo w:id=\"4\" w:author=\"A\">" + run("[Tag]") + "</w:moveTo>")
            << 2 << "vv\r" << QByteArray("<w:delText>[Tag]</w:delText>");
    QTest::newRow("smart tag and custom XML in a paragraph")
            << paragraph("<w:smartTag w:uri=\"u\" w:element=\"e\">" + run("[Tag]") + "</w:smartTag>"
                         "<w:customXml w:element=\"e\"><w:customXmlPr><w:attr w:name=\"n\" w:val=\"[Tag]\"/></w:customXmlPr>"
                         + run("[Tag]") + "</w:customXml>")
            << 2 << "vv\r" << QByteArray("w:val=\"[Tag]\"");
    QTest::newRow("custom XML around paragraphs")
            << "<w:customXml w:element=\"e\">" + paragraph(run("[Tag]")) + "</w:customXml>" << 1 << "v\r" << QByteArray();
}

void TestTextSearch::replaceInsideWrappers()
{
    QFETCH(QByteArray, content);
    QFETCH(int, found);
    QFETCH(QString, text);
    QFETCH(QByteArray, kept);

    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{content, {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(replaceInBody(*document, QStringLiteral("[Tag]"), QStringLiteral("v"), ReplaceMode::All), found);
    QCOMPARE(document->storyText(StoryType::MainText), text);
    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    document->saveAs(saved);
    QCOMPARE(WordDocument::open(saved)->storyText(StoryType::MainText), text);
    QVERIFY(readPackage(saved).parts.value(QStringLiteral("word/document.xml")).contains(kept));
}

void TestTextSearch::replaceAll()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, find);
    QFETCH(QString, replacement);
    QFETCH(bool, matchCase);
    QFETCH(int, found);
    QFETCH(QString, text);

    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{content, {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(replaceInBody(*document, find, replacement, ReplaceMode::All, matchCase), found);
    QCOMPARE(document->storyText(StoryType::MainText), text);

    // What was written survives saving and reading back.
    const QString saved = folder.filePath(QStringLiteral("saved.doc"));
    document->saveAs(saved);
    QCOMPARE(WordDocument::open(saved)->storyText(StoryType::MainText), text);
}

void TestTextSearch::replacementTakesFormattingOfFirstRun()
{
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{paragraph(run("[Your", kBold) + run("Na", kItalic) + run("me]!", kUnderline)),
                                                      {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(replaceInBody(*document, QStringLiteral("[yourname]"), QStringLiteral("Alice"), ReplaceMode::All), 1);

    const pugi::xml_node paragraphNode = body(*document).child("w:p");
    std::vector<pugi::xml_node> runs;
    for (const pugi::xml_node runNode : paragraphNode.children("w:r"))
        runs.push_back(runNode);
    QCOMPARE(runs.size(), size_t(3));
    QVERIFY(runs[0].child("w:rPr").child("w:b"));
    QCOMPARE(QString::fromUtf8(runs[0].child("w:t").text().get()), QStringLiteral("Alice"));
    QVERIFY(!runs[1].child("w:t"));
    QVERIFY(runs[1].child("w:rPr").child("w:i"));
    QCOMPARE(QString::fromUtf8(runs[2].child("w:t").text().get()), QStringLiteral("!"));
    QVERIFY(runs[2].child("w:rPr").child("w:u"));
}

void TestTextSearch::markupInsideATagSurvives()
{
    QTemporaryDir folder;
    const QByteArray content = paragraph(run("To [Ci") + "<w:bookmarkStart w:id=\"0\" w:name=\"Place\"/>" + run("ty")
                                         + "<w:bookmarkEnd w:id=\"0\"/><w:commentRangeStart w:id=\"3\"/>" + run("] now"));
    auto document = openDocument(folder, DocumentRecipe{content, {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(replaceInBody(*document, QStringLiteral("[City]"), QStringLiteral("Rome"), ReplaceMode::All), 1);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("To Rome now\r"));
    const pugi::xml_node paragraphNode = body(*document).child("w:p");
    QCOMPARE(QString::fromUtf8(paragraphNode.child("w:bookmarkStart").attribute("w:name").value()), QStringLiteral("Place"));
    QVERIFY(paragraphNode.child("w:bookmarkEnd"));
    QVERIFY(paragraphNode.child("w:commentRangeStart"));
}

void TestTextSearch::blanksAtTheEdgeArePreserved()
{
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{paragraph("<w:r><w:t>[A]</w:t></w:r><w:r><w:t>[B]</w:t></w:r>"),
                                                      {}, {}, {}, false, {}});
    QVERIFY(document);
    replaceInBody(*document, QStringLiteral("[A]"), QStringLiteral("one "), ReplaceMode::All);
    replaceInBody(*document, QStringLiteral("[B]"), QStringLiteral("two"), ReplaceMode::All);
    const pugi::xml_node first = body(*document).child("w:p").child("w:r");
    QCOMPARE(QString::fromUtf8(first.child("w:t").attribute("xml:space").value()), QStringLiteral("preserve"));
    QVERIFY(!first.next_sibling("w:r").child("w:t").attribute("xml:space"));

    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    document->saveAs(saved);
    QCOMPARE(WordDocument::open(saved)->storyText(StoryType::MainText), QStringLiteral("one two\r"));
}

void TestTextSearch::elementsInsideTextSurvive_data()
{
    QTest::addColumn<QString>("replacement");
    QTest::newRow("text left") << QStringLiteral("x");
    QTest::newRow("text emptied") << QString();
}

// A damaged document may hold elements in a w:t, here the section properties that name a footer:
// replacing the text keeps them, so the saved document has the stories the engine showed.
void TestTextSearch::elementsInsideTextSurvive()
{
    QFETCH(QString, replacement);
    const QByteArray content = paragraph("<w:r><w:t>[A]<w:sectPr><w:footerReference w:type=\"first\" r:id=\"rIdStory1\"/>"
                                         "</w:sectPr>[B]</w:t></w:r>");
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{content, {}, {{"default", paragraph(run("Foot"))}}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(document->storyRangeCount(StoryType::FirstPageFooter), 1);
    QCOMPARE(replaceInBody(*document, QStringLiteral("[A][B]"), replacement, ReplaceMode::All), 1);
    QCOMPARE(document->storyText(StoryType::MainText), replacement + u'\r');

    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    document->saveAs(saved);
    const auto reopened = WordDocument::open(saved);
    QCOMPARE(reopened->storyText(StoryType::MainText), replacement + u'\r');
    QCOMPARE(reopened->storyRangeCount(StoryType::FirstPageFooter), 1);
}

void TestTextSearch::fieldsAndPromptsAreUntouched()
{
    // A header as a letter template has it: a click-to-fill prompt, a date field and a page number.
    const QByteArray header
            = paragraph("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
                        "<w:r><w:instrText xml:space=\"preserve\"> MACROBUTTON DoFieldClick [Recipient Name] </w:instrText></w:r>"
                        "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")
            + paragraph("<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText> CREATEDATE \\@ \"MMMM d, yyyy\" </w:instrText></w:r>"
                        "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("May 1, 2020")
                        + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")
            + paragraph(run("Page ") + "<w:fldSimple w:instr=\" PAGE \">" + run("2") + "</w:fldSimple>");
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("letter.dotx"));
    QVERIFY(writeDocument(source, DocumentRecipe{paragraph(run("Dear [RecipientName]:")), {{"default", header}}, {}, {}, true, {}}));
    auto document = WordDocument::open(source, true);

    const QStringList tags{QStringLiteral("[RecipientName]"), QStringLiteral("[Recipient Name]"), QStringLiteral(" PAGE "),
                           QStringLiteral("MMMM"), QStringLiteral("DoFieldClick")};
    for (const QString &tag : tags)
        document->replaceEverywhere(tag, QStringLiteral("Zed"));
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("Dear Zed:\r"));
    QCOMPARE(document->storyText(StoryType::PrimaryHeader), QStringLiteral("\rMay 1, 2020\rPage 2\r"));

    const QString saved = folder.filePath(QStringLiteral("letter.doc"));
    document->saveAs(saved);
    QCOMPARE(readPackage(saved).parts.value(QStringLiteral("word/header1.xml")), readPackage(source).parts.value(QStringLiteral("word/header1.xml")));
}

void TestTextSearch::laterSearchesSeeEarlierReplacements()
{
    // A field that opens in one paragraph and closes in the next, tags split across runs, and replacements that
    // make new matches, empty text elements and move later matches along: each search must see the text as the
    // searches before it left it, in the paragraphs they changed and in the ones they did not.
    const QByteArray content = paragraph(run("[A") + run("] and [B]"))
            + paragraph(fieldBegin() + "<w:r><w:instrText xml:space=\"preserve\"> REF [A] </w:instrText></w:r>" + fieldSeparate()
                        + run("[A]"))
            + paragraph(run("[A]") + fieldEnd() + run(" tail [B]"))
            + paragraph("<w:r><w:t>[C]</w:t><w:tab/><w:t>[D]</w:t></w:r>");
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{content, {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[A]"), QStringLiteral("x[B]x")), 3);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[B]"), QString()), 5);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("tail"), QStringLiteral("[a]")), 1);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("xx and"), QStringLiteral("one")), 1);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[A]"), QStringLiteral("end")), 1);
    // Emptying a text element removes it, and with it a chunk of its paragraph.
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[C]"), QString()), 1);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[D]"), QStringLiteral("d")), 1);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("one \rxx\rxx end \r\td\r"));
    QVERIFY(QString::fromUtf8(body(*document).first_child().next_sibling().child("w:r").next_sibling("w:r").child_value("w:instrText"))
                    .contains(QStringLiteral("[A]")));
}

void TestTextSearch::replaceOneFollowsDirection()
{
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{paragraph(run("[X] [X]")) + paragraph(run("[x]")), {}, {}, {}, false, {}});
    QVERIFY(document);
    QCOMPARE(replaceInBody(*document, QStringLiteral("[X]"), QStringLiteral("a"), ReplaceMode::None), 3);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("[X] [X]\r[x]\r"));
    QVERIFY(!document->isModified());
    replaceInBody(*document, QStringLiteral("[X]"), QStringLiteral("first"), ReplaceMode::One);
    replaceInBody(*document, QStringLiteral("[X]"), QStringLiteral("last"), ReplaceMode::One, false, false);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("first [X]\rlast\r"));
    QVERIFY(document->isModified());
}

void TestTextSearch::wholeWordOnly()
{
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{paragraph(run("cat concat cat_x (cat)")), {}, {}, {}, false, {}});
    QVERIFY(document);
    FindOptions options;
    options.text = QStringLiteral("cat");
    options.replacement = QStringLiteral("dog");
    options.matchWholeWord = true;
    QCOMPARE(document->find(document->story(StoryType::MainText), options, ReplaceMode::All), 2);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("dog concat cat_x (dog)\r"));
}

void TestTextSearch::unsupportedOptionsFail()
{
    QTemporaryDir folder;
    auto document = openDocument(folder, DocumentRecipe{paragraph(run("text")), {}, {}, {}, false, {}});
    QVERIFY(document);
    for (bool FindOptions::*option : {&FindOptions::matchWildcards, &FindOptions::matchSoundsLike, &FindOptions::matchAllWordForms}) {
        FindOptions options;
        options.text = QStringLiteral("t?xt");
        options.*option = true;
        QVERIFY_THROWS_EXCEPTION(Error, document->find(document->story(StoryType::MainText), options, ReplaceMode::All));
    }
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("text\r"));
}

void TestTextSearch::foldCaseKeepsLength_data()
{
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::newRow("ASCII") << "[ZIPCODE2]" << "[zipcode2]";
    QTest::newRow("Latin-1") << "ÄÖÜÉ" << "äöüé";
    QTest::newRow("sharp s stays one letter") << "Straße" << "straße";
    QTest::newRow("Cyrillic") << "ГОРОД" << "город";
    QTest::newRow("outside the basic plane") << "\U00010400" << "\U00010428";
}

void TestTextSearch::foldCaseKeepsLength()
{
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QCOMPARE(foldCase(upper).size(), upper.size());
    QCOMPARE(foldCase(upper), foldCase(lower));
}

QTEST_GUILESS_MAIN(TestTextSearch)
#include "tst_textsearch.moc"
