#include "SearchIndex.h"

#include "Story.h"

namespace quill {

std::vector<IndexedParagraph> &SearchIndex::paragraphs(pugi::xml_node root)
{
    const auto [entry, added] = m_roots.try_emplace(root.internal_object());
    if (added) {
        FieldNesting fields;
        for (const pugi::xml_node paragraph : containerParagraphs(root)) {
            IndexedParagraph indexed{paragraph, fields, {}};
            indexed.scanned = scanParagraph(paragraph, fields);
            entry->second.push_back(std::move(indexed));
        }
    }
    return entry->second;
}

void SearchIndex::refresh(pugi::xml_node root, size_t index)
{
    IndexedParagraph &indexed = paragraphs(root).at(index);
    // A replacement changes text only, never a field character: the fields open after the paragraph stay as they were.
    FieldNesting fields = indexed.fieldsBefore;
    indexed.scanned = scanParagraph(indexed.node, fields);
}

} // namespace quill
