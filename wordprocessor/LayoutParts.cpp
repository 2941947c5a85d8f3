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

DocumentDates documentDates(Package &package)
{
    DocumentDates dates;
    const Relationship core = package.relationship(QString(), QStringLiteral("core-properties"));
    const QString part = core.target.isEmpty() ? QString() : package.findPart(core.target);
    if (part.isEmpty())
        return dates;
    pugi::xml_node properties;
    try {
        properties = childElement(package.xml(part), "coreProperties", XmlNamespace::CoreProperties);
    } catch (const Error &) {
        return dates; // unreadable properties: the fields keep their stored results
    }
    const auto date = [&](const char *name, XmlNamespace ns) {
        const QString text = QString::fromUtf8(childElement(properties, name, ns).text().get()).trimmed();
        QDateTime value = QDateTime::fromString(text, Qt::ISODate);
        return value.isValid() ? value.toLocalTime() : value;
    };
    dates.created = date("created", XmlNamespace::DublinCoreTerms);
    dates.saved = date("modified", XmlNamespace::DublinCoreTerms);
    dates.printed = date("lastPrinted", XmlNamespace::CoreProperties);
    return dates;
}

} // namespace quill
