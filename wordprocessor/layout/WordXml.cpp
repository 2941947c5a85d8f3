#include "WordXml.h"

#include <cstring>

namespace quill {

const char *localName(const char *qualifiedName)
{
    const char *colon = std::strchr(qualifiedName, ':');
    return colon ? colon + 1 : qualifiedName;
}

bool isElement(pugi::xml_node node, const char *name)
{
    return node.type() == pugi::node_element && std::strcmp(localName(node.name()), name) == 0;
}

pugi::xml_node childElement(pugi::xml_node node, const char *name)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, name))
            return child;
    }
    return {};
}

pugi::xml_attribute attribute(pugi::xml_node node, const char *name)
{
    for (pugi::xml_attribute attr = node.first_attribute(); attr; attr = attr.next_attribute()) {
        if (std::strcmp(localName(attr.name()), name) == 0)
            return attr;
    }
    return {};
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
