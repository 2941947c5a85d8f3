#include "TestPackages.h"

#include <QFile>

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

ZipEntries documentEntries(const DocumentSpec &recipe)
{
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const QByteArray relationshipBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const QByteArray mainType = recipe.isTemplate
            ? "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml"
            : "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";

    QByteArray overrides = "<Override PartName=\"/word/document.xml\" ContentType=\"" + mainType + "\"/>";
    QByteArray relationships;
    QByteArray references;
    ZipEntries parts;
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

    ZipEntries entries;
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

namespace {

// A new archive at `path` holding `entries`, still open for more; null when it could not be made.
zip_t *openArchiveWith(const QString &path, const ZipEntries &entries)
{
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        return nullptr;
    for (const auto &entry : entries) {
        zip_source_t *source = zip_source_buffer(archive, entry.second.constData(), zip_uint64_t(entry.second.size()), 0);
        if (!source || zip_file_add(archive, entry.first.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return nullptr;
        }
    }
    return archive;
}

} // namespace

bool writeZip(const QString &path, const ZipEntries &entries)
{
    zip_t *archive = openArchiveWith(path, entries);
    if (!archive)
        return false;
    if (zip_close(archive) < 0) {
        zip_discard(archive);
        return false;
    }
    return true;
}

namespace {

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

bool writeZipWithZeros(const QString &path, const ZipEntries &entries, const QString &name, qint64 size)
{
    zip_t *archive = openArchiveWith(path, entries);
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

bool writeDocument(const QString &path, const DocumentSpec &recipe)
{
    return writeZip(path, documentEntries(recipe));
}

QMap<QString, QByteArray> readZip(const QString &path)
{
    QMap<QString, QByteArray> entries;
    int error = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return entries;
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t index = 0; index < count; ++index) {
        zip_stat_t stat;
        if (zip_stat_index(archive, zip_uint64_t(index), 0, &stat) < 0)
            continue;
        QByteArray data(qsizetype(stat.size), '\0');
        zip_file_t *file = zip_fopen_index(archive, zip_uint64_t(index), 0);
        if (file) {
            zip_fread(file, data.data(), stat.size);
            zip_fclose(file);
        }
        entries.insert(QString::fromUtf8(stat.name), data);
    }
    zip_discard(archive);
    return entries;
}

} // namespace quill::test
