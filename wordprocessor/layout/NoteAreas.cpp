#include "NoteAreas.h"

#include "LayoutUnits.h"
#include "Pagination.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>

#include <cmath>

namespace quill {

namespace {

// The room between the body's text and its page's footnotes, and from the separator line in it to the notes,
// in logical pixels.
constexpr qreal kSeparatorSpace = 8;
constexpr qreal kSeparatorToNotes = 4;
// The separator line's length, as a share of the text column (LibreOffice draws a quarter).
constexpr qreal kSeparatorShare = 0.25;
// Rounds of moves at most: each round lays the run out again and moves the text of one page.
constexpr int kMaximumRounds = 40;

// The notes of each page of a run, laid out.
using NoteTextsByPage = std::vector<std::vector<std::shared_ptr<const QTextDocument>>>;

// Starts a new page at the first line of the main flow that reaches into the room `room` (device pixels, by
// page) that a page's notes take above its bottom margin (`bottomMargin`, device pixels), keeping the
// paragraph's lines together as its widow control and keep-together ask. Returns false when no line does (or
// only lines that already start their page, which no move helps).
bool moveTextAboveNotes(QTextDocument &document, qreal bottomMargin, const std::vector<qreal> &room)
{
    const qreal pageHeight = document.pageSize().height();
    int previousPage = -1;
    for (QTextFrame::iterator it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (it.currentFrame() || !block.isValid())
            continue;
        const QTextLayout *layout = block.layout();
        bool blockStartsPage = false;
        for (int index = 0; index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            const qreal top = layout->position().y() + line.y();
            const int page = int(std::floor((top + line.height() / 2) / pageHeight));
            const bool startsPage = page != previousPage;
            previousPage = page;
            if (index == 0 || startsPage)
                blockStartsPage = startsPage;
            if (page < 0 || page >= int(room.size()) || room[size_t(page)] <= 0 || startsPage)
                continue;
            if (top + line.height() > (page + 1) * pageHeight - bottomMargin - room[size_t(page)]) {
                const int kept = keptBreakLine(block, index);
                // A paragraph that starts its page cannot go to the next one whole: it breaks where it must.
                startPageAt(document, block, kept == 0 && blockStartsPage ? index : kept);
                return true;
            }
        }
    }
    return false;
}

// The height of `parts` stacked, in logical pixels.
qreal partsHeight(const std::vector<PagePart> &parts)
{
    qreal height = 0;
    for (const PagePart &part : parts)
        height += part.document->size().height() / kLayoutOversampling;
    return height;
}

// The notes of each page placed on its sheet: stacked up from the bottom of the text column, the separator
// line above them.
std::vector<PageNotes> placeNotes(const NoteTextsByPage &texts, const Section &section)
{
    const PageSetup &page = section.page;
    std::vector<PageNotes> placed(texts.size());
    for (size_t index = 0; index < texts.size(); ++index) {
        qreal height = 0;
        for (const auto &text : texts[index])
            height += text->size().height() / kLayoutOversampling;
        if (texts[index].empty())
            continue;
        qreal top = page.pageSize.height() - page.margins.bottom() - height;
        const qreal lineY = top - kSeparatorToNotes;
        const qreal textWidth = page.pageSize.width() - page.margins.left() - page.margins.right();
        placed[index].separator = QLineF(page.margins.left(), lineY, page.margins.left() + textWidth * kSeparatorShare, lineY);
        for (const auto &text : texts[index]) {
            placed[index].notes.push_back(PagePart{text, QPointF(0, top), QRectF()});
            top += text->size().height() / kLayoutOversampling;
        }
    }
    return placed;
}

} // namespace

std::vector<NoteReference> noteReferences(const QTextDocument &document, qreal pageHeight, bool endnotes)
{
    std::vector<NoteReference> references;
    const QAbstractTextDocumentLayout *layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(NoteIdProperty) || format.boolProperty(EndnoteProperty) != endnotes)
                continue;
            // Blocks in table cells are placed within their frames: the bounding rect says where on the page.
            const QTextLine line = block.layout()->lineForTextPosition(fragment.position() - block.position());
            const qreal blockTop = layout->blockBoundingRect(block).top() - block.layout()->boundingRect().top();
            const qreal middle = blockTop + (line.isValid() ? line.y() + line.height() / 2 : 0);
            references.push_back({format.intProperty(NoteIdProperty), fragment.text(), int(std::floor(middle / pageHeight))});
        }
    }
    return references;
}

