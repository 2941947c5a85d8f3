#include "AutomationObject.h"
#include "Package.h"
#include "PackageLimits.h"
#include "Packages.h"
#include "WordDocument.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace quill;
using namespace quill::test;

namespace {

// Hostile inputs must fail well within this time (milliseconds).
constexpr qint64 kHostileInputTimeLimit = 5000;
// Reading a zip bomb may not grow the process by more than this (bytes): the part limit and some slack.
constexpr qint64 kBombMemoryLimit = 2 * kMaxPartSize;

PackageEntries withEntry(PackageEntries entries, const QString &name, const QByteArray &data)
{
    for (auto &entry : entries) {
        if (entry.first == name) {
            entry.second = data;
            return entries;
        }
    }
    entries.emplace_back(name, data);
    return entries;
}

QByteArray documentXml(const QByteArray &inner)
{
    return "<?xml version=\"1.0\"?><w:document" + wordNamespaces() + "><w:body>" + inner + "</w:body></w:document>";
}

// Rewrites the unpacked size that the zip's headers claim for entry `name` (central directory and local header).
void claimSize(QByteArray &zip, const QByteArray &name, quint32 size)
{
    constexpr int kCentralSizeOffset = 24;
    constexpr int kCentralNameLengthOffset = 28;
    constexpr int kCentralLocalHeaderOffset = 42;
    constexpr int kCentralNameOffset = 46;
    constexpr int kLocalSizeOffset = 22;
    const auto read16 = [&zip](qsizetype at) { return quint8(zip[at]) | quint8(zip[at + 1]) << 8; };
    const auto write32 = [&zip](qsizetype at, quint32 value) {
        for (int byte = 0; byte < 4; ++byte)
            zip[at + byte] = char(value >> (8 * byte));
    };
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0; at = zip.indexOf("PK\x01\x02", at + 1)) {
        if (zip.mid(at + kCentralNameOffset, read16(at + kCentralNameLengthOffset)) != name)
            continue;
        write32(at + kCentralSizeOffset, size);
        const qsizetype local = quint32(read16(at + kCentralLocalHeaderOffset)) | quint32(read16(at + kCentralLocalHeaderOffset + 2)) << 16;
        write32(local + kLocalSizeOffset, size);
    }
}

// A compound file (the container of password-protected and of Word 97-2003 documents) whose directory holds a
// root entry and one empty stream named `stream`: a header sector and one directory sector.
QByteArray compoundFile(const QString &stream)
{
    constexpr int kSectorSize = 512;
    constexpr int kEntrySize = 128;
    constexpr int kNameLengthOffset = 64;
    constexpr int kTypeOffset = 66;
    constexpr char kStorageType = 5;
    constexpr char kStreamType = 2;
    QByteArray file(2 * kSectorSize, '\0');
    file.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    const auto addEntry = [&file](int index, const QString &name, char type) {
        const int at = kSectorSize + index * kEntrySize;
        for (int character = 0; character < name.size(); ++character)
            file[at + 2 * character] = char(name.at(character).unicode());
        file[at + kNameLengthOffset] = char(2 * (name.size() + 1));
        file[at + kTypeOffset] = type;
    };
    addEntry(0, QStringLiteral("Root Entry"), kStorageType);
    addEntry(1, stream, kStreamType);
    return file;
}

// Makes the peak resident size start again from the current size, so that a measurement does not
// depend on what ran before it; false where the kernel offers no reset.
bool resetPeakResident()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1 && clearRefs.flush();
}

// The peak resident size since the last reset, in bytes; -1 when it cannot be read.
qint64 peakResidentBytes()
{
    constexpr qint64 kBytesPerKilobyte = 1024;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(int(sizeof("VmHWM:")) - 1).trimmed().split(' ').value(0).toLongLong() * kBytesPerKilobyte;
    }
    return -1;
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

private slots:
    void zipBombStaysBounded();
    void hostileInputFailsCleanly_data();
    void hostileInputFailsCleanly();
    void missingFileFails();
    void unchangedPartsSurviveByteForByte();
    void savedPackageIsADocument();
    void failedSaveLeavesNoFile();
    void relationshipTargetsResolve_data();
    void relationshipTargetsResolve();
};

