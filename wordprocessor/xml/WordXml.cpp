#include "WordXml.h"

#include <cstring>

namespace quill {

namespace {

// The prefix every XML document binds to the XML namespace itself (xml:space), without declaring it.
constexpr std::string_view kXmlPrefix = "xml";
constexpr char kXmlNamespaceUri[] = "http://www.w3.org/XML/1998/namespace";
// The attribute that declares the default namespace; "xmlns:" followed by a prefix declares that prefix.
constexpr std::string_view kXmlns = "xmlns";
constexpr char kPrefixSeparator = ':';

// The prefix of a qualified name whose local part starts at `local` (empty when there is none).
std::string_view prefixOf(const char *qualifiedName, const char *local)
{
    return local == qualifiedName ? std::string_view() : std::string_view(qualifiedName, size_t(local - qualifiedName - 1));
}

// The prefix `attributeName` declares when it is a namespace declaration: an empty view for the
// default namespace, nothing for an ordinary attribute.
std::optional<std::string_view> declaredPrefix(const char *attributeName)
{
    if (std::strncmp(attributeName, kXmlns.data(), kXmlns.size()) != 0)
        return std::nullopt;
    const char *rest = attributeName + kXmlns.size();
    if (*rest == '\0')
        return std::string_view();
    if (*rest != kPrefixSeparator)
        return std::nullopt;
    return std::string_view(rest + 1);
}

// True when `prefix`, where `scope` sits, is bound to `ns`.
bool isBoundTo(pugi::xml_node scope, std::string_view prefix, XmlNamespace ns)
{
    const char *uri = namespaceForPrefix(scope, prefix);
    return uri && std::strcmp(uri, namespaceUri(ns)) == 0;
}

} // namespace

const char *namespaceUri(XmlNamespace ns)
{
    switch (ns) {
    case XmlNamespace::Word:
        return "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    case XmlNamespace::MarkupCompatibility:
        return "http://schemas.openxmlformats.org/markup-compatibility/2006";
    case XmlNamespace::Relationships:
        return "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    case XmlNamespace::WordDrawing:
        return "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
    case XmlNamespace::PackageRelationships:
        return "http://schemas.openxmlformats.org/package/2006/relationships";
    case XmlNamespace::ContentTypes:
        return "http://schemas.openxmlformats.org/package/2006/content-types";
    case XmlNamespace::DataStore:
        return "http://schemas.openxmlformats.org/officeDocument/2006/customXml";
    case XmlNamespace::CoreProperties:
        return "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
    case XmlNamespace::DublinCoreTerms:
        return "http://purl.org/dc/terms/";
    case XmlNamespace::DublinCore:
        return "http://purl.org/dc/elements/1.1/";
    case XmlNamespace::DrawingMain:
        return "http://schemas.openxmlformats.org/drawingml/2006/main";
    case XmlNamespace::Picture:
        return "http://schemas.openxmlformats.org/drawingml/2006/picture";
    case XmlNamespace::WordShape:
        return "http://schemas.microsoft.com/office/word/2010/wordprocessingShape";
    case XmlNamespace::WordGroup:
        return "http://schemas.microsoft.com/office/word/2010/wordprocessingGroup";
    case XmlNamespace::WordDrawing2010:
        return "http://schemas.microsoft.com/office/word/2010/wordprocessingDrawing";
    case XmlNamespace::Word2010:
        return "http://schemas.microsoft.com/office/word/2010/wordml";
    case XmlNamespace::DrawingMain2010:
        return "http://schemas.microsoft.com/office/drawing/2010/main";
    case XmlNamespace::Chart:
        return "http://schemas.openxmlformats.org/drawingml/2006/chart";
    case XmlNamespace::Vml:
        return "urn:schemas-microsoft-com:vml";
    case XmlNamespace::VmlOffice:
        return "urn:schemas-microsoft-com:office:office";
    case XmlNamespace::VmlWord:
        return "urn:schemas-microsoft-com:office:word";
    }
    return "";
}

const char *namespaceForPrefix(pugi::xml_node node, std::string_view prefix)
{
    if (prefix == kXmlPrefix)
        return kXmlNamespaceUri;
    for (pugi::xml_node scope = node; scope; scope = scope.parent()) {
        if (scope.type() != pugi::node_element)
            continue;
        for (pugi::xml_attribute attr = scope.first_attribute(); attr; attr = attr.next_attribute()) {
            if (declaredPrefix(attr.name()) == prefix)
                return attr.value();
        }
    }
    return nullptr;
}

const char *localName(const char *qualifiedName)
{
    const char *colon = std::strchr(qualifiedName, kPrefixSeparator);
    return colon ? colon + 1 : qualifiedName;
}

bool isInNamespace(pugi::xml_node node, XmlNamespace ns)
{
    if (node.type() != pugi::node_element)
        return false;
    const char *qualified = node.name();
    return isBoundTo(node, prefixOf(qualified, localName(qualified)), ns);
}

bool isElement(pugi::xml_node node, const char *name, XmlNamespace ns)
{
    if (node.type() != pugi::node_element)
        return false;
    const char *qualified = node.name();
    const char *local = localName(qualified);
    return std::strcmp(local, name) == 0 && isBoundTo(node, prefixOf(qualified, local), ns);
}

bool isInNamespace(pugi::xml_node node, XmlNamespace ns, pugi::xml_node anchor)
{
    if (node.type() != pugi::node_element)
        return false;
    const char *qualified = node.name();
    const std::string_view prefix = prefixOf(qualified, localName(qualified));
    const char *anchorName = anchor.name();
    if (!anchor || prefix != prefixOf(anchorName, localName(anchorName)))
        return isBoundTo(node, prefix, ns);
    for (pugi::xml_node scope = node; scope; scope = scope.parent()) {
        if (scope == anchor)
            return true;
        for (pugi::xml_attribute attr = scope.first_attribute(); attr; attr = attr.next_attribute()) {
            if (declaredPrefix(attr.name()) == prefix)
                return std::strcmp(attr.value(), namespaceUri(ns)) == 0;
        }
    }
    // `anchor` is no ancestor after all.
    return isBoundTo(node, prefix, ns);
}

bool isElement(pugi::xml_node node, const char *name, XmlNamespace ns, pugi::xml_node anchor)
{
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), name) == 0
           && isInNamespace(node, ns, anchor);
}

