#include "AutomationObject.h"
#include "Packages.h"
#include "WordApplication.h"
#include "WordDocument.h"
#include "layout/ClipboardPicture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;
using namespace quill::test;

namespace {

// Word's values used below.
constexpr int kReplaceAll = 2;
constexpr int kFindContinue = 1;
constexpr int kDoNotSaveChanges = 0;
constexpr int kSaveChanges = -1;
constexpr int kExecuteArgumentsOfTheShapePass = 11;

AutomationArgument positional(const QVariant &value)
{
    return AutomationArgument::positional(value);
}

AutomationArgument named(const QString &name, const QVariant &value)
{
    return AutomationArgument::named(name, value);
}

AutomationObjectPtr object(const QVariant &value)
{
    AutomationObjectPtr result = toObject(value);
    if (!result)
        throw Error(Status::TypeMismatch, QStringLiteral("not an object"));
    return result;
}

AutomationObjectPtr get(const AutomationObjectPtr &from, const QString &name)
{
    return object(from->property(name));
}

// The name of the status of the failure `call` raises, or "none" when it raises none.
template<typename Call>
QString failureOf(Call call)
{
    try {
        call();
    } catch (const Error &error) {
        return QString::fromLatin1(statusName(error.status()));
    }
    return QStringLiteral("none");
}

// A floating text box with a DrawingML copy and a VML fallback copy of `text`.
QByteArray textBox(const QByteArray &text)
{
    const QByteArray content = paragraph(run(text));
    return "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:anchor><wp:docPr id=\"1\" name=\"Box\"/>"
           "<a:graphic><a:graphicData uri=\"http://schemas.microsoft.com/office/word/2010/wordprocessingShape\"><wps:wsp><wps:txbx><w:txbxContent>"
            + content + "</w:txbxContent></wps:txbx></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></mc:Choice>"
                        "<mc:Fallback><w:pict><v:shape style=\"position:absolute\"><v:textbox><w:txbxContent>"
            + content + "</w:txbxContent></v:textbox></v:shape></w:pict></mc:Fallback></mc:AlternateContent></w:r>";
}

} // namespace

class TestWordAutomation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void fillsALetterTheWayGenerationDoes();
    void omittedArgumentsTakeTheCurrentSettings();
    void argumentBindingFailures_data();
    void argumentBindingFailures();
    void readOnlyDocumentIsSavedOnlyElsewhere();
    void closedAndQuitObjectsFailCleanly();
    void applicationProperties();
    void copyAsPictureFillsTheClipboard();

private:
    QString writeLetter(const QString &name);

    std::unique_ptr<QTemporaryDir> m_folder;
    AutomationObjectPtr m_word;
};

void TestWordAutomation::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    m_word = createWordApplication();
}

QString TestWordAutomation::writeLetter(const QString &name)
{
    DocumentRecipe recipe;
    recipe.isTemplate = true;
    recipe.body = paragraph(run("[Your", "<w:b/>") + run("Name]", "<w:i/>")) + paragraph(run("[City], [ST] [City2]"))
            + paragraph(run("Dear [RecipientName]:") + textBox("For [recipientname]"))
            + paragraph("<w:r><w:pict><v:shape style=\"position:absolute\"><v:textbox><w:txbxContent>" + paragraph(run("[City]"))
                        + "</w:txbxContent></v:textbox></v:shape></w:pict></w:r>");
    recipe.headers = {{"default", paragraph(run("[COMPANYNAME]"))}};
    recipe.footers = {{"first", paragraph(run("Footer [YourName]"))}};
    recipe.extraEntries = {{"docProps/custom.xml", "<?xml version=\"1.0\"?><Properties>[YourName]</Properties>"}};
    const QString path = m_folder->filePath(name);
    return writeDocument(path, recipe) ? path : QString();
}

