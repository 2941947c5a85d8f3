#include "SearchIndex.h"

#include "Story.h"

#include <algorithm>

namespace quill {

namespace {

// Put between chunks so that a match across two of them is rarely even a candidate (every candidate is
// checked against its chunk): a non-character, which documents do not use.
constexpr QChar kChunkSeparator = QChar(0xFFFF);

void join(const std::vector<IndexedParagraph> &paragraphs, JoinedText &joined)
{
    qsizetype length = 0;
    for (const IndexedParagraph &paragraph : paragraphs) {
        for (const ScannedChunk &chunk : paragraph.scanned.chunks)
            length += chunk.text.size() + 1;
    }
    joined.text.clear();
    joined.text.reserve(length);
    joined.folded.clear();
    joined.folded.reserve(length);
    joined.places.clear();
    for (size_t paragraph = 0; paragraph < paragraphs.size(); ++paragraph) {
        const std::vector<ScannedChunk> &chunks = paragraphs[paragraph].scanned.chunks;
        for (size_t chunk = 0; chunk < chunks.size(); ++chunk) {
            joined.places.push_back({joined.text.size(), paragraph, chunk});
            joined.text += chunks[chunk].text;
            joined.text += kChunkSeparator;
            joined.folded += chunks[chunk].folded;
            joined.folded += kChunkSeparator;
        }
    }
}

// Puts paragraph `paragraph`'s new reading `after` in place of `before` in the joined text; false when its
// chunks are no longer the same in number, and the text must be joined again.
bool patch(JoinedText &joined, size_t paragraph, const ScannedParagraph &before, const ScannedParagraph &after)
{
    if (before.chunks.size() != after.chunks.size())
        return false;
    if (after.chunks.empty())
        return true;
    const auto first = std::lower_bound(joined.places.begin(), joined.places.end(), paragraph,
                                        [](const JoinedText::Place &place, size_t value) { return place.paragraph < value; });
    const qsizetype begin = first->start;
    qsizetype oldLength = 0;
    for (const ScannedChunk &chunk : before.chunks)
        oldLength += chunk.text.size() + 1;
    QString text;
    QString folded;
    for (size_t chunk = 0; chunk < after.chunks.size(); ++chunk) {
        (first + qsizetype(chunk))->start = begin + text.size();
        text += after.chunks[chunk].text;
        text += kChunkSeparator;
        folded += after.chunks[chunk].folded;
        folded += kChunkSeparator;
    }
    joined.text.replace(begin, oldLength, text);
    joined.folded.replace(begin, oldLength, folded);
    const qsizetype shift = text.size() - oldLength;
    for (auto later = first + qsizetype(after.chunks.size()); later != joined.places.end(); ++later)
        later->start += shift;
    return true;
}

} // namespace

const JoinedText::Place &JoinedText::placeOf(qsizetype position) const
{
    const auto after = std::upper_bound(places.begin(), places.end(), position,
                                        [](qsizetype value, const Place &place) { return value < place.start; });
    return *(after - 1);
}

SearchIndex::IndexedRoot &SearchIndex::indexed(pugi::xml_node root)
{
    const auto [entry, added] = m_roots.try_emplace(root.internal_object());
    if (added) {
        FieldNesting fields;
        for (const pugi::xml_node paragraph : containerParagraphs(root)) {
            IndexedParagraph indexed{paragraph, fields, {}};
            indexed.scanned = scanParagraph(paragraph, fields);
            entry->second.paragraphs.push_back(std::move(indexed));
        }
    }
    return entry->second;
}

std::vector<IndexedParagraph> &SearchIndex::paragraphs(pugi::xml_node root)
{
    return indexed(root).paragraphs;
}

const JoinedText &SearchIndex::joined(pugi::xml_node root)
{
    IndexedRoot &entry = indexed(root);
    if (!entry.joinedCurrent) {
        join(entry.paragraphs, entry.joined);
        entry.joinedCurrent = true;
    }
    return entry.joined;
}

void SearchIndex::refresh(pugi::xml_node root, size_t index)
{
    IndexedRoot &entry = indexed(root);
    IndexedParagraph &paragraph = entry.paragraphs.at(index);
    // A replacement changes text only, never a field character: the fields open after the paragraph stay as they were.
    FieldNesting fields = paragraph.fieldsBefore;
    ScannedParagraph fresh = scanParagraph(paragraph.node, fields);
    if (entry.joinedCurrent)
        entry.joinedCurrent = patch(entry.joined, index, paragraph.scanned, fresh);
    paragraph.scanned = std::move(fresh);
}

} // namespace quill
