#include "LayoutParts.h"

#include "Error.h"
#include "WordXml.h"

namespace quill {

QString PackageParts::target(const QString &source, const QString &id)
{
    auto known = m_relationships.find(source);
    if (known == m_relationships.end())
        known = m_relationships.insert(source, m_package.relationships(source));
    for (const Relationship &relationship : *known) {
        if (!relationship.external && relationship.id == id)
            return m_package.findPart(relationship.target);
    }
    return QString();
}

const pugi::xml_document *PackageParts::xml(const QString &name)
{
    if (name.isEmpty() || !m_package.contains(name))
        return nullptr;
    try {
        return &m_package.xml(name);
    } catch (const Error &) {
        return nullptr; // damaged: drawn empty
    }
}

QByteArray PackageParts::data(const QString &name)
{
    return name.isEmpty() || !m_package.contains(name) ? QByteArray() : m_package.data(name);
}

CoreProperties coreProperties(Package &package)
{
    CoreProperties read;
    const QString part = package.relatedPart(QString(), QStringLiteral("core-properties"));
    if (part.isEmpty())
        return read;
    pugi::xml_node properties;
    try {
        properties = childElement(package.xml(part), "coreProperties", XmlNamespace::CoreProperties);
    } catch (const Error &) {
        return read; // unreadable properties: the fields keep their stored results
    }
    const auto text = [&](const char *name, XmlNamespace ns) {
        return QString::fromUtf8(childElement(properties, name, ns).text().get()).trimmed();
    };
    const auto date = [&](const char *name, XmlNamespace ns) {
        QDateTime value = QDateTime::fromString(text(name, ns), Qt::ISODate);
        return value.isValid() ? value.toLocalTime() : value;
    };
    read.dates.created = date("created", XmlNamespace::DublinCoreTerms);
    read.dates.saved = date("modified", XmlNamespace::DublinCoreTerms);
    read.dates.printed = date("lastPrinted", XmlNamespace::CoreProperties);
    read.title = text("title", XmlNamespace::DublinCore);
    read.author = text("creator", XmlNamespace::DublinCore);
    return read;
}

} // namespace quill
