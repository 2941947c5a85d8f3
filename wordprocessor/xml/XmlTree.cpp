#include "XmlTree.h"

namespace quill {

int xmlDepth(pugi::xml_node root)
{
    int deepest = 0;
    int depth = 0;
    pugi::xml_node node = root.first_child();
    if (node)
        depth = 1;
    while (node) {
        if (node.type() == pugi::node_element && depth > deepest)
            deepest = depth;
        if (node.first_child()) {
            node = node.first_child();
            ++depth;
            continue;
        }
        while (node != root && !node.next_sibling()) {
            node = node.parent();
            --depth;
        }
        if (node == root)
            break;
        node = node.next_sibling();
    }
    return deepest;
}

QString elementText(pugi::xml_node element)
{
    QByteArray text;
    for (const pugi::xml_node child : element.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text.append(child.value());
    }
    return QString::fromUtf8(text);
}

void setElementText(pugi::xml_node element, const QString &text)
{
    while (element.first_child())
        element.remove_child(element.first_child());
    if (!text.isEmpty())
        element.append_child(pugi::node_pcdata).set_value(text.toUtf8().constData());
}

} // namespace quill
