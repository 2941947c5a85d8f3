// The embedded letter template: the resource, the package's parts, the tags of the body,
// the header of the following pages, the page set-up, and the packer that builds the package.

#include "ExpectedTags.h"
#include "LetterTemplate.h"
#include "Files.h"
#include "Packages.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <pugixml.hpp>

#include <map>
#include <memory>

using namespace quill;

namespace {

const QString kTemplateMainType =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");
const QString kOfficeDocumentRelationship =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument");
const QString kContentTypesPart = QStringLiteral("[Content_Types].xml");
const QString kDocumentPart = QStringLiteral("word/document.xml");
const QString kDocumentRelsPart = QStringLiteral("word/_rels/document.xml.rels");
// How long the packer may take, in milliseconds.
constexpr int kPackerTimeoutMs = 30000;

QString attribute(pugi::xml_node node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

// The text a reader sees in `node`: text runs, line breaks as "\n", tabs as "\t"; field codes left out.
void appendText(pugi::xml_node node, QString &text)
{
    for (pugi::xml_node child : node.children()) {
        const QByteArray name = child.name();
        if (name == "w:t") {
            text += QString::fromUtf8(child.text().get());
        } else if (name == "w:br") {
            if (attribute(child, "w:type").isEmpty() || attribute(child, "w:type") == "textWrapping")
                text += QLatin1Char('\n');
        } else if (name == "w:tab") {
            text += QLatin1Char('\t');
        } else if (name != "w:pPr" && name != "w:rPr" && name != "w:instrText") {
            appendText(child, text);
        }
    }
}

QString paragraphText(pugi::xml_node paragraph)
{
    QString text;
    appendText(paragraph, text);
    return text;
}

// One complex field of a paragraph (fldChar begin, instrText, optional separate and result, end).
struct Field
{
    QString code;
    QString result;
    bool hasResult = false;
};

QList<Field> complexFields(pugi::xml_node paragraph)
{
    enum class State { Outside, Code, Result } state = State::Outside;
    QList<Field> fields;
    for (pugi::xml_node run : paragraph.children("w:r")) {
        for (pugi::xml_node child : run.children()) {
            const QByteArray name = child.name();
            const QString type = attribute(child, "w:fldCharType");
            if (name == "w:fldChar" && type == "begin") {
                fields.append(Field());
                state = State::Code;
            } else if (name == "w:fldChar" && type == "separate" && state == State::Code) {
                fields.last().hasResult = true;
                state = State::Result;
            } else if (name == "w:fldChar" && type == "end") {
                state = State::Outside;
            } else if (name == "w:instrText" && state == State::Code) {
                fields.last().code += QString::fromUtf8(child.text().get());
            } else if (name == "w:t" && state == State::Result) {
                fields.last().result += QString::fromUtf8(child.text().get());
            }
        }
    }
    for (Field &field : fields)
        field.code = field.code.simplified();
    return fields;
}

QStringList tagsIn(const QString &text)
{
    static const QRegularExpression tag(QString::fromLatin1(test::kTagPattern));
    QStringList tags;
    for (const QRegularExpressionMatch &match : tag.globalMatch(text))
        tags << match.captured();
    return tags;
}

} // namespace

class TestLetterTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void resourceIsThePackagedTemplate();
    void partsAreWellFormedAndConnected();
    void stylesResolve();
    void textHoldsNoStrayWhitespace();
    void bodyTagsInOrder();
    void bodyLines_data();
    void bodyLines();
    void scheduleFollowsPageBreak();
    void followingPagesHeader();
    void otherHeadersAndFootersAreEmpty();
    void pageSetup();
    void packingIsDeterministic();
    void packerRefusesFolderWithoutContentTypes();

private:
    // The parsed part `name`; an empty document when the package has no such part.
    const pugi::xml_document &xml(const QString &name);
    // The package name of the header or footer that the section refers to by `reference` and `type`.
    QString sectionStory(const char *reference, const char *type);
    pugi::xml_node body() { return xml(kDocumentPart).child("w:document").child("w:body"); }

    QByteArray m_bytes;
    test::PackageContents m_package;
    std::map<QString, std::unique_ptr<pugi::xml_document>> m_xml;
};