void TestPackage::hostileInputFailsCleanly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // the status's name, then any words the description must hold

    const PackageEntries valid = documentEntries(DocumentRecipe{paragraph(run("Hello")), {}, {}, {}, false, {}});
    const QByteArray validBytes = packageBytes(valid);

    QTest::newRow("not a zip") << QByteArray("This is a plain text file, not a document.\n") << "DocumentUnreadable";
    QTest::newRow("empty file") << QByteArray() << "DocumentUnreadable";
    QTest::newRow("password-protected") << compoundFile(QStringLiteral("EncryptedPackage")) << "DocumentEncrypted password";
    QTest::newRow("Word 97-2003 document") << compoundFile(QStringLiteral("WordDocument")) << "DocumentUnreadable Word 97-2003";
    QTest::newRow("truncated zip") << validBytes.left(validBytes.size() / 2) << "DocumentDamaged";
    QByteArray corrupted = validBytes;
    for (int offset = 60; offset < 90; ++offset)
        corrupted[offset] = char(~corrupted[offset]);
    QTest::newRow("corrupted data") << corrupted << "DocumentDamaged";
    QByteArray bomb;
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("bomb.zip"));
        QFile file(path);
        if (writePackageWithZeros(path, valid, QStringLiteral("word/media/bomb.bin"), kMaxPartSize + 1) && file.open(QIODevice::ReadOnly))
            bomb = file.readAll();
    }
    QTest::newRow("zip bomb") << bomb << "DocumentRefused";
    constexpr quint32 kFalseSize = 1000;
    claimSize(bomb, "word/media/bomb.bin", kFalseSize);
    QTest::newRow("zip bomb with false sizes") << bomb << "DocumentRefused";

    PackageEntries crowded = valid;
    for (int index = 0; index <= kMaxPackageEntries; ++index)
        crowded.emplace_back(QStringLiteral("customXml/item%1.xml").arg(index), QByteArray());
    QTest::newRow("too many entries") << packageBytes(crowded) << "DocumentRefused";

    PackageEntries noMain;
    for (const auto &entry : valid) {
        if (entry.first != QLatin1String("word/document.xml"))
            noMain.push_back(entry);
    }
    QTest::newRow("missing main part") << packageBytes(noMain) << "DocumentUnreadable";
    PackageEntries noRelationships;
    for (const auto &entry : valid) {
        if (entry.first != QLatin1String("_rels/.rels"))
            noRelationships.push_back(entry);
    }
    QTest::newRow("no package relationships") << packageBytes(noRelationships) << "DocumentUnreadable";

    QTest::newRow("malformed XML")
            << packageBytes(withEntry(valid, "word/document.xml", documentXml("<w:p><w:r><w:t>open</w:r></w:p>")))
            << "DocumentDamaged";
    const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">"
                              "<!ENTITY lol2 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">"
                              "<!ENTITY lol3 \"&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;\">"
                              "<!ENTITY lol9 \"&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;\">]>"
                              "<w:document" + wordNamespaces() + "><w:body><w:p><w:r><w:t>&lol9;</w:t></w:r></w:p></w:body></w:document>";
    QTest::newRow("billion laughs") << packageBytes(withEntry(valid, "word/document.xml", laughs)) << "DocumentRefused";
    const QByteArray external = "<?xml version=\"1.0\"?><!DOCTYPE w:document [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>"
                                "<w:document" + wordNamespaces() + "><w:body><w:p><w:r><w:t>&xxe;</w:t></w:r></w:p></w:body></w:document>";
    QTest::newRow("external entity") << packageBytes(withEntry(valid, "word/document.xml", external)) << "DocumentRefused";

    const auto nest = [](const QByteArray &open, const QByteArray &close, int depth, const QByteArray &inner) {
        return open.repeated(depth) + inner + close.repeated(depth);
    };
    const QByteArray text = run("deep");
    QTest::newRow("content controls nested too deep")
            << packageBytes(withEntry(valid, "word/document.xml", documentXml(paragraph(
                   nest("<w:sdt><w:sdtContent>", "</w:sdtContent></w:sdt>", kMaxXmlDepth, text)))))
            << "DocumentRefused content controls";
    QTest::newRow("elements nested too deep")
            << packageBytes(withEntry(valid, "word/document.xml", documentXml(paragraph(
                   nest("<w:smartTag>", "</w:smartTag>", kMaxXmlDepth, text)))))
            << "DocumentRefused its elements";
    QTest::newRow("not a word document")
            << packageBytes(withEntry(valid, "word/document.xml", "<?xml version=\"1.0\"?><workbook/>"))
            << "DocumentUnreadable";
}

void TestPackage::hostileInputFailsCleanly()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("hostile.docx"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    QElapsedTimer timer;
    timer.start();
    try {
        WordDocument::open(path);
        QFAIL("the document was opened");
    } catch (const Error &error) {
        QCOMPARE(QString::fromLatin1(statusName(error.status())), expected.section(QLatin1Char(' '), 0, 0));
        QVERIFY2(error.description().contains(QStringLiteral("hostile.docx")), qPrintable(error.description()));
        QVERIFY2(error.description().contains(expected.section(QLatin1Char(' '), 1)), qPrintable(error.description()));
    }
    QVERIFY(timer.elapsed() < kHostileInputTimeLimit);
}

void TestPackage::missingFileFails()
{
    QTemporaryDir folder;
    try {
        WordDocument::open(folder.filePath(QStringLiteral("absent.docx")));
        QFAIL("a missing file was opened");
    } catch (const Error &error) {
        QCOMPARE(error.status(), Status::FileNotFound);
    }
}

