#include "Story.h"
#include "Packages.h"
#include "TextSearch.h"
#include "WordDocument.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quill;
using namespace quill::test;

namespace {

// A floating text box as Word writes it: DrawingML first, VML as the fallback, the same text in both.
QByteArray textBox(const QByteArray &name, const QByteArray &content)
{
    return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor behindDoc=\"0\">"
           "<wp:docPr id=\"1\" name=\"" + name + "\"/><a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\">"
           "<wps:wsp><wps:txbx><w:txbxContent>" + content + "</w:txbxContent></wps:txbx></wps:wsp>"
           "</a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice>"
           "<mc:Fallback><w:pict><v:shape style=\"position:absolute;margin-left:0;width:100pt;height:50pt\">"
           "<v:textbox><w:txbxContent>" + content + "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback>"
           "</mc:AlternateContent></w:r>";
}

QByteArray vmlTextBox(const QByteArray &content)
{
    return "<w:r><w:pict><v:shape style=\"position:absolute;width:90pt;height:30pt\"><v:textbox><w:txbxContent>" + content
            + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>";
}

QByteArray picture(const QByteArray &placement)
{
    return "<w:r><w:drawing><wp:" + placement + "><wp:docPr id=\"7\" name=\"Picture\"/></wp:" + placement + "></w:drawing></w:r>";
}

QStringList textsOf(pugi::xml_node scope)
{
    QStringList texts;
    for (const pugi::xpath_node node : scope.select_nodes(".//w:txbxContent"))
        texts << QString::fromUtf8(node.node().child("w:p").child("w:r").child("w:t").text().get());
    return texts;
}

} // namespace

class TestStory : public QObject
{
    Q_OBJECT

private slots:
    void storiesInWordOrder();
    void headersOfLaterSections();
    void headerTextBoxesChangeInBothCopies();
    void contentControlsInEveryStory();
    void shapesAreCountedOnce();
    void shapeTextChangesInBothCopies();
    void paragraphTextShowsRunObjects_data();
    void paragraphTextShowsRunObjects();

private:
    std::unique_ptr<WordDocument> open(const DocumentRecipe &recipe);
    QTemporaryDir m_folder;
};

std::unique_ptr<WordDocument> TestStory::open(const DocumentRecipe &recipe)
{
    const QString path = m_folder.filePath(QStringLiteral("story.docx"));
    if (!writeDocument(path, recipe))
        return nullptr;
    return WordDocument::open(path);
}

void TestStory::storiesInWordOrder()
{
    DocumentRecipe recipe;
    recipe.body = paragraph(run("Body ") + textBox("Box", paragraph(run("Boxed"))) + run("text"));
    recipe.headers = {{"first", paragraph(run("First header"))}, {"default", paragraph(run("Header"))}};
    recipe.footers = {{"default", paragraph(run("Footer"))}, {"even", paragraph(run("Even footer"))}};
    recipe.footnotes = "<w:footnote w:type=\"separator\" w:id=\"-1\">" + paragraph(run("----")) + "</w:footnote>"
                     "<w:footnote w:id=\"1\">" + paragraph(run("A note")) + "</w:footnote>";
    auto document = open(recipe);
    QVERIFY(document);

    const std::vector<StoryType> expected{StoryType::MainText, StoryType::Footnotes, StoryType::TextFrame,
                                          StoryType::PrimaryHeader, StoryType::EvenPagesFooter,
                                          StoryType::PrimaryFooter, StoryType::FirstPageHeader};
    QCOMPARE(document->storyTypes(), expected);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("Body text\r"));
    QCOMPARE(document->storyText(StoryType::TextFrame), QStringLiteral("Boxed\r"));
    QCOMPARE(document->storyText(StoryType::Footnotes), QStringLiteral("A note\r"));
    QCOMPARE(document->storyText(StoryType::FirstPageHeader), QStringLiteral("First header\r"));
    QCOMPARE(document->storyText(StoryType::EvenPagesFooter), QStringLiteral("Even footer\r"));
    QCOMPARE(document->storyText(StoryType::Endnotes), QString());
}

void TestStory::headersOfLaterSections()
{
    DocumentRecipe recipe;
    recipe.body = "<w:p><w:pPr><w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdStory1\"/></w:sectPr></w:pPr>"
                + run("Section one") + "</w:p>" + paragraph(run("Section two"));
    recipe.headers = {{"default", paragraph(run("Header one"))}, {"default", paragraph(run("Header two"))}};
    auto document = open(recipe);
    QVERIFY(document);
    QCOMPARE(document->storyRangeCount(StoryType::PrimaryHeader), 2);
    QCOMPARE(storyText(document->story(StoryType::PrimaryHeader, 0)), QStringLiteral("Header one\r"));
    QCOMPARE(storyText(document->story(StoryType::PrimaryHeader, 1)), QStringLiteral("Header two\r"));
}

void TestStory::headerTextBoxesChangeInBothCopies()
{
    DocumentRecipe recipe;
    recipe.body = paragraph(run("Body"));
    recipe.headers = {{"default", paragraph(run("[Tag] ") + textBox("Header box", paragraph(run("[tag] boxed"))))}};
    auto document = open(recipe);
    QVERIFY(document);
    FindOptions options;
    options.text = QStringLiteral("[TAG]");
    options.replacement = QStringLiteral("Done");
    QCOMPARE(document->find(document->story(StoryType::PrimaryHeader), options, ReplaceMode::All), 2);
    QCOMPARE(document->storyText(StoryType::PrimaryHeader), QStringLiteral("Done \rDone boxed\r"));
    const QString part = document->story(StoryType::PrimaryHeader).partName;
    QCOMPARE(textsOf(document->package().xml(part)), (QStringList{QStringLiteral("Done boxed"), QStringLiteral("Done boxed")}));
}

