#include "DocxParts.h"

#include "Packages.h"

#include <utility>

namespace quill::test {

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

} // namespace

LayoutSources DocxParts::sources() const
{
    LayoutSources sources;
    sources.document = document.get();
    sources.styles = styles.get();
    sources.settings = settings.get();
    sources.numbering = numbering.get();
    sources.theme = theme.get();
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

bool writeDocx(const QString &path, const QByteArray &document, const QByteArray &styles,
               const QByteArray &settings, const QByteArray &numbering, QString *error)
{
    QByteArray relationships = kRelationshipsHead;
    PackageEntries entries = {
        {QStringLiteral("[Content_Types].xml"), kContentTypes},
        {QStringLiteral("_rels/.rels"), kPackageRelationships},
        {QStringLiteral("word/document.xml"), document},
    };
    const std::pair<const char *, const QByteArray *> optionalParts[] = {
        {"styles", &styles}, {"settings", &settings}, {"numbering", &numbering}};
    int id = 1;
    for (const auto &[name, bytes] : optionalParts) {
        if (bytes->isEmpty())
            continue;
        entries.emplace_back(QStringLiteral("word/%1.xml").arg(QLatin1String(name)), *bytes);
        relationships += QByteArray("<Relationship Id=\"rId") + QByteArray::number(id++) + "\" Type=\""
                         + kRelationshipType + name + "\" Target=\"" + name + ".xml\"/>";
    }
    relationships += "</Relationships>";
    entries.emplace_back(QStringLiteral("word/_rels/document.xml.rels"), relationships);

    const bool written = writePackage(path, entries);
    if (!written && error)
        *error = QStringLiteral("cannot write package %1").arg(path);
    return written;
}

} // namespace quill::test