const pugi::xml_document &TestLetterTemplate::xml(const QString &name)
{
    auto &document = m_xml[name];
    if (!document) {
        document = std::make_unique<pugi::xml_document>();
        const QByteArray &bytes = m_package.parts[name];
        // Keep whitespace-only text, so that a w:t holding only layout whitespace is seen.
        document->load_buffer(bytes.constData(), bytes.size(), pugi::parse_default | pugi::parse_ws_pcdata);
    }
    return *document;
}

QString TestLetterTemplate::sectionStory(const char *reference, const char *type)
{
    const pugi::xml_node sectPr = body().child("w:sectPr");
    const QString id = attribute(sectPr.find_child_by_attribute(reference, "w:type", type), "r:id");
    const pugi::xml_node relationship =
        xml(kDocumentRelsPart).child("Relationships").find_child_by_attribute("Relationship", "Id", id.toUtf8());
    const QString target = attribute(relationship, "Target");
    return target.isEmpty() ? QString() : QStringLiteral("word/") + target;
}

void TestLetterTemplate::initTestCase()
{
    try {
        m_bytes = templateBytes();
    } catch (const std::runtime_error &failure) {
        QFAIL(failure.what());
    }
    m_package = test::readPackageBytes(m_bytes);
    QVERIFY2(m_package.error.isEmpty(), qPrintable(m_package.error));
}

void TestLetterTemplate::resourceIsThePackagedTemplate()
{
    // Read whole: the resource is byte for byte the package the build packed.
    const QByteArray packed = test::readAll(QStringLiteral(QUILL_TEMPLATE_PACKAGE));
    QVERIFY(!packed.isEmpty());
    QCOMPARE(m_bytes.size(), packed.size());
    QVERIFY(m_bytes == packed);

    QVERIFY(!m_package.names.isEmpty());
    QCOMPARE(m_package.names.first(), kContentTypesPart);

    const pugi::xml_node override = xml(kContentTypesPart).child("Types").find_child_by_attribute(
        "Override", "PartName", "/word/document.xml");
    QCOMPARE(attribute(override, "ContentType"), kTemplateMainType);

    const pugi::xml_node officeDocument = xml(QStringLiteral("_rels/.rels"))
        .child("Relationships").find_child_by_attribute("Relationship", "Type", kOfficeDocumentRelationship.toUtf8());
    QCOMPARE(attribute(officeDocument, "Target"), kDocumentPart);
}

void TestLetterTemplate::partsAreWellFormedAndConnected()
{
    for (const QString &name : std::as_const(m_package.names)) {
        pugi::xml_document document;
        const QByteArray &bytes = m_package.parts[name];
        const pugi::xml_parse_result result = document.load_buffer(bytes.constData(), bytes.size());
        QVERIFY2(result, qPrintable(name + ": " + QString::fromUtf8(result.description())));
    }

    // Every part the main document refers to is in the package and has its content type.
    const pugi::xml_node types = xml(kContentTypesPart).child("Types");
    int relationships = 0;
    for (pugi::xml_node relationship : xml(kDocumentRelsPart).child("Relationships").children("Relationship")) {
        const QString part = QStringLiteral("word/") + attribute(relationship, "Target");
        QVERIFY2(m_package.parts.contains(part), qPrintable(part));
        QVERIFY2(types.find_child_by_attribute("Override", "PartName", ("/" + part).toUtf8()), qPrintable(part));
        ++relationships;
    }
    QVERIFY(relationships > 0);
}

void TestLetterTemplate::stylesResolve()
{
    const pugi::xml_node styles = xml(QStringLiteral("word/styles.xml")).child("w:styles");
    const pugi::xml_node fonts = styles.child("w:docDefaults").child("w:rPrDefault").child("w:rPr").child("w:rFonts");
    QCOMPARE(attribute(fonts, "w:ascii"), QStringLiteral("Arial"));

    // A misspelt style id would silently fall back to Normal in every reader.
    const QStringList stories = {kDocumentPart, sectionStory("w:headerReference", "default")};
    for (const QString &story : stories) {
        for (const char *reference : {"//w:pStyle", "//w:rStyle", "//w:tblStyle"}) {
            for (const pugi::xpath_node &use : xml(story).select_nodes(reference)) {
                const QString id = attribute(use.node(), "w:val");
                QVERIFY2(styles.find_child_by_attribute("w:style", "w:styleId", id.toUtf8()),
                         qPrintable(story + ": " + id));
            }
        }
    }
}

