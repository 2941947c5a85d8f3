// Names are matched by namespace, not by prefix: a document that binds WordprocessingML to another prefix,
// or makes it the default namespace, is filled, saved, read again and drawn exactly like the same document
// written with w:.

#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "Packages.h"
#include "WordDocument.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace quill;
using namespace quill::test;

namespace {

constexpr char kWordNamespace[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
constexpr char kTag[] = "[Name]";
constexpr char kFilling[] = "Ada Lovelace";
// The tag's occurrences in letterSpec(): three in the body, one in the header, one in the footnote.
constexpr int kTagCount = 5;

// A short letter whose tags are split across runs of different formats, with a header and a footnote.
DocumentRecipe letterSpec()
{
    DocumentRecipe recipe;
    recipe.body = paragraph(run("Dear [Na") + run("me],", "<w:b/>"))
            + "<w:p><w:pPr><w:jc w:val=\"center\"/><w:spacing w:before=\"480\" w:after=\"240\"/></w:pPr>"
            + run("[Na", "<w:sz w:val=\"40\"/>") + run("me] wrote") + "<w:r><w:tab/><w:t>[Name]</w:t><w:br/></w:r>"
            + "<w:r><w:footnoteReference w:id=\"1\"/></w:r></w:p>";
    recipe.headers = {{"default", paragraph(run("[Name]"))}};
    recipe.footnotes = "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r></w:p></w:footnote>"
                     "<w:footnote w:id=\"1\">" + paragraph(run("From [Name]")) + "</w:footnote>";
    recipe.isTemplate = true;
    return recipe;
}

// Rewrites a part: the XML namespace bound to `from` (with a declaration xmlns:from) is bound to `to` instead.
void rebindPrefix(QString &xml, const QString &from, const QString &to)
{
    xml.replace(QRegularExpression(QStringLiteral("(</?| )%1:").arg(from)), QStringLiteral("\\1%1:").arg(to));
    xml.replace(QStringLiteral("xmlns:%1=").arg(from), QStringLiteral("xmlns:%1=").arg(to));
}

// `entries` with WordprocessingML bound to `prefix` in every part; with an empty prefix it is the default
// namespace of the elements, and attributes keep w:. With a prefix, the package's own parts get prefixes too,
// and the main part's content type is left out, so that saving has to add one.
PackageEntries rebound(PackageEntries entries, const QString &prefix)
{
    for (auto &[name, bytes] : entries) {
        QString xml = QString::fromUtf8(bytes);
        if (name.startsWith(QLatin1String("word/")) && name.endsWith(QLatin1String(".xml"))) {
            if (prefix.isEmpty()) {
                xml.replace(QRegularExpression(QStringLiteral("<(/?)w:")), QStringLiteral("<\\1"));
                xml.replace(QStringLiteral("xmlns:w=\""),
                            QStringLiteral("xmlns=\"%1\" xmlns:w=\"").arg(QLatin1String(kWordNamespace)));
            } else {
                rebindPrefix(xml, QStringLiteral("w"), prefix);
            }
        } else if (!prefix.isEmpty()) {
            const QString packagePrefix = QStringLiteral("pkg");
            xml.replace(QRegularExpression(QStringLiteral("<(/?)(Types|Default|Override|Relationships|Relationship)\\b")),
                        QStringLiteral("<\\1%1:\\2").arg(packagePrefix));
            xml.replace(QStringLiteral("xmlns="), QStringLiteral("xmlns:%1=").arg(packagePrefix));
            xml.remove(QRegularExpression(QStringLiteral("<pkg:Override PartName=\"/word/document.xml\"[^>]*/>")));
        }
        bytes = xml.toUtf8();
    }
    return entries;
}

// What a user sees of a filled document: its stories' text and its pages.
struct Outcome
{
    int replaced = 0;
    QString mainText;
    QString headerText;
    QString footnotesText;
    QImage pages;
    QByteArray contentTypes; // of the saved package
};

} // namespace

class TestWordXml : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void anyPrefixReadsLikeW_data();
    void anyPrefixReadsLikeW();

private:
    // Writes `entries`, fills the tag, saves the document as `name` and reads it again.
    Outcome fill(const PackageEntries &entries, const QString &name);

    QTemporaryDir m_folder;
    Outcome m_reference;
};

Outcome TestWordXml::fill(const PackageEntries &entries, const QString &name)
{
    Outcome outcome;
    const QString source = m_folder.filePath(name + QStringLiteral(".dotx"));
    const QString saved = m_folder.filePath(name + QStringLiteral(".docx"));
    if (!writePackage(source, entries))
        return outcome;
    auto document = WordDocument::open(source);
    outcome.replaced = document->replaceEverywhere(QString::fromLatin1(kTag), QString::fromLatin1(kFilling));
    document->saveAs(saved);
    document.reset();
    outcome.contentTypes = readPackage(saved).parts.value(QStringLiteral("[Content_Types].xml"));

    auto reread = WordDocument::open(saved);
    outcome.mainText = reread->storyText(StoryType::MainText);
    outcome.headerText = reread->storyText(StoryType::PrimaryHeader);
    outcome.footnotesText = reread->storyText(StoryType::Footnotes);
    outcome.pages = renderPicture(renderBody(reread->layoutSources()).picture);
    return outcome;
}

void TestWordXml::initTestCase()
{
    QVERIFY(m_folder.isValid());
    m_reference = fill(documentEntries(letterSpec()), QStringLiteral("w"));
    QCOMPARE(m_reference.replaced, kTagCount);
    QVERIFY(m_reference.mainText.contains(QLatin1String("Dear Ada Lovelace,")));
    QVERIFY(!m_reference.pages.isNull());
}

void TestWordXml::anyPrefixReadsLikeW_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::newRow("another prefix") << QStringLiteral("ns0");
    QTest::newRow("default namespace") << QString();
}

void TestWordXml::anyPrefixReadsLikeW()
{
    QFETCH(QString, prefix);
    const Outcome outcome = fill(rebound(documentEntries(letterSpec()), prefix),
                                 prefix.isEmpty() ? QStringLiteral("default") : prefix);
    QCOMPARE(outcome.replaced, m_reference.replaced);
    // Saving named the document's content type with the package's own prefix.
    if (!prefix.isEmpty())
        QVERIFY(outcome.contentTypes.contains("<pkg:Override PartName=\"/word/document.xml\" ContentType=\""
                                              "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\""));
    QCOMPARE(outcome.mainText, m_reference.mainText);
    QCOMPARE(outcome.headerText, m_reference.headerText);
    QCOMPARE(outcome.footnotesText, m_reference.footnotesText);
    QCOMPARE(outcome.pages.size(), m_reference.pages.size());
    QVERIFY2(outcome.pages == m_reference.pages, "the pages differ from those of the document written with w:");
}

QTEST_MAIN(TestWordXml)
#include "tst_wordxml.moc"
