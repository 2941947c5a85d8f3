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

// The text of every chunk of a container, one after another, so that a search runs through it in one pass
// and not once per chunk. A match counts only where it lies within one chunk.
struct JoinedText
{
    struct Place
    {
        qsizetype start = 0; // where the chunk's text begins in `text`
        size_t paragraph = 0;
        size_t chunk = 0;
    };
    QString text;
    QString folded; // `text` folded, for searches that ignore letter case
    std::vector<Place> places; // one per chunk, in order

    // The chunk that `position` of the text falls in.
    const Place &placeOf(qsizetype position) const;
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
    // The text of the paragraphs of `root`, joined.
    const JoinedText &joined(pugi::xml_node root);
    // Reads paragraph `index` of `root` again, after its text changed.
    void refresh(pugi::xml_node root, size_t index);
    // Forgets everything read.
    void clear() { m_roots.clear(); }

private:
    struct IndexedRoot
    {
        std::vector<IndexedParagraph> paragraphs;
        JoinedText joined;
        bool joinedCurrent = false; // false until joined, and when a paragraph read again could not be patched in
    };
    IndexedRoot &indexed(pugi::xml_node root);

    std::unordered_map<pugi::xml_node_struct *, IndexedRoot> m_roots;
};

} // namespace quill
