#pragma once

#include "Story.h"

#include <QString>

#include <vector>

#include <pugixml.hpp>

namespace quill {

class SearchIndex;

// Word's WdFindWrap values.
enum class FindWrap { Stop = 0, Continue = 1, Ask = 2 };

// Word's WdReplace values: what Find.Execute does with a match.
enum class ReplaceMode { None = 0, One = 1, All = 2 };

// The settings of one search, with Word's names and defaults.
struct FindOptions
{
    QString text;
    QString replacement;
    bool forward = true;
    FindWrap wrap = FindWrap::Stop;
    bool format = false;
    bool matchCase = false;
    bool matchWholeWord = false;
    bool matchWildcards = false;
    bool matchSoundsLike = false;
    bool matchAllWordForms = false;
};

// Searches `story` literally for options.text and, unless `mode` is None, replaces the first match
// (the last one when searching backwards) or every match with options.replacement.
// A match may span runs and their wrappers (content controls, hyperlinks, smart tags, custom XML, bookmarks,
// inserted text, simple fields) but never a tab, break, field character, drawing or paragraph end. Only what a
// field shows is searched: the result of a complex field (between its separate and end), never its code; deleted
// and moved-away text and content control properties are not searched either.
// The replacement takes the formatting of the run where the match starts; mirrors of a container
// (VML copies of text boxes) change alike. Returns the number of matches found in the story (not counting mirrors).
// Sets `modified` when any XML changed; adds each data-bound content control whose text changed, once, to
// `boundControls` when given. Throws Error for options this engine does not support.
// With `index`, the paragraphs are read from and kept in it (see SearchIndex); without, they are read anew.
int findInStory(const Story &story, const FindOptions &options, ReplaceMode mode, bool &modified,
                std::vector<pugi::xml_node> *boundControls = nullptr, SearchIndex *index = nullptr);

// The text of `story` as Word's Range.Text gives it: each paragraph followed by "\r";
// tabs "\t", line breaks "\v", page breaks "\f".
QString storyText(const Story &story);

// The text a content control (w:sdt) shows as its bound data holds it: line breaks and paragraph ends as "\n".
QString contentControlText(pugi::xml_node control);

// The text of one paragraph (w:p) without its paragraph mark.
QString paragraphText(pugi::xml_node paragraph);

// `text` folded for a comparison that ignores letter case, with the same length as `text`.
QString foldCase(const QString &text);

} // namespace quill
