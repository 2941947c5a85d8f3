#include "Story.h"

#include "WordXml.h"
#include "XmlTree.h"

#include <cstring>

namespace quill {

namespace {

constexpr XmlNamespace kMarkup = XmlNamespace::MarkupCompatibility;

// The text boxes inside `scope` that are not inside another text box or a fallback branch.
std::vector<pugi::xml_node> outerTextBoxes(pugi::xml_node scope)
{
    std::vector<pugi::xml_node> boxes;
    walkTree(scope, [&boxes](pugi::xml_node node) {
        if (isElement(node, "txbxContent")) {
            boxes.push_back(node);
            return WalkStep::SkipChildren;
        }
        if (isElement(node, "Fallback", kMarkup))
            return WalkStep::SkipChildren;
        return WalkStep::Descend;
    });
    return boxes;
}

// A VML picture is a shape (not an inline picture) when it floats or holds a text box.
bool isFloatingPicture(pugi::xml_node pict)
{
    for (const pugi::xml_node child : pict.children()) {
        if (std::strstr(child.attribute("style").value(), "position:absolute"))
            return true;
    }
    return !outerTextBoxes(pict).empty();
}

// True when the preferred branch of an mc:AlternateContent draws a floating shape.
bool isFloatingChoice(pugi::xml_node choice)
{
    bool floating = false;
    walkTree(choice, [&floating](pugi::xml_node node) {
        if (isElement(node, "drawing")) {
            floating = bool(childElement(node, "anchor", XmlNamespace::WordDrawing));
            return WalkStep::Stop;
        }
        if (isElement(node, "pict")) {
            floating = isFloatingPicture(node);
            return WalkStep::Stop;
        }
        return WalkStep::Descend;
    });
    return floating;
}

// The text boxes of both branches of an mc:AlternateContent, each DrawingML box with its VML copy.
void addAlternateTextBoxes(pugi::xml_node alternate, std::vector<StoryContainer> &containers)
{
    std::vector<pugi::xml_node> primary = outerTextBoxes(childElement(alternate, "Choice", kMarkup));
    std::vector<pugi::xml_node> copies = outerTextBoxes(childElement(alternate, "Fallback", kMarkup));
    if (primary.empty())
        primary.swap(copies);
    // Word writes the same text boxes in both branches, in the same order.
    for (size_t index = 0; index < primary.size(); ++index) {
        StoryContainer container{primary[index], {}};
        if (index < copies.size())
            container.mirrors.push_back(copies[index]);
        containers.push_back(container);
    }
}

} // namespace

std::vector<StoryContainer> textBoxContainers(pugi::xml_node scope)
{
    std::vector<StoryContainer> containers;
    if (isElement(scope, "AlternateContent", kMarkup)) {
        addAlternateTextBoxes(scope, containers);
        return containers;
    }
    walkTree(scope, [&containers](pugi::xml_node node) {
        if (isElement(node, "AlternateContent", kMarkup)) {
            addAlternateTextBoxes(node, containers);
            return WalkStep::SkipChildren;
        }
        if (isElement(node, "txbxContent")) {
            containers.push_back(StoryContainer{node, {}});
            return WalkStep::SkipChildren;
        }
        return WalkStep::Descend;
    });
    return containers;
}

std::vector<StoryContainer> containersWithTextBoxes(pugi::xml_node scope)
{
    std::vector<StoryContainer> containers{StoryContainer{scope, {}}};
    for (const StoryContainer &box : textBoxContainers(scope))
        containers.push_back(box);
    return containers;
}

std::vector<pugi::xml_node> floatingShapes(pugi::xml_node body)
{
    std::vector<pugi::xml_node> shapes;
    walkTree(body, [&shapes](pugi::xml_node node) {
        if (isElement(node, "txbxContent"))
            return WalkStep::SkipChildren;
        if (isElement(node, "AlternateContent", kMarkup)) {
            if (isFloatingChoice(childElement(node, "Choice", kMarkup)))
                shapes.push_back(node);
            return WalkStep::SkipChildren;
        }
        if (isElement(node, "drawing")) {
            if (childElement(node, "anchor", XmlNamespace::WordDrawing))
                shapes.push_back(node);
            return WalkStep::SkipChildren;
        }
        if (isElement(node, "pict")) {
            if (isFloatingPicture(node))
                shapes.push_back(node);
            return WalkStep::SkipChildren;
        }
        return WalkStep::Descend;
    });
    return shapes;
}

std::vector<pugi::xml_node> containerParagraphs(pugi::xml_node root)
{
    std::vector<pugi::xml_node> paragraphs;
    // The root is a WordprocessingML container (body, header, note, text box): names below it resolve up to it.
    walkTree(root, [&](pugi::xml_node node) {
        if (isElement(node, "txbxContent", XmlNamespace::Word, root) || isElement(node, "Fallback", kMarkup))
            return WalkStep::SkipChildren;
        if (isElement(node, "p", XmlNamespace::Word, root)) {
            paragraphs.push_back(node);
            return WalkStep::SkipChildren;
        }
        return WalkStep::Descend;
    });
    return paragraphs;
}

} // namespace quill