void TestLetterTemplate::textHoldsNoStrayWhitespace()
{
    // Pretty-printing must never leak indentation into text: outer blanks only where preserved on purpose.
    for (const QString &name : std::as_const(m_package.names)) {
        if (!name.startsWith(QLatin1String("word/")) || !name.endsWith(QLatin1String(".xml")))
            continue;
        for (const pugi::xpath_node &found : xml(name).select_nodes("//w:t | //w:instrText")) {
            const QString text = QString::fromUtf8(found.node().text().get());
            const QString where = name + ": \"" + text + "\"";
            QVERIFY2(!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\t')), qPrintable(where));
            if (text != text.trimmed())
                QVERIFY2(attribute(found.node(), "xml:space") == "preserve", qPrintable(where));
        }
    }
}

void TestLetterTemplate::bodyTagsInOrder()
{
    QStringList tags;
    for (const pugi::xpath_node &paragraph : body().select_nodes(".//w:p")) {
        const QString text = paragraphText(paragraph.node());
        tags << tagsIn(text);
        // Nothing else in the body looks like a tag, not even half of one.
        QString rest = text;
        rest.remove(QRegularExpression(QString::fromLatin1(test::kTagPattern)));
        QVERIFY2(!rest.contains(QLatin1Char('[')) && !rest.contains(QLatin1Char(']')), qPrintable(text));
    }
    QCOMPARE(tags, test::kBodyTags);
}

void TestLetterTemplate::bodyLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("sender city") << "[City], [ST] [ZIPCode]";
    QTest::newRow("recipient city") << "[City2], [ST2] [ZIPCode2]";
    QTest::newRow("salutation, split across runs") << "Dear [RecipientName]:";
    QTest::newRow("sender name, split across runs") << "[YourName]";
    QTest::newRow("schedule address") << "[COMPANYNAME]\n[STREETADDRESS2]\n[CITY2], [ST2]  [ZIPCode2]";
}

void TestLetterTemplate::bodyLines()
{
    QFETCH(QString, line);
    int found = 0;
    for (const pugi::xpath_node &paragraph : body().select_nodes(".//w:p"))
        found += paragraphText(paragraph.node()) == line ? 1 : 0;
    QVERIFY2(found > 0, qPrintable(line));
}

void TestLetterTemplate::scheduleFollowsPageBreak()
{
    bool pageBreakSeen = false;
    pugi::xml_node schedule;
    for (const pugi::xpath_node &found : body().select_nodes(".//w:p")) {
        const pugi::xml_node paragraph = found.node();
        if (paragraphText(paragraph).startsWith(QLatin1String("[COMPANYNAME]"))) {
            schedule = paragraph;
            break;
        }
        pageBreakSeen = pageBreakSeen || !paragraph.select_nodes(".//w:br[@w:type='page']").empty();
    }
    QVERIFY(schedule);
    QVERIFY(pageBreakSeen);

    // One paragraph whose three lines are separated by plain line breaks.
    const pugi::xpath_node_set breaks = schedule.select_nodes(".//w:br");
    QCOMPARE(breaks.size(), size_t(2));
    for (const pugi::xpath_node &lineBreak : breaks)
        QVERIFY(attribute(lineBreak.node(), "w:type").isEmpty());

    // The schedule table holds the date and addressee rows.
    const pugi::xml_node table = schedule.next_sibling("w:tbl");
    QVERIFY(table);
    QString tableText;
    appendText(table, tableText);
    QCOMPARE(tagsIn(tableText), QStringList({"[CurrentDate]", "[RecipientName]"}));
}