void TestWordAutomation::fillsALetterTheWayGenerationDoes()
{
    const QString source = writeLetter(QStringLiteral("template.dot"));
    QVERIFY(!source.isEmpty());
    const QString result = m_folder->filePath(QStringLiteral("zatlec12345678.doc"));
    const std::vector<std::pair<QString, QString>> fields{
        {QStringLiteral("[YourName]"), QStringLiteral("Zoë & Søn <Ltd> \"quoted\" 'single'")},
        {QStringLiteral("[City]"), QStringLiteral("Köln")},
        {QStringLiteral("[ST]"), QStringLiteral("NRW")},
        {QStringLiteral("[City2]"), QString()},
        {QStringLiteral("[CompanyName]"), QStringLiteral("日本 Corp")},
        {QStringLiteral("[RecipientName]"), QStringLiteral(" Ann ")},
    };

    const AutomationObjectPtr document = object(get(m_word, QStringLiteral("documents"))
                                                        ->invoke(QStringLiteral("OPEN"), {positional(source), named(QStringLiteral("ReadOnly"), true)}));
    for (const auto &field : fields) {
        for (const AutomationObjectPtr &range : get(document, QStringLiteral("StoryRanges"))->items()) {
            get(range, QStringLiteral("Find"))->invoke(QStringLiteral("ClearFormatting"), {});
            get(get(range, QStringLiteral("Find")), QStringLiteral("Replacement"))->invoke(QStringLiteral("ClearFormatting"), {});
            const AutomationObjectPtr find = get(range, QStringLiteral("Find"));
            find->setProperty(QStringLiteral("Text"), field.first);
            get(find, QStringLiteral("Replacement"))->setProperty(QStringLiteral("Text"), field.second);
            find->setProperty(QStringLiteral("Forward"), true);
            find->setProperty(QStringLiteral("Wrap"), kFindContinue);
            for (const char *option : {"Format", "MatchCase", "MatchWholeWord", "MatchWildcards", "MatchSoundsLike", "MatchAllWordForms"})
                find->setProperty(QString::fromLatin1(option), false);
            find->invoke(QStringLiteral("Execute"), {named(QStringLiteral("Replace"), kReplaceAll)});
        }
    }
    int shapesWithText = 0;
    for (const AutomationObjectPtr &shape : get(document, QStringLiteral("Shapes"))->items()) {
        const AutomationObjectPtr frame = get(shape, QStringLiteral("TextFrame"));
        if (!frame->property(QStringLiteral("HasText")).toBool())
            continue;
        ++shapesWithText;
        for (const auto &field : fields) {
            AutomationArguments arguments{positional(field.first)};
            while (arguments.size() < kExecuteArgumentsOfTheShapePass - 2)
                arguments.push_back(AutomationArgument::omittedArgument());
            arguments.push_back(positional(field.second));
            arguments.push_back(positional(kReplaceAll));
            get(get(frame, QStringLiteral("TextRange")), QStringLiteral("Find"))->invoke(QStringLiteral("Execute"), arguments);
        }
    }
    QCOMPARE(shapesWithText, 2);
    document->invoke(QStringLiteral("SaveAs"), {positional(result)});
    m_word->setProperty(QStringLiteral("DisplayAlerts"), false);
    document->invoke(QStringLiteral("Close"), {});
    m_word->invoke(QStringLiteral("Quit"), {});

    auto letter = WordDocument::open(result);
    const QString yourName = fields[0].second;
    QCOMPARE(letter->storyText(StoryType::MainText), yourName + QStringLiteral("\rKöln, NRW \rDear  Ann :\r\r"));
    QCOMPARE(letter->storyText(StoryType::PrimaryHeader), QStringLiteral("日本 Corp\r"));
    QCOMPARE(letter->storyText(StoryType::FirstPageFooter), QStringLiteral("Footer ") + yourName + QLatin1Char('\r'));
    QCOMPARE(letter->storyText(StoryType::TextFrame), QStringLiteral("For  Ann \rKöln\r"));
    const QByteArray body = letter->package().data(letter->mainPartName());
    QCOMPARE(body.count("For  Ann "), 2);
    QVERIFY(!body.contains("[recipientname]"));
    const QMap<QString, QByteArray> saved = readPackage(result).parts;
    QVERIFY(saved.value(QStringLiteral("[Content_Types].xml")).contains(kDocumentMainContentType));
    QCOMPARE(saved.value(QStringLiteral("docProps/custom.xml")), QByteArray("<?xml version=\"1.0\"?><Properties>[YourName]</Properties>"));
    QCOMPARE(readPackage(source).parts.value(QStringLiteral("word/document.xml")).count("[Your"), 1);
}

void TestWordAutomation::omittedArgumentsTakeTheCurrentSettings()
{
    const QString source = writeLetter(QStringLiteral("letter.dotx"));
    const AutomationObjectPtr document = object(get(m_word, QStringLiteral("Documents"))->invoke(QStringLiteral("Open"), {positional(source)}));
    const AutomationObjectPtr find = get(object(document->invoke(QStringLiteral("Range"), {})), QStringLiteral("Find"));

    find->setProperty(QStringLiteral("MatchCase"), true);
    const AutomationArguments caseOmitted{positional(QStringLiteral("[city]")), AutomationArgument::omittedArgument()};
    QCOMPARE(find->invoke(QStringLiteral("Execute"), caseOmitted).toBool(), false);
    QCOMPARE(find->property(QStringLiteral("Text")).toString(), QStringLiteral("[city]"));
    QCOMPARE(find->invoke(QStringLiteral("Execute"), {positional(QStringLiteral("[city]")), positional(false)}).toBool(), true);
    QCOMPARE(find->property(QStringLiteral("matchcase")).toBool(), false);

    // A new Find starts from the settings of the last search, as Word's do.
    find->invoke(QStringLiteral("Execute"), {named(QStringLiteral("MatchCase"), true), named(QStringLiteral("FindText"), QStringLiteral("x"))});
    const AutomationObjectPtr later = get(document->property(QStringLiteral("Range")).value<AutomationObjectPtr>(), QStringLiteral("Find"));
    QCOMPARE(later->property(QStringLiteral("MatchCase")).toBool(), true);
    QCOMPARE(object(document->property(QStringLiteral("Range")))->property(QStringLiteral("Text")).toString().left(10), QStringLiteral("[YourName]"));
}

