#include "Packages.h"
#include "WordDocument.h"

#include <QTemporaryDir>
#include <QTest>

using namespace quill;
using namespace quill::test;

namespace {

const QString kItemPart = QStringLiteral("customXml/item1.xml");
const QString kCorePart = QStringLiteral("docProps/core.xml");
const QByteArray kItemId = "{0D5C1B5E-7A0B-4C8E-9E2A-3F6B8C1D2E4F}";
const QByteArray kItem = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<letter xmlns=\"urn:quill:letter\"><name>[Name]</name><name>[Name]</name></letter>";
const QByteArray kCore = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\""
                         " xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>[Name]</dc:title></cp:coreProperties>";
const QByteArray kLetterMapping = "xmlns:ns0='urn:quill:letter'";
const QByteArray kCoreMapping = "xmlns:ns0='http://purl.org/dc/elements/1.1/' "
                                "xmlns:ns1='http://schemas.openxmlformats.org/package/2006/metadata/core-properties'";
const QByteArray kCoreItemId = "{6C3C8BC8-F283-45AE-878A-BAB7291924A1}";
const QByteArray kRelationshipBase = "http://schemas.openxmlformats.org/";

QByteArray dataBinding(const QByteArray &mappings, const QByteArray &xpath, const QByteArray &item)
{
    return "<w:dataBinding w:prefixMappings=\"" + mappings + "\" w:xpath=\"" + xpath + "\" w:storeItemID=\"" + item + "\"/>";
}

// Adds `xml` before the end of the entry `name`'s root element.
void appendToEntry(PackageEntries &entries, const QString &name, const QByteArray &end, const QByteArray &xml)
{
    for (auto &entry : entries) {
        if (entry.first == name)
            entry.second.replace(end, xml + end);
    }
}

// A letter whose recipient is a content control with the properties `properties`, bound to a custom XML part
// (holding `item`) and to the core properties, each reached as Word reaches it.
PackageEntries boundLetter(const QByteArray &properties, const QByteArray &item = kItem)
{
    DocumentRecipe recipe;
    recipe.body = paragraph(run("Dear ") + "<w:sdt><w:sdtPr>" + properties + "</w:sdtPr><w:sdtContent>" + run("[Name]")
                            + "</w:sdtContent></w:sdt>" + run(":"));
    recipe.extraEntries = {
        {kItemPart, item},
        {QStringLiteral("customXml/itemProps1.xml"),
         "<ds:datastoreItem ds:itemID=\"" + kItemId + "\" xmlns:ds=\"" + kRelationshipBase
                 + "officeDocument/2006/customXml\"><ds:schemaRefs/></ds:datastoreItem>"},
        {QStringLiteral("customXml/_rels/item1.xml.rels"),
         "<Relationships xmlns=\"" + kRelationshipBase + "package/2006/relationships\"><Relationship Id=\"rId1\" Type=\""
                 + kRelationshipBase + "officeDocument/2006/relationships/customXmlProps\" Target=\"itemProps1.xml\"/></Relationships>"},
        {kCorePart, kCore},
    };
    PackageEntries entries = documentEntries(recipe);
    const QByteArray end = "</Relationships>";
    appendToEntry(entries, QStringLiteral("_rels/.rels"), end,
                  "<Relationship Id=\"rIdCore\" Type=\"" + kRelationshipBase
                          + "package/2006/relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>");
    appendToEntry(entries, QStringLiteral("word/_rels/document.xml.rels"), end,
                  "<Relationship Id=\"rIdData\" Type=\"" + kRelationshipBase
                          + "officeDocument/2006/relationships/customXml\" Target=\"../customXml/item1.xml\"/>");
    appendToEntry(entries, QStringLiteral("[Content_Types].xml"), "</Types>",
                  "<Override PartName=\"/customXml/itemProps1.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.customXmlProperties+xml\"/>"
                  "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>");
    return entries;
}

// Writes the letter bound as `properties` say, replaces its recipient by `name` and saves it; returns the saved path.
QString replaceAndSave(const QTemporaryDir &folder, const QByteArray &properties, const QString &name)
{
    const QString source = folder.filePath(QStringLiteral("bound.docx"));
    if (!writePackage(source, boundLetter(properties)))
        return QString();
    auto document = WordDocument::open(source);
    if (document->replaceEverywhere(QStringLiteral("[Name]"), name) != 1)
        return QString();
    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    document->saveAs(saved);
    return saved;
}

} // namespace

class TestDataBinding : public QObject
{
    Q_OBJECT

private slots:
    void boundValueFollowsReplacement_data();
    void boundValueFollowsReplacement();
    void controlShowsStoredValue_data();
    void controlShowsStoredValue();
};

