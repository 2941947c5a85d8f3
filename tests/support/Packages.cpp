#include "Packages.h"

#include "AutomationObject.h"
#include "Package.h"

#include <QFile>
#include <QTemporaryDir>

#include <zip.h>

#include <algorithm>
#include <cstring>

namespace quill::test {

QByteArray wordNamespaces()
{
    return R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
           R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
           R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
           R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
           R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
           R"( xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape")"
           R"( xmlns:v="urn:schemas-microsoft-com:vml")"
           R"( mc:Ignorable="wps")";
}

QByteArray paragraph(const QByteArray &runs)
{
    return "<w:p>" + runs + "</w:p>";
}

QByteArray run(const QByteArray &text, const QByteArray &properties)
{
    const QByteArray rPr = properties.isEmpty() ? QByteArray() : "<w:rPr>" + properties + "</w:rPr>";
    return "<w:r>" + rPr + "<w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

PackageEntries documentEntries(const DocumentRecipe &recipe)
{
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const QByteArray relationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const QByteArray mainType = recipe.isTemplate
            ? "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"
            : "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

    QByteArray overrides = "<Override PartName=\"/word/document.xml\" ContentType=\"" + mainType + "\"/>";
    QByteArray relationships;
    QByteArray references;
    PackageEntries parts;
    int number = 0;
    const auto addStoryPart = [&](const char *kind, const QByteArray &type, const QByteArray &content) {
        ++number;
        const QByteArray name = QByteArray(kind) + QByteArray::number(number) + ".xml";
        const QByteArray id = "rIdStory" + QByteArray::number(number);
        const QByteArray root = QByteArray(kind) == "header" ? "w:hdr" : "w:ftr";
        parts.emplace_back("word/" + name, declaration + "<" + root + wordNamespaces() + ">" + content + "</" + root + ">");
        overrides += "<Override PartName=\"/word/" + name + "\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml."
                + kind + "+xml\"/>";
        relationships += "<Relationship Id=\"" + id + "\" Type=\"" + relationshipBase + kind + "\" Target=\"" + name + "\"/>";
        references += "<w:" + QByteArray(kind) + "Reference w:type=\"" + type + "\" r:id=\"" + id + "\"/>";
    };
    for (const auto &header : recipe.headers)
        addStoryPart("header", header.first, header.second);
    for (const auto &footer : recipe.footers)
        addStoryPart("footer", footer.first, footer.second);
    if (!recipe.footnotes.isEmpty()) {
        parts.emplace_back("word/footnotes.xml", declaration + "<w:footnotes" + wordNamespaces() + ">" + recipe.footnotes + "</w:footnotes>");
        overrides += "<Override PartName=\"/word/footnotes.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.footnotes+xml\"/>";
        relationships += "<Relationship Id=\"rIdNotes\" Type=\"" + relationshipBase + "footnotes\" Target=\"footnotes.xml\"/>";
    }
    const bool hasSettings = std::any_of(recipe.extraEntries.begin(), recipe.extraEntries.end(),
                                         [](const auto &entry) { return entry.first == QLatin1String("word/settings.xml"); });
    if (hasSettings) {
        overrides += "<Override PartName=\"/word/settings.xml\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml\"/>";
        relationships += "<Relationship Id=\"rIdSettings\" Type=\"" + relationshipBase + "settings\" Target=\"settings.xml\"/>";
    }

    int pictureNumber = 0;
    for (const auto &[name, bytes] : recipe.extraEntries) {
        if (!name.startsWith(QLatin1String("word/media/")))
            continue;
        const QByteArray target = name.mid(int(qstrlen("word/"))).toUtf8();
        overrides += "<Override PartName=\"/word/" + target + "\" ContentType=\"image/" + name.section(QLatin1Char('.'), -1).toUtf8() + "\"/>";
        relationships += "<Relationship Id=\"rIdPicture" + QByteArray::number(++pictureNumber) + "\" Type=\"" + relationshipBase
                + "image\" Target=\"" + target + "\"/>";
    }

    PackageEntries entries;
    entries.emplace_back("[Content_Types].xml",
                         declaration + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                                 "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                                 "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                                 + overrides + "</Types>");
    entries.emplace_back("_rels/.rels",
                         declaration + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                 "<Relationship Id=\"rId1\" Type=\"" + relationshipBase + "officeDocument\" Target=\"word/document.xml\"/>"
                                 "</Relationships>");
    entries.emplace_back("word/document.xml",
                         declaration + "<w:document" + wordNamespaces() + "><w:body>" + recipe.body
                                 + "<w:sectPr>" + references + "<w:pgSz w:w=\"12240\" w:h=\"15840\"/></w:sectPr>"
                                 + "</w:body></w:document>");
    entries.emplace_back("word/_rels/document.xml.rels",
                         declaration + "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                 + relationships + "</Relationships>");
    for (const auto &part : parts)
        entries.push_back(part);
    for (const auto &extra : recipe.extraEntries)
        entries.push_back(extra);
    return entries;
}

bool writePackage(const QString &path, const PackageEntries &entries)
{
    try {
        const std::unique_ptr<Package> package = Package::create();
        for (const auto &entry : entries)
            package->setData(entry.first, entry.second);
        package->save(path);
        return true;
    } catch (const Error &) {
        return false;
    }
}

namespace {

// A zip source of zeros, made as libzip reads it.
struct ZeroSource
{
    zip_uint64_t size = 0;
    zip_uint64_t position = 0;
};

zip_int64_t zeroSourceCallback(void *userdata, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *source = static_cast<ZeroSource *>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        source->position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t count = std::min(length, source->size - source->position);
        std::memset(data, 0, count);
        source->position += count;
        return zip_int64_t(count);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *stat = static_cast<zip_stat_t *>(data);
        zip_stat_init(stat);
        stat->size = source->size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(nullptr, data, length);
    case ZIP_SOURCE_FREE:
        delete source;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

} // namespace

bool writePackageWithZeros(const QString &path, const PackageEntries &entries, const QString &name, qint64 size)
{
    if (!writePackage(path, entries))
        return false;
    // The engine's Package holds every part in memory; the huge entry is streamed in by libzip instead.
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), 0, &error);
    if (!archive)
        return false;
    zip_source_t *zeros = zip_source_function(archive, zeroSourceCallback, new ZeroSource{zip_uint64_t(size), 0});
    if (!zeros || zip_file_add(archive, name.toUtf8().constData(), zeros, ZIP_FL_ENC_UTF_8) < 0
        || zip_close(archive) < 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

void addWordPart(PackageEntries &entries, const QByteArray &kind, const QByteArray &xml)
{
    for (auto &[name, bytes] : entries) {
        if (name == QLatin1String("[Content_Types].xml"))
            bytes.replace("</Types>", "<Override PartName=\"/word/" + kind + ".xml\" ContentType=\"application/"
                                      "vnd.openxmlformats-officedocument.wordprocessingml." + kind + "+xml\"/></Types>");
        if (name == QLatin1String("word/_rels/document.xml.rels"))
            bytes.replace("</Relationships>", "<Relationship Id=\"rIdPart" + kind + "\" Type=\"http://schemas.openxmlformats.org/"
                                              "officeDocument/2006/relationships/" + kind + "\" Target=\"" + kind + ".xml\"/>"
                                              "</Relationships>");
    }
    entries.emplace_back(QStringLiteral("word/%1.xml").arg(QString::fromLatin1(kind)), xml);
}

bool writeDocument(const QString &path, const DocumentRecipe &recipe)
{
    return writePackage(path, documentEntries(recipe));
}

QByteArray packageBytes(const PackageEntries &entries)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("package.zip"));
    if (!folder.isValid() || !writePackage(path, entries))
        return QByteArray();
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

PackageContents readPackage(const QString &path)
{
    PackageContents contents;
    try {
        const std::unique_ptr<Package> package = Package::open(path);
        for (const QString &name : package->partNames()) {
            contents.names << name;
            contents.parts.insert(name, package->data(name));
        }
    } catch (const Error &error) {
        contents.error = error.description();
    }
    return contents;
}

PackageContents readPackageBytes(const QByteArray &bytes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("package.zip"));
    QFile file(path);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()) {
        PackageContents contents;
        contents.error = QStringLiteral("cannot write %1").arg(path);
        return contents;
    }
    file.close();
    return readPackage(path);
}

} // namespace quill::test
