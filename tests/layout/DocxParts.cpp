#include "DocxParts.h"

#include <zip.h>

#include <utility>
#include <vector>

namespace quill::testing {

namespace {

constexpr char kContentTypes[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>
<Default Extension="xml" ContentType="application/xml"/>
<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>
<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>
<Override PartName="/word/settings.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>
<Override PartName="/word/numbering.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.numbering+xml"/>
</Types>)";

constexpr char kPackageRelationships[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">
<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>
</Relationships>)";

constexpr char kRelationshipsHead[] =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
constexpr char kRelationshipType[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

QByteArray readEntry(zip_t *archive, const char *name)
{
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0)
        return QByteArray();
    zip_file_t *file = zip_fopen(archive, name, 0);
    if (!file)
        return QByteArray();
    QByteArray bytes(static_cast<qsizetype>(stat.size), Qt::Uninitialized);
    const zip_int64_t read = zip_fread(file, bytes.data(), stat.size);
    zip_fclose(file);
    return read == static_cast<zip_int64_t>(stat.size) ? bytes : QByteArray();
}

} // namespace

LayoutSources DocxParts::sources() const
{
    LayoutSources sources;
    sources.document = document.get();
    sources.styles = styles.get();
    sources.settings = settings.get();
    sources.numbering = numbering.get();
    return sources;
}

std::unique_ptr<pugi::xml_document> parseXml(const QByteArray &xml)
{
    if (xml.isEmpty())
        return nullptr;
    auto document = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result =
        document->load_buffer(xml.constData(), static_cast<size_t>(xml.size()),
                              pugi::parse_default | pugi::parse_ws_pcdata_single);
    return result ? std::move(document) : nullptr;
}

bool readDocx(const QString &path, DocxParts &parts, QString *error)
{
    int code = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &code);
    if (!archive) {
        if (error)
            *error = QStringLiteral("cannot open package %1 (libzip error %2)").arg(path).arg(code);
        return false;
    }
    parts.document = parseXml(readEntry(archive, "word/document.xml"));
    parts.styles = parseXml(readEntry(archive, "word/styles.xml"));
    parts.settings = parseXml(readEntry(archive, "word/settings.xml"));
    parts.numbering = parseXml(readEntry(archive, "word/numbering.xml"));
    zip_close(archive);
    if (!parts.document && error)
        *error = QStringLiteral("package %1 has no readable word/document.xml").arg(path);
    return parts.document != nullptr;
}

bool writeDocx(const QString &path, const QByteArray &document, const QByteArray &styles,
               const QByteArray &settings, const QByteArray &numbering, QString *error)
{
    int code = 0;
    zip_t *archive = zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive) {
        if (error)
            *error = QStringLiteral("cannot create package %1 (libzip error %2)").arg(path).arg(code);
        return false;
    }
    QByteArray relationships = kRelationshipsHead;
    std::vector<std::pair<QByteArray, QByteArray>> entries = {
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels", kPackageRelationships},
        {"word/document.xml", document},
    };
    const std::pair<const char *, const QByteArray *> optionalParts[] = {
        {"styles", &styles}, {"settings", &settings}, {"numbering", &numbering}};
    int id = 1;
    for (const auto &[name, bytes] : optionalParts) {
        if (bytes->isEmpty())
            continue;
        entries.emplace_back(QByteArray("word/") + name + ".xml", *bytes);
        relationships += QByteArray("<Relationship Id=\"rId") + QByteArray::number(id++) + "\" Type=\""
                         + kRelationshipType + name + "\" Target=\"" + name + ".xml\"/>";
    }
    relationships += "</Relationships>";
    entries.emplace_back("word/_rels/document.xml.rels", relationships);

    // libzip reads the buffers at zip_close; keep them alive until then.
    bool ok = true;
    for (const auto &[name, bytes] : entries) {
        zip_source_t *source = zip_source_buffer(archive, bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0);
        if (!source || zip_file_add(archive, name.constData(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            ok = false;
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        ok = false;
    }
    if (!ok && error)
        *error = QStringLiteral("cannot write package %1").arg(path);
    return ok;
}

} // namespace quill::testing