// Content controls around paragraphs and runs are searched in the body, headers, footers, notes and text boxes.
void TestStory::contentControlsInEveryStory()
{
    const auto control = [](const QByteArray &content) {
        return "<w:sdt><w:sdtPr><w:tag w:val=\"[Tag]\"/></w:sdtPr><w:sdtContent>" + content + "</w:sdtContent></w:sdt>";
    };
    DocumentRecipe recipe;
    recipe.body = control(paragraph(run("[Tag]") + textBox("Box", control(paragraph(control(run("[Tag]")))))));
    recipe.headers = {{"default", control(paragraph(run("[Tag] ") + textBox("Header box", control(paragraph(run("[Tag]"))))))}};
    recipe.footers = {{"default", paragraph(control(run("[Tag]")))}};
    recipe.footnotes = "<w:footnote w:id=\"1\">" + control(paragraph(run("[Tag]"))) + "</w:footnote>";
    auto document = open(recipe);
    QVERIFY(document);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[Tag]"), QStringLiteral("v")), 6);
    QCOMPARE(document->storyText(StoryType::MainText), QStringLiteral("v\r"));
    QCOMPARE(document->storyText(StoryType::TextFrame), QStringLiteral("v\r"));
    QCOMPARE(document->storyText(StoryType::PrimaryHeader), QStringLiteral("v \rv\r"));
    QCOMPARE(document->storyText(StoryType::PrimaryFooter), QStringLiteral("v\r"));
    QCOMPARE(document->storyText(StoryType::Footnotes), QStringLiteral("v\r"));
}

void TestStory::shapesAreCountedOnce()
{
    DocumentRecipe recipe;
    recipe.body = paragraph(textBox("Box", paragraph(run("one"))) + vmlTextBox(paragraph(run("two"))) + picture("anchor")
                          + picture("inline"))
            + paragraph(textBox("Empty box", "<w:p/>"));
    auto document = open(recipe);
    QVERIFY(document);
    QCOMPARE(document->shapes().size(), size_t(4));
    QCOMPARE(storyText(document->shapeStory(0)), QStringLiteral("one\r"));
    QCOMPARE(storyText(document->shapeStory(1)), QStringLiteral("two\r"));
    QVERIFY(document->shapeStory(2).containers.empty());
    QCOMPARE(storyText(document->shapeStory(3)), QStringLiteral("\r"));
    QCOMPARE(document->shapeStory(0).containers.at(0).mirrors.size(), size_t(1));
    // The text frames story holds each box once, however many copies the file carries.
    QCOMPARE(document->storyText(StoryType::TextFrame), QStringLiteral("one\rtwo\r\r"));
}

void TestStory::shapeTextChangesInBothCopies()
{
    DocumentRecipe recipe;
    recipe.body = paragraph(textBox("Box", paragraph(run("[A] and [B]")) + paragraph(run("[A]"))));
    auto document = open(recipe);
    QVERIFY(document);
    FindOptions options;
    options.text = QStringLiteral("[a]");
    options.replacement = QStringLiteral("x");
    QCOMPARE(document->find(document->shapeStory(0), options, ReplaceMode::One), 2);
    options.text = QStringLiteral("[B]");
    options.replacement = QStringLiteral("y");
    QCOMPARE(document->find(document->shapeStory(0), options, ReplaceMode::All), 1);

    const QString saved = m_folder.filePath(QStringLiteral("shapes.docx"));
    document->saveAs(saved);
    auto reread = WordDocument::open(saved);
    const pugi::xml_node body = reread->package().xml(reread->mainPartName()).child("w:document").child("w:body");
    QCOMPARE(textsOf(body), (QStringList{QStringLiteral("x and y"), QStringLiteral("x and y")}));
    QCOMPARE(storyText(reread->shapeStory(0)), QStringLiteral("x and y\r[A]\r"));
}

void TestStory::paragraphTextShowsRunObjects_data()
{
    QTest::addColumn<QByteArray>("runs");
    QTest::addColumn<QString>("text");
    QTest::newRow("tab") << QByteArray("<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t></w:r>") << "a\tb";
    QTest::newRow("line break") << QByteArray("<w:r><w:t>a</w:t><w:br/><w:t>b</w:t></w:r>") << "a\vb";
    QTest::newRow("page break") << QByteArray("<w:r><w:br w:type=\"page\"/><w:t>b</w:t></w:r>") << "\fb";
    QTest::newRow("carriage return") << QByteArray("<w:r><w:t>a</w:t><w:cr/></w:r>") << "a\v";
    QTest::newRow("whitespace kept") << QByteArray("<w:r><w:t xml:space=\"preserve\">  </w:t></w:r>") << "  ";
    QTest::newRow("properties ignored") << QByteArray("<w:pPr><w:rPr><w:b/></w:rPr></w:pPr><w:r><w:rPr><w:i/></w:rPr><w:t>a</w:t></w:r>")
                                        << "a";
}

void TestStory::paragraphTextShowsRunObjects()
{
    QFETCH(QByteArray, runs);
    QFETCH(QString, text);
    pugi::xml_document document;
    QVERIFY(document.load_string(("<w:p" + wordNamespaces() + ">" + runs + "</w:p>").constData(), pugi::parse_default | pugi::parse_ws_pcdata));
    QCOMPARE(paragraphText(document.child("w:p")), text);
}

QTEST_GUILESS_MAIN(TestStory)
#include "tst_story.moc"
