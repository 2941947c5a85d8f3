#include "TextSearch.h"

#include "AutomationObject.h"
#include "DataBinding.h"
#include "ParagraphScan.h"
#include "RunContent.h"
#include "SearchIndex.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <algorithm>

namespace quill {

namespace {

// How the text of a content control ends its lines in the data it is bound to.
constexpr QChar kStoredLineEnd = u'\n';
// Characters XML 1.0 cannot carry: controls below the blank (except tab and line ends) and two non-characters.
constexpr char16_t kFirstPrintableCharacter = u' ';
constexpr char16_t kNonCharacterFFFE = 0xFFFE;
constexpr char16_t kNonCharacterFFFF = 0xFFFF;

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
    pugi::xml_node root;
    std::vector<IndexedParagraph> *paragraphs = nullptr;
    std::vector<Match> matches;
};

RootSearch searchRoot(pugi::xml_node root, const FindOptions &options, SearchIndex &index)
{
    RootSearch search{root, &index.paragraphs(root), {}};
    const JoinedText &joined = index.joined(root);
    const QString needle = options.matchCase ? options.text : foldCase(options.text);
    const QString &haystack = options.matchCase ? joined.text : joined.folded;
    qsizetype position = haystack.indexOf(needle, 0, Qt::CaseSensitive);
    while (position >= 0) {
        const JoinedText::Place &place = joined.placeOf(position);
        const ScannedChunk &chunk = (*search.paragraphs)[place.paragraph].scanned.chunks[place.chunk];
        const qsizetype start = position - place.start;
        const qsizetype end = start + needle.size();
        const bool fits = end <= chunk.text.size()
                && (!options.matchWholeWord
                    || ((start == 0 || !isWordCharacter(chunk.text.at(start - 1)))
                        && (end == chunk.text.size() || !isWordCharacter(chunk.text.at(end)))));
        if (fits) {
            search.matches.push_back(Match{place.paragraph, place.chunk, int(start)});
            position = haystack.indexOf(needle, position + needle.size(), Qt::CaseSensitive);
        } else {
            position = haystack.indexOf(needle, position + 1, Qt::CaseSensitive);
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
                    int needleLength, std::vector<pugi::xml_node> *boundControls, SearchIndex &index)
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
        const ScannedChunk &chunk = (*search.paragraphs)[last.paragraph].scanned.chunks[last.chunk];
        std::vector<QString> texts;
        std::vector<bool> touched(chunk.pieces.size(), false);
        for (const ScannedPiece &piece : chunk.pieces)
            texts.push_back(chunk.text.mid(piece.start, piece.length));
        for (size_t index = groupEnd; index > groupBegin; --index) {
            const Match &match = search.matches[order[index - 1]];
            const int matchEnd = match.offset + needleLength;
            for (size_t pieceIndex = 0; pieceIndex < chunk.pieces.size(); ++pieceIndex) {
                const ScannedPiece &piece = chunk.pieces[pieceIndex];
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
    // Read the changed paragraphs again, once every match in them is replaced (the matches point into the old reading).
    std::vector<size_t> changed;
    for (const size_t chosenIndex : order)
        changed.push_back(search.matches[chosenIndex].paragraph);
    changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
    for (const size_t paragraph : changed)
        index.refresh(search.root, paragraph);
}

void replaceAllInRoot(pugi::xml_node root, const FindOptions &options, const QString &replacement,
                      int &found, bool &modified, std::vector<pugi::xml_node> *boundControls, SearchIndex &index)
{
    RootSearch search = searchRoot(root, options, index);
    found += int(search.matches.size());
    if (search.matches.empty())
        return;
    std::vector<size_t> all(search.matches.size());
    for (size_t index = 0; index < all.size(); ++index)
        all[index] = index;
    replaceMatches(search, all, replacement, int(options.text.size()), boundControls, index);
    modified = true;
}

void replaceNthInRoot(pugi::xml_node root, const FindOptions &options, const QString &replacement,
                      size_t ordinal, bool &modified, std::vector<pugi::xml_node> *boundControls, SearchIndex &index)
{
    RootSearch search = searchRoot(root, options, index);
    if (ordinal >= search.matches.size())
        return;
    replaceMatches(search, {ordinal}, replacement, int(options.text.size()), boundControls, index);
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
                std::vector<pugi::xml_node> *boundControls, SearchIndex *kept)
{
    checkSupported(options);
    if (options.text.isEmpty())
        return 0;
    const QString replacement = xmlSafe(options.replacement);
    SearchIndex once;
    SearchIndex &index = kept ? *kept : once;

    if (mode == ReplaceMode::All) {
        int found = 0;
        for (const StoryContainer &container : story.containers) {
            replaceAllInRoot(container.root, options, replacement, found, modified, boundControls, index);
            for (const pugi::xml_node mirror : container.mirrors) {
                int mirrorFound = 0;
                replaceAllInRoot(mirror, options, replacement, mirrorFound, modified, boundControls, index);
            }
        }
        return found;
    }

    // Replace one or none: locate the first match (the last when searching backwards).
    int found = 0;
    size_t targetContainer = 0;
    size_t targetOrdinal = 0;
    for (size_t containerIndex = 0; containerIndex < story.containers.size(); ++containerIndex) {
        const size_t count = searchRoot(story.containers[containerIndex].root, options, index).matches.size();
        if (count == 0)
            continue;
        if (found == 0 || !options.forward) {
            targetContainer = containerIndex;
            targetOrdinal = options.forward ? 0 : count - 1;
        }
        found += int(count);
    }
    if (found == 0 || mode == ReplaceMode::None)
        return found;
    const StoryContainer &container = story.containers[targetContainer];
    replaceNthInRoot(container.root, options, replacement, targetOrdinal, modified, boundControls, index);
    for (const pugi::xml_node mirror : container.mirrors)
        replaceNthInRoot(mirror, options, replacement, targetOrdinal, modified, boundControls, index);
    return found;
}

} // namespace quill