void TestPackage::zipBombStaysBounded()
{
    // Half a gigabyte of zeros deflates to half a megabyte; reading must stop at the part limit.
    constexpr qint64 kBombSize = qint64(512) * 1024 * 1024;
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("bomb.docx"));
    QVERIFY(writePackageWithZeros(path, documentEntries(DocumentRecipe{paragraph(run("x")), {}, {}, {}, false, {}}),
                              QStringLiteral("word/media/bomb.bin"), kBombSize));
    QVERIFY(QFileInfo(path).size() < kBombSize / 100);
    if (!resetPeakResident())
        QSKIP("the peak resident size cannot be reset here (/proc/self/clear_refs)");
    const qint64 before = peakResidentBytes();
    QVERIFY(before > 0);
    QVERIFY_THROWS_EXCEPTION(Error, Package::open(path));
    const qint64 growth = peakResidentBytes() - before;
    QVERIFY2(growth < kBombMemoryLimit, qPrintable(QStringLiteral("grew by %1 bytes").arg(growth)));
}

void TestPackage::unchangedPartsSurviveByteForByte()
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("source.dotx"));
    const QString target = folder.filePath(QStringLiteral("target.doc"));
    QByteArray binary;
    for (int value = 0; value < 4096; ++value)
        binary.append(char(value * 37 % 256));
    DocumentRecipe recipe{paragraph(run("Dear [Name],")), {{"default", paragraph(run("Header without tags"))}}, {}, {}, true,
                      {{"word/media/image1.png", binary},
                       {"customXml/item1.xml", "<?xml version='1.0'?>\r\n<data  a='1' >&#65;<![CDATA[raw & <text>]]></data>"},
                       {"word/styles.xml", "<?xml version=\"1.0\"?><w:styles" + wordNamespaces() + "/>"}}};
    QVERIFY(writeDocument(source, recipe));

    auto document = WordDocument::open(source, true);
    QCOMPARE(document->replaceEverywhere(QStringLiteral("[name]"), QStringLiteral("Ann")), 1);
    document->saveAs(target);

    const QMap<QString, QByteArray> before = readPackage(source).parts;
    const QMap<QString, QByteArray> after = readPackage(target).parts;
    QCOMPARE(after.keys(), before.keys());
    for (const QString &name : before.keys()) {
        if (name == QLatin1String("word/document.xml") || name == QLatin1String("[Content_Types].xml"))
            continue;
        QVERIFY2(after.value(name) == before.value(name), qPrintable(name));
    }
    QVERIFY(after.value(QStringLiteral("word/document.xml")).contains("Dear Ann,"));
    QVERIFY(after.value(QStringLiteral("word/document.xml")).startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"));
}

void TestPackage::savedPackageIsADocument()
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("letter.dotx"));
    QVERIFY(writeDocument(source, DocumentRecipe{paragraph(run("Text")), {}, {}, {}, true, {}}));
    auto document = WordDocument::open(source, true);
    const QString first = folder.filePath(QStringLiteral("first.doc"));
    const QString second = folder.filePath(QStringLiteral("second.doc"));
    document->saveAs(first);
    document->saveAs(second);

    const QByteArray types = readPackage(first).parts.value(QStringLiteral("[Content_Types].xml"));
    QVERIFY(types.contains(kDocumentMainContentType));
    QVERIFY(!types.contains(kTemplateMainContentType));
    QFile firstFile(first);
    QFile secondFile(second);
    QVERIFY(firstFile.open(QIODevice::ReadOnly) && secondFile.open(QIODevice::ReadOnly));
    QVERIFY2(firstFile.readAll() == secondFile.readAll(), "saving the same document twice gives different bytes");
    QCOMPARE(WordDocument::open(second)->storyText(StoryType::MainText), QStringLiteral("Text\r"));
}

void TestPackage::failedSaveLeavesNoFile()
{
    QTemporaryDir folder;
    const QString source = folder.filePath(QStringLiteral("letter.docx"));
    QVERIFY(writeDocument(source, DocumentRecipe{paragraph(run("Text")), {}, {}, {}, false, {}}));
    auto document = WordDocument::open(source);

    QVERIFY_THROWS_EXCEPTION(Error, document->saveAs(folder.filePath(QStringLiteral("missing/letter.doc"))));
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("occupied.doc")));
    QVERIFY_THROWS_EXCEPTION(Error, document->saveAs(folder.filePath(QStringLiteral("occupied.doc"))));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("letter.docx")});
    QCOMPARE(document->path(), source);
}

void TestPackage::relationshipTargetsResolve_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");
    QTest::newRow("package") << QString() << "word/document.xml" << "word/document.xml";
    QTest::newRow("sibling") << "word/document.xml" << "header1.xml" << "word/header1.xml";
    QTest::newRow("parent") << "word/document.xml" << "../customXml/item1.xml" << "customXml/item1.xml";
    QTest::newRow("absolute") << "word/document.xml" << "/word/media/a.png" << "word/media/a.png";
    QTest::newRow("escaped") << "word/document.xml" << "media/my%20image.png" << "word/media/my image.png";
    QTest::newRow("above the root") << "word/document.xml" << "../../../etc/passwd" << "etc/passwd";
}

void TestPackage::relationshipTargetsResolve()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QCOMPARE(Package::resolveTarget(source, target), expected);
}

QTEST_GUILESS_MAIN(TestPackage)
#include "tst_package.moc"
