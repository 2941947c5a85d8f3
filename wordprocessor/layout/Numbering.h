#pragma once

#include "WordProperties.h"

#include <QHash>
#include <QString>

#include <map>
#include <vector>

namespace pugi {
class xml_document;
}

namespace quill {

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
        ParagraphProperties paragraph;
        RunProperties run;
    };

    // Reads `numbering`; a null document defines no lists.
    explicit Numbering(const pugi::xml_document *numbering);

    // The level `level` of list `numId`, or null when the list or level is not defined.
    const Level *level(int numId, int level) const;

    // Advances the counter of `level` in list `numId` and returns the label of the paragraph
    // (label text followed by its suffix); empty when the list is not defined.
    QString nextLabel(int numId, int level);

private:
    // The levels of one abstract list definition, by level index.
    using Levels = std::map<int, Level>;

    std::map<int, Levels> m_lists;                     // by numId, overrides applied
    QHash<int, std::vector<int>> m_counters;           // by numId, one counter per level
};

} // namespace quill
