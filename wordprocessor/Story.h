#pragma once

#include <QString>

#include <vector>

#include <pugixml.hpp>

namespace quill {

// Word's story kinds (WdStoryType), in the order Word enumerates a document's stories.
enum class StoryType {
    MainText = 1,
    Footnotes = 2,
    Endnotes = 3,
    Comments = 4,
    TextFrame = 5,
    EvenPagesHeader = 6,
    PrimaryHeader = 7,
    EvenPagesFooter = 8,
    PrimaryFooter = 9,
    FirstPageHeader = 10,
    FirstPageFooter = 11
};

// The first and last story kind of the enumeration order.
inline constexpr int kFirstStoryType = int(StoryType::MainText);
inline constexpr int kLastStoryType = int(StoryType::FirstPageFooter);

// A subtree whose paragraphs belong to a story. Text boxes (w:txbxContent) and the fallback
// branches of mc:AlternateContent below `root` are not part of it; each text box is a container of its own.
struct StoryContainer
{
    pugi::xml_node root;
    // Copies of `root` that must change alike: the VML fallback of a DrawingML text box.
    std::vector<pugi::xml_node> mirrors;
};

// The XML that makes up one story range: the part that holds it and its containers in reading order.
struct Story
{
    StoryType type = StoryType::MainText;
    QString partName;
    std::vector<StoryContainer> containers;
};

// The text boxes below `scope`, outside other text boxes, in document order. A DrawingML text box
// written with a VML fallback is one container whose mirror is the fallback's copy.
std::vector<StoryContainer> textBoxContainers(pugi::xml_node scope);

// `scope` itself followed by the text boxes inside it.
std::vector<StoryContainer> containersWithTextBoxes(pugi::xml_node scope);

// The floating shapes of a body (w:body), in document order: each mc:AlternateContent that carries
// an anchored drawing or a VML shape counts once; so do a plain anchored w:drawing and a plain VML w:pict
// that floats or holds a text box. Shapes inside text boxes are not counted.
std::vector<pugi::xml_node> floatingShapes(pugi::xml_node body);

// The paragraphs (w:p) of a container's root (a WordprocessingML element), without those of text boxes and
// fallback branches.
std::vector<pugi::xml_node> containerParagraphs(pugi::xml_node root);

} // namespace quill