std::vector<PageNotes> placeFootnotes(QTextDocument &document, const Section &section, NoteTexts &footnotes,
                                      int columns, int firstColumn, qreal taken)
{
    const qreal pageHeight = document.pageSize().height();
    columns = qMax(1, columns);
    const auto sheetOf = [&](int page) { return size_t((page + firstColumn) / columns); };
    for (int round = 0;; ++round) {
        document.documentLayout()->documentSize(); // lays the run out again after a move
        const std::vector<NoteReference> references = noteReferences(document, pageHeight, false);
        if (references.empty() && taken <= 0)
            return {};
        const int pages = qMax(1, document.pageCount());
        const size_t sheets = sheetOf(pages - 1) + 1;
        NoteTextsByPage texts(sheets);
        std::vector<qreal> sheetRoom(sheets, 0);
        sheetRoom[0] = taken * kLayoutOversampling;
        for (const NoteReference &reference : references) {
            const auto text = footnotes.note(reference.id, reference.label, section);
            if (!text || reference.page < 0 || reference.page >= pages)
                continue;
            const size_t sheet = sheetOf(reference.page);
            if (sheetRoom[sheet] == 0)
                sheetRoom[sheet] += kSeparatorSpace * kLayoutOversampling;
            texts[sheet].push_back(text);
            sheetRoom[sheet] += text->size().height();
        }
        // Every column of a sheet ends above its notes.
        std::vector<qreal> room(size_t(pages), 0);
        for (int page = 0; page < pages; ++page)
            room[size_t(page)] = sheetRoom[sheetOf(page)];
        if (round == kMaximumRounds || !moveTextAboveNotes(document, section.page.margins.bottom() * kLayoutOversampling, room))
            return placeNotes(texts, section);
        // The text after the move went on to later pages: its paragraphs kept with the next move along again.
        applyKeepRules(document, pageHeight);
    }
}

qreal footRoom(const PageNotes &notes)
{
    return notes.notes.empty() ? 0 : kSeparatorSpace + partsHeight(notes.notes);
}

void stackNotes(PageNotes &earlier, PageNotes later)
{
    if (earlier.notes.empty()) {
        earlier = std::move(later);
        return;
    }
    const qreal height = partsHeight(later.notes);
    for (PagePart &note : earlier.notes)
        note.offset.ry() -= height;
    earlier.separator.translate(0, -height);
    earlier.notes.insert(earlier.notes.end(), later.notes.begin(), later.notes.end());
}

std::vector<Page> endnotePages(const std::vector<NoteReference> &references, const Section &section,
                               NoteTexts &endnotes)
{
    const PageSetup &page = section.page;
    std::vector<Page> pages;
    qreal top = page.margins.top();
    for (const NoteReference &reference : references) {
        const auto text = endnotes.note(reference.id, reference.label, section);
        if (!text)
            continue;
        const qreal height = text->size().height() / kLayoutOversampling;
        const bool full = top + height > page.pageSize.height() - page.margins.bottom();
        if (pages.empty() || (full && top > page.margins.top())) {
            pages.emplace_back();
            pages.back().size = page.pageSize;
            top = page.margins.top();
        }
        pages.back().notes.push_back(PagePart{text, QPointF(0, top), QRectF()});
        top += height;
    }
    return pages;
}

} // namespace quill
