#pragma once

#include "ParagraphScan.h"

#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

namespace quill {

// One paragraph of a container as a search read it, with the complex fields open where it starts, so
// that it can be read again on its own.
struct IndexedParagraph
{
    pugi::xml_node node;
    FieldNesting fieldsBefore;
    ScannedParagraph scanned;
};

// What searches have read of each container (a body, a header, a text box), kept for the next search
// of the same document. A letter is searched once per field: reading every paragraph again for each
// field would cost more than the search itself, so only the paragraphs a replacement changed are read again.
// Valid while the containers change only through replacements that call refresh(); a document that
// changes its XML in any other way must clear() it.
class SearchIndex
{
public:
    // The paragraphs of container `root`, in document order.
    std::vector<IndexedParagraph> &paragraphs(pugi::xml_node root);
    // Reads paragraph `index` of `root` again, after its text changed.
    void refresh(pugi::xml_node root, size_t index);
    // Forgets everything read.
    void clear() { m_roots.clear(); }

private:
    std::unordered_map<pugi::xml_node_struct *, std::vector<IndexedParagraph>> m_roots;
};

} // namespace quill
