#include "XmlTree.h"

namespace quill {

int xmlDepth(pugi::xml_node root)
{
    return nestingDepth(root, [](pugi::xml_node node) { return node.type() == pugi::node_element; });
}

namespace {

bool isCharacterData(pugi::xml_node node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

} // namespace

QString elementText(pugi::xml_node element)
{
    QByteArray text;
    for (const pugi::xml_node child : element.children()) {
        if (isCharacterData(child))
            text.append(child.value());
    }
    return QString::fromUtf8(text);
}

void setElementText(pugi::xml_node element, const QString &text)
{
    // The new text takes the place of the first character data; other children stay where they are
    // (a damaged document may hold elements, even section properties, inside a text element).
    pugi::xml_node firstText = element.first_child();
    while (firstText && !isCharacterData(firstText))
        firstText = firstText.next_sibling();
    pugi::xml_node written;
    if (!text.isEmpty()) {
        written = firstText ? element.insert_child_before(pugi::node_pcdata, firstText) : element.append_child(pugi::node_pcdata);
        written.set_value(text.toUtf8().constData());
    }
    pugi::xml_node child = element.first_child();
    while (child) {
        const pugi::xml_node next = child.next_sibling();
        if (child != written && isCharacterData(child))
            element.remove_child(child);
        child = next;
    }
}

} // namespace quill
