#pragma once

#include "WordProperties.h"

#include <QHash>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace pugi {
class xml_document;
}

namespace quill {

// Counter `value` written in the number format `format` (w:numFmt: decimal, lowerLetter, upperRoman, ...).
QString formatCounter(int value, const QString &format);

// The numbering part (word/numbering.xml): list levels and the running counters that make list labels.
class Numbering
{
public:
    // One level of a list definition (w:lvl).
    struct Level
    {
        int start = 1;
        QString format;             // w:numFmt: decimal, bullet, lowerLetter, ...
        QString text;               // w:lvlText, with %1..%9 standing for the levels' counters
        QString suffix;             // w:suff: tab (default), space or nothing
        std::optional<int> restartAfter; // w:lvlRestart: restarts after levels above this one (1-based); 0 never
        bool legal = false;         // w:isLgl: the levels above show as decimal numbers in this level's label
        ParagraphProperties paragraph;
        RunProperties run;
    };

    // Reads `numbering`; a null document defines no lists.
    explicit Numbering(const pugi::xml_document *numbering);

    // The level `level` of list `numId`, or null when the list or level is not defined.
    const Level *level(int numId, int level) const;

    // Advances the counter of `level` in list `numId` and returns the label of the paragraph (label text
    // followed by its suffix, characters of symbol fonts as written); empty when the list is not defined.
    QString nextLabel(int numId, int level);

private:
    // The levels of one abstract list definition, by level index.
    using Levels = std::map<int, Level>;

    // One list (w:num): its abstract definition's levels with the list's overrides, and the levels it restarts.
    struct List
    {
        int abstractId = 0;
        Levels levels;
        std::map<int, int> startOverrides; // by level: the value the level restarts at where the list is first used
        bool started = false;
    };

    std::vector<int> &counters(const List &list);

    std::map<int, List> m_lists;                       // by numId
    QHash<int, std::vector<int>> m_counters;           // by abstract definition, one counter per level: lists of
                                                       // the same definition count on from each other
};

} // namespace quill