pugi::xml_node childElement(pugi::xml_node node, const char *name, XmlNamespace ns)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, name, ns))
            return child;
    }
    return {};
}

pugi::xml_attribute attribute(pugi::xml_node node, const char *name, XmlNamespace ns)
{
    for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
        const char *qualified = attr.name();
        const char *local = localName(qualified);
        // An unprefixed attribute is in no namespace, whatever the default namespace is.
        if (local != qualified && std::strcmp(local, name) == 0 && isBoundTo(node, prefixOf(qualified, local), ns))
            return attr;
    }
    return {};
}

std::string qualifiedName(pugi::xml_node scope, const char *localName, XmlNamespace ns)
{
    std::optional<std::string_view> prefix;
    if (isInNamespace(scope, ns)) {
        const char *qualified = scope.name();
        prefix = prefixOf(qualified, quill::localName(qualified));
    }
    for (pugi::xml_node element = scope; element && !prefix; element = element.parent()) {
        for (pugi::xml_attribute attr = element.first_attribute(); attr && !prefix; attr = attr.next_attribute()) {
            const std::optional<std::string_view> declared = declaredPrefix(attr.name());
            // A nearer declaration may have bound the same prefix to another namespace.
            if (declared && std::strcmp(attr.value(), namespaceUri(ns)) == 0 && isBoundTo(scope, *declared, ns))
                prefix = declared;
        }
    }
    if (!prefix || prefix->empty())
        return localName;
    return std::string(*prefix) + kPrefixSeparator + localName;
}

std::optional<int> intAttribute(pugi::xml_node node, const char *name)
{
    const pugi::xml_attribute attr = attribute(node, name);
    if (!attr)
        return std::nullopt;
    bool ok = false;
    const int value = QString::fromUtf8(attr.value()).trimmed().toInt(&ok);
    if (!ok) {
        // Some writers put fractional twips ("720.0"); keep the whole part.
        const double fractional = QString::fromUtf8(attr.value()).trimmed().toDouble(&ok);
        if (!ok)
            return std::nullopt;
        return static_cast<int>(fractional);
    }
    return value;
}

QString textAttribute(pugi::xml_node node, const char *name)
{
    return QString::fromUtf8(attribute(node, name).value());
}

bool isOn(pugi::xml_node property)
{
    if (!property)
        return false;
    const pugi::xml_attribute val = attribute(property, "val");
    if (!val)
        return true;
    const char *value = val.value();
    return !(std::strcmp(value, "0") == 0 || std::strcmp(value, "false") == 0 || std::strcmp(value, "off") == 0);
}

} // namespace quill