void TestWordAutomation::argumentBindingFailures_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<AutomationArguments>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("unknown member") << "Replace" << AutomationArguments{} << "MemberNotFound";
    QTest::newRow("unknown named argument") << "Execute" << AutomationArguments{named(QStringLiteral("Replacement"), 2)}
                                            << "NamedArgumentNotFound";
    AutomationArguments tooMany;
    for (int index = 0; index < 16; ++index)
        tooMany.push_back(positional(false));
    QTest::newRow("too many arguments") << "Execute" << tooMany << "WrongArguments";
    QTest::newRow("type mismatch") << "Execute" << AutomationArguments{named(QStringLiteral("Replace"), QStringLiteral("all"))}
                                   << "TypeMismatch";
    QTest::newRow("value out of range") << "Execute" << AutomationArguments{named(QStringLiteral("Replace"), 5)} << "ValueOutOfRange";
    QTest::newRow("wildcards") << "Execute" << AutomationArguments{positional(QStringLiteral("[a-z]")), named(QStringLiteral("MatchWildcards"), true)}
                               << "NotSupported";
}

void TestWordAutomation::argumentBindingFailures()
{
    QFETCH(QString, member);
    QFETCH(AutomationArguments, arguments);
    QFETCH(QString, expected);
    const QString source = writeLetter(QStringLiteral("letter.dotx"));
    const AutomationObjectPtr document = object(get(m_word, QStringLiteral("Documents"))->invoke(QStringLiteral("Open"), {positional(source)}));
    const AutomationObjectPtr find = get(object(document->invoke(QStringLiteral("Range"), {})), QStringLiteral("Find"));
    QCOMPARE(failureOf([&]() { find->invoke(member, arguments); }), expected);
}

void TestWordAutomation::readOnlyDocumentIsSavedOnlyElsewhere()
{
    const QString source = writeLetter(QStringLiteral("template.dot"));
    const QByteArray original = readPackage(source).parts.value(QStringLiteral("word/document.xml"));
    const AutomationObjectPtr documents = get(m_word, QStringLiteral("Documents"));
    const AutomationObjectPtr document = object(documents->invoke(QStringLiteral("Open"), {positional(source), AutomationArgument::omittedArgument(), positional(true)}));
    QCOMPARE(document->property(QStringLiteral("ReadOnly")).toBool(), true);
    get(object(document->invoke(QStringLiteral("Range"), {})), QStringLiteral("Find"))
            ->invoke(QStringLiteral("Execute"), {positional(QStringLiteral("[City]")), named(QStringLiteral("ReplaceWith"), QStringLiteral("Oslo")),
                                                 named(QStringLiteral("Replace"), kReplaceAll)});

    QCOMPARE(failureOf([&]() { document->invoke(QStringLiteral("SaveAs"), {positional(source)}); }), QStringLiteral("DocumentReadOnly"));
    QCOMPARE(failureOf([&]() { document->invoke(QStringLiteral("Close"), {named(QStringLiteral("SaveChanges"), kSaveChanges)}); }), QStringLiteral("DocumentReadOnly"));
    QCOMPARE(readPackage(source).parts.value(QStringLiteral("word/document.xml")), original);
    QCOMPARE(get(m_word, QStringLiteral("ActiveDocument"))->property(QStringLiteral("Name")).toString(), QStringLiteral("template.dot"));

    const QString copy = m_folder->filePath(QStringLiteral("copy.doc"));
    document->invoke(QStringLiteral("SaveAs2"), {named(QStringLiteral("FileName"), copy)});
    QCOMPARE(document->property(QStringLiteral("FullName")).toString(), copy);
    QCOMPARE(document->property(QStringLiteral("ReadOnly")).toBool(), false);
    QCOMPARE(document->property(QStringLiteral("Saved")).toBool(), true);
    document->invoke(QStringLiteral("Close"), {positional(kDoNotSaveChanges)});
    QCOMPARE(get(m_word, QStringLiteral("Documents"))->property(QStringLiteral("Count")).toInt(), 0);
    QVERIFY(WordDocument::open(copy)->storyText(StoryType::MainText).contains(QStringLiteral("Oslo, [ST]")));
}

