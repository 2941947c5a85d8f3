#include "ParagraphScan.h"

#include "TextSearch.h"
#include "WordXml.h"
#include "XmlTree.h"

namespace quill {

namespace {

// What shownCharacter() gives for an item that shows no character.
constexpr QChar kNoCharacter = QChar(0);

// The character Range.Text shows for a run item that stands between matches, or kNoCharacter for an item that
// shows none (fields, drawings, references).
QChar shownCharacter(RunItem item, pugi::xml_node element)
{
    switch (item) {
    case RunItem::Tab:
        return kTabCharacter;
    case RunItem::Break:
        switch (breakKind(element)) {
        case BreakKind::Page:
            return kPageBreakCharacter;
        case BreakKind::Column:
            return kColumnBreakCharacter;
        case BreakKind::Line:
            break;
        }
        return kLineBreakCharacter;
    case RunItem::CarriageReturn:
        return kLineBreakCharacter;
    case RunItem::NoBreakHyphen:
        return kNonBreakingHyphenCharacter;
    case RunItem::SoftHyphen:
        return kOptionalHyphenCharacter;
    case RunItem::Symbol:
        return kSymbolCharacter;
    default:
        return kNoCharacter;
    }
}

} // namespace

ScannedParagraph scanParagraph(pugi::xml_node paragraph, FieldNesting &fields)
{
    ScannedParagraph scanned;
    ScannedChunk current;
    const auto closeChunk = [&]() {
        if (!current.pieces.empty()) {
            current.folded = foldCase(current.text);
            scanned.chunks.push_back(std::move(current));
        }
        current = ScannedChunk();
    };
    walkTree(paragraph, [&](pugi::xml_node node) {
        if (node.type() != pugi::node_element)
            return WalkStep::SkipChildren;
        const RunItem item = runItem(node, paragraph);
        if (item == RunItem::Other)
            return WalkStep::Descend;
        if (item == RunItem::FieldCharacter) {
            closeChunk();
            fields.step(node);
            return WalkStep::SkipChildren;
        }
        // Field codes show nothing: no text, no barrier character.
        if (item == RunItem::Skipped || !fields.isShown())
            return WalkStep::SkipChildren;
        if (item == RunItem::Text) {
            const QString text = elementText(node);
            current.pieces.push_back(ScannedPiece{node, int(current.text.size()), int(text.size())});
            current.text += text;
            scanned.text += text;
            return WalkStep::SkipChildren;
        }
        // Every other item is a barrier no match spans.
        closeChunk();
        const QChar shown = shownCharacter(item, node);
        if (shown != kNoCharacter)
            scanned.text += shown;
        return WalkStep::SkipChildren;
    });
    closeChunk();
    return scanned;
}


QString foldCase(const QString &text)
{
    QString folded = text;
    for (qsizetype index = 0; index < folded.size(); ++index) {
        const QChar character = folded.at(index);
        if (character.isHighSurrogate() && index + 1 < folded.size() && folded.at(index + 1).isLowSurrogate()) {
            const char32_t codePoint = QChar::surrogateToUcs4(character, folded.at(index + 1));
            const char32_t foldedPoint = QChar::toCaseFolded(codePoint);
            // Keep the length: only a fold that stays outside the basic plane is taken.
            if (QChar::requiresSurrogates(foldedPoint)) {
                folded[index] = QChar(QChar::highSurrogate(foldedPoint));
                folded[index + 1] = QChar(QChar::lowSurrogate(foldedPoint));
            }
            ++index;
            continue;
        }
        folded[index] = character.toCaseFolded();
    }
    return folded;
}

} // namespace quill