void TestLetterTemplate::followingPagesHeader()
{
    const QString header = sectionStory("w:headerReference", "default");
    QVERIFY(m_package.parts.contains(header));
    const pugi::xpath_node_set paragraphs = xml(header).select_nodes("/w:hdr/w:p");
    QCOMPARE(paragraphs.size(), size_t(3));

    // The prompt shows its own code's text: no separate result, and "[Recipient Name]" is no tag.
    const QList<Field> prompt = complexFields(paragraphs[0].node());
    QCOMPARE(prompt.size(), 1);
    QCOMPARE(prompt[0].code, QStringLiteral("MACROBUTTON DoFieldClick [Recipient Name]"));
    QVERIFY(!prompt[0].hasResult);

    const QList<Field> created = complexFields(paragraphs[1].node());
    QCOMPARE(created.size(), 1);
    QCOMPARE(created[0].code, QStringLiteral("CREATEDATE \\@ \"MMMM d, yyyy\""));
    QVERIFY(created[0].hasResult && !created[0].result.isEmpty());

    const QList<Field> page = complexFields(paragraphs[2].node());
    QCOMPARE(page.size(), 1);
    QCOMPARE(page[0].code, QStringLiteral("PAGE"));
    QVERIFY(paragraphText(paragraphs[2].node()).startsWith(QLatin1String("Page ")));
}

void TestLetterTemplate::otherHeadersAndFootersAreEmpty()
{
    const QStringList stories = {
        sectionStory("w:headerReference", "first"),
        sectionStory("w:footerReference", "default"),
        sectionStory("w:footerReference", "first"),
    };
    for (const QString &story : stories) {
        QVERIFY2(m_package.parts.contains(story), qPrintable(story));
        QVERIFY2(xml(story).select_nodes("//w:t | //w:instrText").empty(), qPrintable(story));
    }
}

void TestLetterTemplate::pageSetup()
{
    pugi::xml_node sectPr = body().last_child();
    while (sectPr && sectPr.type() != pugi::node_element)
        sectPr = sectPr.previous_sibling();
    QCOMPARE(QByteArray(sectPr.name()), QByteArray("w:sectPr"));

    const pugi::xml_node size = sectPr.child("w:pgSz");
    QCOMPARE(attribute(size, "w:w"), QStringLiteral("12240"));
    QCOMPARE(attribute(size, "w:h"), QStringLiteral("15840"));
    QVERIFY(attribute(size, "w:orient").isEmpty() || attribute(size, "w:orient") == "portrait");

    const pugi::xml_node margins = sectPr.child("w:pgMar");
    const QList<std::pair<const char *, const char *>> expected = {
        {"w:left", "1800"}, {"w:right", "1800"}, {"w:top", "1440"},
        {"w:bottom", "1440"}, {"w:header", "720"}, {"w:footer", "720"},
    };
    for (const auto &[name, value] : expected)
        QVERIFY2(attribute(margins, name) == QLatin1String(value), name);

    const pugi::xml_node titlePg = sectPr.child("w:titlePg");
    QVERIFY(titlePg);
    QVERIFY(!QStringList({"0", "false", "off"}).contains(attribute(titlePg, "w:val")));
}

void TestLetterTemplate::packingIsDeterministic()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray runs[2];
    for (int i = 0; i < 2; ++i) {
        const QString output = dir.filePath(QStringLiteral("run%1.dotx").arg(i));
        QProcess packer;
        packer.start(QStringLiteral(QUILL_PACKTEMPLATE), {QStringLiteral(QUILL_TEMPLATE_PARTS_DIR), output});
        QVERIFY(packer.waitForFinished(kPackerTimeoutMs));
        QVERIFY2(packer.exitStatus() == QProcess::NormalExit && packer.exitCode() == 0,
                 packer.readAllStandardError().constData());
        runs[i] = test::readAll(output);
    }
    QVERIFY(!runs[0].isEmpty());
    QVERIFY(runs[0] == runs[1]);
    QVERIFY(runs[0] == m_bytes);
}

void TestLetterTemplate::packerRefusesFolderWithoutContentTypes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("parts/word")));
    QFile part(dir.filePath(QStringLiteral("parts/word/document.xml")));
    QVERIFY(part.open(QIODevice::WriteOnly));
    part.write("<w:document/>");
    part.close();

    const QString output = dir.filePath(QStringLiteral("out.dotx"));
    QProcess packer;
    packer.start(QStringLiteral(QUILL_PACKTEMPLATE), {dir.filePath(QStringLiteral("parts")), output});
    QVERIFY(packer.waitForFinished(kPackerTimeoutMs));
    QVERIFY(packer.exitCode() != 0);
    QVERIFY(packer.readAllStandardError().contains("[Content_Types].xml"));
    QVERIFY(!QFile::exists(output));
}

QTEST_GUILESS_MAIN(TestLetterTemplate)
#include "tst_lettertemplate.moc"
