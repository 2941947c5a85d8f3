#include "TextSearch.h"

#include "AutomationObject.h"
#include "DataBinding.h"
#include "RunContent.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <algorithm>

namespace quill {

namespace {

// The characters Word's Range.Text shows for the objects inside a run.
constexpr QChar kTabCharacter = u'\t';
constexpr QChar kLineBreakCharacter = u'\v';
constexpr QChar kPageBreakCharacter = u'\f';
constexpr QChar kColumnBreakCharacter = QChar(0x0E);
constexpr QChar kNonBreakingHyphenCharacter = QChar(0x1E);
constexpr QChar kOptionalHyphenCharacter = QChar(0x1F);
constexpr QChar kSymbolCharacter = u'(';
constexpr QChar kParagraphMark = u'\r';
constexpr QChar kNoCharacter = QChar(0);
// How the text of a content control ends its lines in the data it is bound to.
constexpr QChar kStoredLineEnd = u'\n';
// Characters XML 1.0 cannot carry: controls below the blank (except tab and line ends) and two non-characters.
constexpr char16_t kFirstPrintableCharacter = u' ';
constexpr char16_t kNonCharacterFFFE = 0xFFFE;
constexpr char16_t kNonCharacterFFFF = 0xFFFF;

// One w:t element and where its text sits in the chunk it belongs to.
struct TextPiece
{
    pugi::xml_node element;
    int start = 0;
    int length = 0;
};

// Text of a paragraph between two barriers (tabs, breaks, fields, drawings): what one match may span.
struct TextChunk
{
    QString text;
    std::vector<TextPiece> pieces;
};

struct ScannedParagraph
{
    std::vector<TextChunk> chunks;
    QString text; // as Range.Text shows it, barriers included
};

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

// Reads one paragraph; `fields` carries the open complex fields from one paragraph to the next.
ScannedParagraph scanParagraph(pugi::xml_node paragraph, FieldNesting &fields)
{
    ScannedParagraph scanned;
    TextChunk current;
    const auto closeChunk = [&]() {
        if (!current.pieces.empty())
            scanned.chunks.push_back(std::move(current));
        current = TextChunk();
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
            current.pieces.push_back(TextPiece{node, int(current.text.size()), int(text.size())});
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

bool isWordCharacter(QChar character)
{
    return character.isLetterOrNumber() || character == u'_';
}

// Drops what XML 1.0 cannot carry (control characters other than tab and line ends, lone surrogates).
QString xmlSafe(const QString &text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar character = text.at(index);
        if (character.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
            safe += character;
            safe += text.at(++index);
            continue;
        }
        if (character.isSurrogate() || character.unicode() == kNonCharacterFFFE || character.unicode() == kNonCharacterFFFF)
            continue;
        if (character.unicode() < kFirstPrintableCharacter && character != u'\t' && character != u'\n' && character != u'\r')
            continue;
        safe += character;
    }
    return safe;
}

struct Match
{
    size_t paragraph = 0;
    size_t chunk = 0;
    int offset = 0;
};

// The paragraphs of one container root and the matches found in them, in document order.
struct RootSearch
{
    std::vector<ScannedParagraph> paragraphs;
    std::vector<Match> matches;
};

RootSearch searchRoot(pugi::xml_node root, const FindOptions &options)
{
    RootSearch search;
    const QString needle = options.matchCase ? options.text : foldCase(options.text);
    FieldNesting fields;
    for (const pugi::xml_node paragraph : containerParagraphs(root)) {
        search.paragraphs.push_back(scanParagraph(paragraph, fields));
        const ScannedParagraph &scanned = search.paragraphs.back();
        for (size_t chunkIndex = 0; chunkIndex < scanned.chunks.size(); ++chunkIndex) {
            const QString &original = scanned.chunks[chunkIndex].text;
            const QString haystack = options.matchCase ? original : foldCase(original);
            qsizetype position = haystack.indexOf(needle, 0, Qt::CaseSensitive);
            while (position >= 0) {
                const qsizetype end = position + needle.size();
                const bool wholeWord = !options.matchWholeWord
                        || ((position == 0 || !isWordCharacter(original.at(position - 1)))
                            && (end == original.size() || !isWordCharacter(original.at(end))));
                if (wholeWord) {
                    search.matches.push_back(Match{search.paragraphs.size() - 1, chunkIndex, int(position)});
                    position = haystack.indexOf(needle, end, Qt::CaseSensitive);
                } else {
                    position = haystack.indexOf(needle, position + 1, Qt::CaseSensitive);
                }
            }
        }
    }
    return search;
}

void writePiece(pugi::xml_node element, const QString &text)
{
    // An emptied w:t goes, unless it holds elements (a damaged document): they stay and are saved.
    const bool holdsElements = element.find_child([](pugi::xml_node child) { return child.type() == pugi::node_element; });
    if (text.isEmpty() && !holdsElements) {
        element.parent().remove_child(element);
        return;
    }
    setElementText(element, text);
    const bool blankAtEdge = !text.isEmpty() && (text.front().isSpace() || text.back().isSpace());
    if (blankAtEdge && !element.attribute("xml:space"))
        element.append_attribute("xml:space").set_value("preserve");
}

// Adds the data-bound content control that shows `element`, if any, to `controls` (when given), once.
void noteBoundControl(pugi::xml_node element, std::vector<pugi::xml_node> *controls)
{
    if (!controls)
        return;
    const pugi::xml_node control = boundContentControl(element);
    if (control && std::find(controls->begin(), controls->end(), control) == controls->end())
        controls->push_back(control);
}

// Replaces the chosen matches (indexes into search.matches) inside their w:t elements; notes the data-bound
// controls whose text changed in `boundControls` (when given).
void replaceMatches(RootSearch &search, const std::vector<size_t> &chosen, const QString &replacement,
                    int needleLength, std::vector<pugi::xml_node> *boundControls)
{
    // Group by chunk; within a chunk go from the last match to the first so earlier offsets stay valid.
    std::vector<size_t> order(chosen);
    std::sort(order.begin(), order.end());
    size_t groupEnd = order.size();
    while (groupEnd > 0) {
        size_t groupBegin = groupEnd - 1;
        const Match &last = search.matches[order[groupBegin]];
        while (groupBegin > 0) {
            const Match &previous = search.matches[order[groupBegin - 1]];
            if (previous.paragraph != last.paragraph || previous.chunk != last.chunk)
                break;
            --groupBegin;
        }
        TextChunk &chunk = search.paragraphs[last.paragraph].chunks[last.chunk];
        std::vector<QString> texts;
        std::vector<bool> touched(chunk.pieces.size(), false);
        for (const TextPiece &piece : chunk.pieces)
            texts.push_back(chunk.text.mid(piece.start, piece.length));
        for (size_t index = groupEnd; index > groupBegin; --index) {
            const Match &match = search.matches[order[index - 1]];
            const int matchEnd = match.offset + needleLength;
            for (size_t pieceIndex = 0; pieceIndex < chunk.pieces.size(); ++pieceIndex) {
                const TextPiece &piece = chunk.pieces[pieceIndex];
                const int pieceEnd = piece.start + piece.length;
                if (piece.length == 0 || pieceEnd <= match.offset || piece.start >= matchEnd)
                    continue;
                const int localStart = std::max(match.offset, piece.start) - piece.start;
                const int localEnd = std::min(matchEnd, pieceEnd) - piece.start;
                texts[pieceIndex].remove(localStart, localEnd - localStart);
                if (match.offset >= piece.start)
                    texts[pieceIndex].insert(localStart, replacement);
                touched[pieceIndex] = true;
            }
        }
        for (size_t pieceIndex = 0; pieceIndex < chunk.pieces.size(); ++pieceIndex) {
            if (!touched[pieceIndex])
                continue;
            noteBoundControl(chunk.pieces[pieceIndex].element, boundControls);
            writePiece(chunk.pieces[pieceIndex].element, texts[pieceIndex]);
        }
        groupEnd = groupBegin;
    }
}

void replaceAllInRoot(pugi::xml_node root, const FindOptions &options, const QString &replacement,
                      int &found, bool &modified, std::vector<pugi::xml_node> *boundControls)
{
    RootSearch search = searchRoot(root, options);
    found += int(search.matches.size());
    if (search.matches.empty())
        return;
    std::vector<size_t> all(search.matches.size());
    for (size_t index = 0; index < all.size(); ++index)
        all[index] = index;
    replaceMatches(search, all, replacement, int(options.text.size()), boundControls);
    modified = true;
}

void replaceNthInRoot(pugi::xml_node root, const FindOptions &options, const QString &replacement,
                      size_t ordinal, bool &modified, std::vector<pugi::xml_node> *boundControls)
{
    RootSearch search = searchRoot(root, options);
    if (ordinal >= search.matches.size())
        return;
    replaceMatches(search, {ordinal}, replacement, int(options.text.size()), boundControls);
    modified = true;
}

void checkSupported(const FindOptions &options)
{
    const auto unsupported = [](const QString &option) {
        throw Error(Status::NotSupported, QStringLiteral("This search option is not supported: %1. Only literal text can be searched for.").arg(option));
    };
    if (options.matchWildcards)
        unsupported(QStringLiteral("pattern matching (MatchWildcards)"));
    if (options.matchSoundsLike)
        unsupported(QStringLiteral("sounds like (MatchSoundsLike)"));
    if (options.matchAllWordForms)
        unsupported(QStringLiteral("all word forms (MatchAllWordForms)"));
}

} // namespace

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

QString paragraphText(pugi::xml_node paragraph)
{
    FieldNesting fields;
    return scanParagraph(paragraph, fields).text;
}

QString contentControlText(pugi::xml_node control)
{
    const pugi::xml_node content = childElement(control, "sdtContent");
    const std::vector<pugi::xml_node> paragraphs = containerParagraphs(content);
    FieldNesting fields;
    QString text;
    if (paragraphs.empty())
        text = scanParagraph(content, fields).text;
    for (size_t index = 0; index < paragraphs.size(); ++index) {
        if (index > 0)
            text += kStoredLineEnd;
        text += scanParagraph(paragraphs[index], fields).text;
    }
    text.replace(kLineBreakCharacter, kStoredLineEnd);
    return text;
}

QString storyText(const Story &story)
{
    QString text;
    for (const StoryContainer &container : story.containers) {
        FieldNesting fields;
        for (const pugi::xml_node paragraph : containerParagraphs(container.root)) {
            text += scanParagraph(paragraph, fields).text;
            text += kParagraphMark;
        }
    }
    return text;
}

int findInStory(const Story &story, const FindOptions &options, ReplaceMode mode, bool &modified,
                std::vector<pugi::xml_node> *boundControls)
{
    checkSupported(options);
    if (options.text.isEmpty())
        return 0;
    const QString replacement = xmlSafe(options.replacement);

    if (mode == ReplaceMode::All) {
        int found = 0;
        for (const StoryContainer &container : story.containers) {
            replaceAllInRoot(container.root, options, replacement, found, modified, boundControls);
            for (const pugi::xml_node mirror : container.mirrors) {
                int mirrorFound = 0;
                replaceAllInRoot(mirror, options, replacement, mirrorFound, modified, boundControls);
            }
        }
        return found;
    }

    // Replace one or none: locate the first match (the last when searching backwards).
    int found = 0;
    size_t targetContainer = 0;
    size_t targetOrdinal = 0;
    for (size_t index = 0; index < story.containers.size(); ++index) {
        const size_t count = searchRoot(story.containers[index].root, options).matches.size();
        if (count == 0)
            continue;
        if (found == 0 || !options.forward) {
            targetContainer = index;
            targetOrdinal = options.forward ? 0 : count - 1;
        }
        found += int(count);
    }
    if (found == 0 || mode == ReplaceMode::None)
        return found;
    const StoryContainer &container = story.containers[targetContainer];
    replaceNthInRoot(container.root, options, replacement, targetOrdinal, modified, boundControls);
    for (const pugi::xml_node mirror : container.mirrors)
        replaceNthInRoot(mirror, options, replacement, targetOrdinal, modified, boundControls);
    return found;
}

} // namespace quill