void TestWordAutomation::closedAndQuitObjectsFailCleanly()
{
    const QString source = writeLetter(QStringLiteral("letter.dotx"));
    const AutomationObjectPtr documents = get(m_word, QStringLiteral("Documents"));
    const AutomationObjectPtr document = object(documents->invoke(QStringLiteral("Open"), {positional(source)}));
    const AutomationObjectPtr range = get(document, QStringLiteral("Content"));
    const AutomationObjectPtr find = get(range, QStringLiteral("Find"));
    const AutomationObjectPtr shape = get(document, QStringLiteral("Shapes"))->items().at(0);
    document->invoke(QStringLiteral("Close"), {named(QStringLiteral("SaveChanges"), kDoNotSaveChanges)});

    QCOMPARE(failureOf([&]() { document->property(QStringLiteral("Name")); }), QStringLiteral("DocumentClosed"));
    QCOMPARE(failureOf([&]() { range->property(QStringLiteral("Text")); }), QStringLiteral("DocumentClosed"));
    QCOMPARE(failureOf([&]() { find->invoke(QStringLiteral("Execute"), {positional(QStringLiteral("x"))}); }), QStringLiteral("DocumentClosed"));
    QCOMPARE(failureOf([&]() { get(shape, QStringLiteral("TextFrame")); }), QStringLiteral("DocumentClosed"));
    QCOMPARE(failureOf([&]() { get(m_word, QStringLiteral("ActiveDocument")); }), QStringLiteral("NoDocumentOpen"));

    const AutomationObjectPtr reopened = object(documents->invoke(QStringLiteral("open"), {positional(source)}));
    m_word->invoke(QStringLiteral("Quit"), {named(QStringLiteral("SaveChanges"), kDoNotSaveChanges)});
    QCOMPARE(failureOf([&]() { reopened->property(QStringLiteral("StoryRanges")); }), QStringLiteral("ApplicationQuit"));
    QCOMPARE(failureOf([&]() { documents->items(); }), QStringLiteral("ApplicationQuit"));
    QCOMPARE(failureOf([&]() { m_word->setProperty(QStringLiteral("Visible"), true); }), QStringLiteral("ApplicationQuit"));
    QCOMPARE(failureOf([&]() { m_word->invoke(QStringLiteral("Quit"), {}); }), QStringLiteral("ApplicationQuit"));
}

void TestWordAutomation::applicationProperties()
{
    QCOMPARE(m_word->property(QStringLiteral("Visible")).toBool(), false);
    m_word->setProperty(QStringLiteral("visible"), true);
    QCOMPARE(m_word->property(QStringLiteral("Visible")).toBool(), true);
    m_word->setProperty(QStringLiteral("DisplayAlerts"), false);
    QCOMPARE(m_word->property(QStringLiteral("DisplayAlerts")).toInt(), 0);
    QCOMPARE(failureOf([&]() { m_word->setProperty(QStringLiteral("Name"), QStringLiteral("x")); }), QStringLiteral("ReadOnlyProperty"));
    QCOMPARE(failureOf([&]() { get(m_word, QStringLiteral("Documents"))->invoke(QStringLiteral("Open"), {}); }), QStringLiteral("ArgumentNotOptional"));
    const QString missing = failureOf([&]() {
        get(m_word, QStringLiteral("Documents"))->invoke(QStringLiteral("Open"), {positional(m_folder->filePath(QStringLiteral("nothing.doc")))});
    });
    QCOMPARE(missing, QStringLiteral("FileNotFound"));
}

void TestWordAutomation::copyAsPictureFillsTheClipboard()
{
    clearClipboardPicture();
    const QString source = writeLetter(QStringLiteral("letter.doc"));
    const AutomationObjectPtr document = object(get(m_word, QStringLiteral("Documents"))->invoke(QStringLiteral("Open"), {positional(source)}));
    object(document->invoke(QStringLiteral("Range"), {}))->invoke(QStringLiteral("CopyAsPicture"), {});
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data && data->hasFormat(QString::fromLatin1(kPictureMimeType)));

    const AutomationObjectPtr header = object(get(document, QStringLiteral("StoryRanges"))->invoke(QStringLiteral("Item"), {positional(7)}));
    QCOMPARE(failureOf([&]() { header->invoke(QStringLiteral("CopyAsPicture"), {}); }), QStringLiteral("PictureFailed"));
}

QTEST_MAIN(TestWordAutomation)
#include "tst_wordautomation.moc"