void TestDataBinding::boundValueFollowsReplacement_data()
{
    QTest::addColumn<QByteArray>("properties");
    QTest::addColumn<QString>("part");
    QTest::addColumn<QByteArray>("stored"); // what the saved part holds; empty when it must be unchanged

    QTest::newRow("custom XML part")
            << dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:name[1]", kItemId) << kItemPart
            << QByteArray("<name>Bob</name><name>[Name]</name>");
    QTest::newRow("position among siblings")
            << dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:name[2]", kItemId) << kItemPart
            << QByteArray("<name>[Name]</name><name>Bob</name>");
    QTest::newRow("core properties")
            << dataBinding(kCoreMapping, "/ns1:coreProperties[1]/ns0:title[1]", kCoreItemId) << kCorePart
            << QByteArray("<dc:title>Bob</dc:title>");
    QTest::newRow("drop-down list stores the entry's value")
            << "<w:dropDownList><w:listItem w:displayText=\"Bob\" w:value=\"B\"/></w:dropDownList>"
                    + dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:name[1]", kItemId)
            << kItemPart << QByteArray("<name>B</name>");
    QTest::newRow("path not found") << dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:missing[1]", kItemId)
                                    << kItemPart << QByteArray();
    QTest::newRow("namespace differs") << dataBinding("xmlns:ns0='urn:other'", "/ns0:letter[1]/ns0:name[1]", kItemId)
                                       << kItemPart << QByteArray();
    QTest::newRow("unknown store item")
            << dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:name[1]", "{00000000-0000-0000-0000-000000000000}")
            << kItemPart << QByteArray();
}

void TestDataBinding::boundValueFollowsReplacement()
{
    QFETCH(QByteArray, properties);
    QFETCH(QString, part);
    QFETCH(QByteArray, stored);

    QTemporaryDir folder;
    const QString saved = replaceAndSave(folder, properties, QStringLiteral("Bob"));
    QVERIFY(!saved.isEmpty());
    QCOMPARE(WordDocument::open(saved)->storyText(StoryType::MainText), QStringLiteral("Dear Bob:\r"));
    const QByteArray data = readPackage(saved).parts.value(part);
    if (stored.isEmpty())
        QCOMPARE(data, part == kItemPart ? kItem : kCore);
    else
        QVERIFY2(data.contains(stored), data.constData());
}

void TestDataBinding::controlShowsStoredValue_data()
{
    QTest::addColumn<QByteArray>("properties");
    QTest::addColumn<QByteArray>("stored"); // the bound element's content
    QTest::addColumn<QString>("shown");     // the main text once the document is open

    const QByteArray binding = dataBinding(kLetterMapping, "/ns0:letter[1]/ns0:name[1]", kItemId);
    QTest::newRow("plain text") << "<w:text/>" + binding << QByteArray("Ann &amp; Bob") << "Dear Ann & Bob:\r";
    QTest::newRow("lines and tabs") << "<w:text w:multiLine=\"1\"/>" + binding << QByteArray("Ann\n\tSmith")
                                    << "Dear Ann\v\tSmith:\r";
    QTest::newRow("white space only differs") << "<w:text/>" + binding << QByteArray("\n  [Name] ") << "Dear [Name]:\r";
    QTest::newRow("drop-down entry") << "<w:dropDownList><w:listItem w:displayText=\"Bob\" w:value=\"B\"/></w:dropDownList>" + binding
                                     << QByteArray("B") << "Dear Bob:\r";
    QTest::newRow("drop-down without the entry") << "<w:dropDownList/>" + binding << QByteArray("B") << "Dear [Name]:\r";
    QTest::newRow("date stored as a date") << "<w:date><w:storeMappedDataAs w:val=\"dateTime\"/></w:date>" + binding
                                           << QByteArray("2024-05-01T00:00:00Z") << "Dear [Name]:\r";
    QTest::newRow("placeholder shown") << "<w:showingPlcHdr/>" + binding << QByteArray("Ann") << "Dear [Name]:\r";
    QTest::newRow("empty value") << binding << QByteArray() << "Dear [Name]:\r";
}

void TestDataBinding::controlShowsStoredValue()
{
    QFETCH(QByteArray, properties);
    QFETCH(QByteArray, stored);
    QFETCH(QString, shown);

    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("bound.docx"));
    QVERIFY(writePackage(source, boundLetter(properties, QByteArray(kItem).replace("[Name]", stored))));
    auto document = WordDocument::open(source);
    QCOMPARE(document->storyText(StoryType::MainText), shown);
    // What the control shows is what a search finds and what a saved copy holds.
    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    document->saveAs(saved);
    QCOMPARE(WordDocument::open(saved)->storyText(StoryType::MainText), shown);
}

QTEST_GUILESS_MAIN(TestDataBinding)
#include "tst_databinding.moc"
