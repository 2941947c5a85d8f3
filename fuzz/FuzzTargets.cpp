#include "FuzzTargets.h"

#include "AutomationObject.h"
#include "FuzzSupport.h"
#include "TextSearch.h"
#include "WordDocument.h"

#include <QByteArray>
#include <QFile>

#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

namespace quill::fuzz {

namespace {

// The text searched for and put in by readPackage: a placeholder of the letter and something longer.
const QString kPackageSearchText = QStringLiteral("[yourname]");
const QString kPackageReplacement = QStringLiteral("Ann & <Bob> \"Ünal\" 'O'");

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const QByteArray kRelationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const QByteArray kWordNamespaces = " xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\""
                                   " xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";

// The story text with line ends in one form: XML turns a carriage return inside text into a line feed.
QString comparableText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

using StoryTexts = std::map<std::pair<int, int>, QString>;

StoryTexts allStoryTexts(WordDocument &document)
{
    StoryTexts texts;
    for (const StoryType type : document.storyTypes()) {
        for (int index = 0; index < document.storyRangeCount(type); ++index)
            texts[{int(type), index}] = comparableText(storyText(document.story(type, index)));
    }
    return texts;
}

// Counts, then replaces, in one story; the two must agree, and replacing a text by itself with
// letter case kept must change nothing.
void replaceInStory(WordDocument &document, const Story &story, const FindOptions &options, ReplaceMode mode)
{
    const QString before = storyText(story);
    const int counted = document.find(story, options, ReplaceMode::None);
    const int replaced = document.find(story, options, mode);
    if (counted != replaced)
        broken("the matches counted and the matches replaced differ");
    if (options.matchCase && options.text == options.replacement && storyText(story) != before)
        broken("replacing a text by itself changed the story");
}

// What both targets do with a document the engine accepted.
void exercise(WordDocument &document, const FindOptions &options, ReplaceMode mode)
{
    for (const StoryType type : document.storyTypes()) {
        for (int index = 0; index < document.storyRangeCount(type); ++index)
            replaceInStory(document, document.story(type, index), options, mode);
    }
    const int shapeCount = int(document.shapes().size());
    for (int index = 0; index < shapeCount; ++index)
        replaceInStory(document, document.shapeStory(index), options, mode);

    // What was saved reads back as the same text, story by story.
    const StoryTexts before = allStoryTexts(document);
    const QString savedPath = scratchPath("saved.docx");
    document.saveAs(savedPath);
    std::unique_ptr<WordDocument> saved;
    try {
        saved = WordDocument::open(savedPath, true);
    } catch (const Error &error) {
        std::fprintf(stderr, "fuzz: %s\n", qPrintable(error.description()));
        broken("a saved document cannot be read back");
    }
    if (allStoryTexts(*saved) != before)
        broken("the saved document reads back with other text");
}

void addEntry(zip_t *archive, const char *name, const QByteArray &bytes)
{
    zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
    if (!source)
        broken("libzip refused a buffer");
    const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        broken("libzip refused an entry");
    }
    // Stored, not deflated: the package is rebuilt for every input and read straight back.
    zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_STORE, 0);
}

// A package whose main part is `mainPart`, with a header and footnotes it may refer to.
void writeDocumentPackage(const QString &path, const QByteArray &mainPart)
{
    const QByteArray contentTypes = kDeclaration
            + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
              "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
              "<Override PartName=\"/word/document.xml\" ContentType=\""
            + QByteArray(kTemplateMainContentType) + "\"/></Types>";
    const QByteArray packageRelationships = kDeclaration
            + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rId1\" Type=\"" + kRelationshipBase + "officeDocument\" Target=\"word/document.xml\"/>"
              "</Relationships>";
    const QByteArray documentRelationships = kDeclaration
            + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
              "<Relationship Id=\"rIdHeader\" Type=\"" + kRelationshipBase + "header\" Target=\"header1.xml\"/>"
              "<Relationship Id=\"rIdNotes\" Type=\"" + kRelationshipBase + "footnotes\" Target=\"footnotes.xml\"/>"
              "</Relationships>";
    const QByteArray header = kDeclaration + "<w:hdr" + kWordNamespaces
            + "><w:p><w:r><w:t>[CompanyName] </w:t></w:r><w:r><w:rPr><w:b/></w:rPr><w:t>[YourName]</w:t></w:r></w:p></w:hdr>";
    const QByteArray footnotes = kDeclaration + "<w:footnotes" + kWordNamespaces
            + "><w:footnote w:id=\"1\"><w:p><w:r><w:t>Note for [RecipientName]</w:t></w:r></w:p></w:footnote></w:footnotes>";

    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        broken("libzip cannot create the package");
    addEntry(archive, "[Content_Types].xml", contentTypes);
    addEntry(archive, "_rels/.rels", packageRelationships);
    addEntry(archive, "word/document.xml", mainPart);
    addEntry(archive, "word/_rels/document.xml.rels", documentRelationships);
    addEntry(archive, "word/header1.xml", header);
    addEntry(archive, "word/footnotes.xml", footnotes);
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        broken("libzip cannot write the package");
    }
}

// The next line of `bytes` from `position` on (without its line feed); moves `position` past it.
QByteArray takeLine(const QByteArray &bytes, qsizetype &position)
{
    qsizetype end = bytes.indexOf('\n', position);
    if (end < 0)
        end = bytes.size();
    const QByteArray line = bytes.mid(position, end - position);
    position = std::min(end + 1, bytes.size());
    return line;
}

} // namespace

int readPackage(const std::uint8_t *data, std::size_t size)
{
    const QString inputPath = scratchPath("input.docx");
    writeFileOrAbort(inputPath, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    std::unique_ptr<WordDocument> document;
    try {
        document = WordDocument::open(inputPath, true);
    } catch (const Error &) {
        return 0;
    }
    FindOptions options;
    options.text = kPackageSearchText;
    options.replacement = kPackageReplacement;
    try {
        exercise(*document, options, ReplaceMode::All);
    } catch (const Error &) {
        // A part that is read only now (a damaged header, say) may still be refused.
    }
    return 0;
}

int replaceInDocument(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    qsizetype position = 0;
    FindOptions options;
    options.text = QString::fromUtf8(takeLine(bytes, position));
    options.replacement = QString::fromUtf8(takeLine(bytes, position));
    const QByteArray letters = takeLine(bytes, position);
    options.matchCase = letters.contains('c');
    options.matchWholeWord = letters.contains('w');
    options.forward = !letters.contains('b');
    const ReplaceMode mode = letters.contains('1') ? ReplaceMode::One : ReplaceMode::All;

    const QString inputPath = scratchPath("input.docx");
    writeDocumentPackage(inputPath, bytes.mid(position));
    std::unique_ptr<WordDocument> document;
    try {
        document = WordDocument::open(inputPath, true);
    } catch (const Error &) {
        return 0;
    }
    try {
        exercise(*document, options, mode);
    } catch (const Error &) {
    }
    return 0;
}

} // namespace quill::fuzz
