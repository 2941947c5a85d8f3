#pragma once

#include <QString>

#include <pugixml.hpp>

namespace quill {

// What a tree walk does after visiting a node.
enum class WalkStep {
    Descend,      // go on into the node's children
    SkipChildren, // go on with the node's next sibling
    Stop          // end the walk
};

// Visits every node below `root` (not `root` itself) in document order without recursion.
// `visitor` takes a pugi::xml_node and returns a WalkStep.
template<typename Visitor>
void walkTree(pugi::xml_node root, Visitor &&visitor)
{
    pugi::xml_node node = root.first_child();
    while (node) {
        const WalkStep step = visitor(node);
        if (step == WalkStep::Stop)
            return;
        if (step == WalkStep::Descend && node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != root && !node.next_sibling())
            node = node.parent();
        if (node == root)
            return;
        node = node.next_sibling();
    }
}

// The deepest nesting below `root` of the nodes for which `counts` is true (a pugi::xml_node to bool), counted
// without recursion: the most such nodes on one path down from `root`, the node at its end included.
template<typename Predicate>
int nestingDepth(pugi::xml_node root, Predicate &&counts)
{
    int deepest = 0;
    int depth = 0; // counted nodes among `node` and its ancestors below `root`
    pugi::xml_node node = root.first_child();
    while (node) {
        depth += counts(node) ? 1 : 0;
        deepest = depth > deepest ? depth : deepest;
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node != root && !node.next_sibling()) {
            depth -= counts(node) ? 1 : 0;
            node = node.parent();
        }
        if (node == root)
            break;
        depth -= counts(node) ? 1 : 0;
        node = node.next_sibling();
    }
    return deepest;
}

// The deepest element nesting below `root`, counted without recursion (1 for a lone root element).
int xmlDepth(pugi::xml_node root);

// The character data of an element (all its text and CDATA children), decoded from UTF-8.
QString elementText(pugi::xml_node element);
// Replaces the character data of an element by one text node holding `text` (none when empty), keeping
// its other children; pugixml escapes the text on output.
void setElementText(pugi::xml_node element, const QString &text);

} // namespace quill
