#include "Numbering.h"

#include "WordXml.h"

#include <pugixml.hpp>

namespace quill {

namespace {

// Levels 0..8 are the only ones WordprocessingML defines.
constexpr int kLevelCount = 9;
// Letters in the Latin alphabet, for letter numbering.
constexpr int kAlphabetLength = 26;

QString romanNumeral(int value)
{
    static const std::pair<int, const char *> kNumerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
        {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"},
    };
    QString result;
    for (const auto &[amount, numeral] : kNumerals) {
        while (value >= amount) {
            result += QLatin1String(numeral);
            value -= amount;
        }
    }
    return result;
}

QString letterNumeral(int value)
{
    if (value <= 0)
        return QString();
    // Word repeats the letter past z: aa, bb, ...
    const QChar letter(QLatin1Char('a').unicode() + (value - 1) % kAlphabetLength);
    return QString((value - 1) / kAlphabetLength + 1, letter);
}

Numbering::Level readLevel(pugi::xml_node lvl, Numbering::Level level)
{
    if (const std::optional<int> start = intAttribute(childElement(lvl, "start"), "val"))
        level.start = *start;
    if (const pugi::xml_node numFmt = childElement(lvl, "numFmt"))
        level.format = textAttribute(numFmt, "val");
    if (const pugi::xml_node lvlText = childElement(lvl, "lvlText"))
        level.text = textAttribute(lvlText, "val");
    if (const pugi::xml_node suff = childElement(lvl, "suff"))
        level.suffix = textAttribute(suff, "val");
    if (const std::optional<int> restart = intAttribute(childElement(lvl, "lvlRestart"), "val"))
        level.restartAfter = restart;
    if (const pugi::xml_node isLgl = childElement(lvl, "isLgl"))
        level.legal = isOn(isLgl);
    level.paragraph.apply(childElement(lvl, "pPr"));
    level.run.apply(childElement(lvl, "rPr"));
    return level;
}

} // namespace

QString formatCounter(int value, const QString &format)
{
    if (format == QLatin1String("lowerLetter"))
        return letterNumeral(value);
    if (format == QLatin1String("upperLetter"))
        return letterNumeral(value).toUpper();
    if (format == QLatin1String("lowerRoman"))
        return romanNumeral(value);
    if (format == QLatin1String("upperRoman"))
        return romanNumeral(value).toUpper();
    if (format == QLatin1String("none"))
        return QString();
    return QString::number(value);
}

Numbering::Numbering(const pugi::xml_document *numbering)
{
    if (!numbering)
        return;
    const pugi::xml_node root = numbering->document_element();
    std::map<int, Levels> abstracts;
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
        if (!isElement(node, "abstractNum"))
            continue;
        Levels &levels = abstracts[intAttribute(node, "abstractNumId").value_or(-1)];
        for (pugi::xml_node lvl = node.first_child(); lvl; lvl = lvl.next_sibling()) {
            if (isElement(lvl, "lvl"))
                levels[intAttribute(lvl, "ilvl").value_or(0)] = readLevel(lvl, Level());
        }
    }
    for (pugi::xml_node node = root.first_child(); node; node = node.next_sibling()) {
        if (!isElement(node, "num"))
            continue;
        const int numId = intAttribute(node, "numId").value_or(0);
        List list;
        list.abstractId = intAttribute(childElement(node, "abstractNumId"), "val").value_or(-1);
        const auto abstract = abstracts.find(list.abstractId);
        if (abstract == abstracts.end())
            continue;
        list.levels = abstract->second;
        for (pugi::xml_node override = node.first_child(); override; override = override.next_sibling()) {
            if (!isElement(override, "lvlOverride"))
                continue;
            const int ilvl = intAttribute(override, "ilvl").value_or(0);
            if (const pugi::xml_node lvl = childElement(override, "lvl"))
                list.levels[ilvl] = readLevel(lvl, list.levels[ilvl]);
            if (const std::optional<int> start = intAttribute(childElement(override, "startOverride"), "val"))
                list.startOverrides[ilvl] = *start;
        }
        m_lists[numId] = std::move(list);
    }
}

const Numbering::Level *Numbering::level(int numId, int level) const
{
    const auto list = m_lists.find(numId);
    if (list == m_lists.end())
        return nullptr;
    const auto found = list->second.levels.find(level);
    return found == list->second.levels.end() ? nullptr : &found->second;
}

std::vector<int> &Numbering::counters(const List &list)
{
    std::vector<int> &counters = m_counters[list.abstractId];
    if (counters.empty()) {
        counters.resize(kLevelCount, 0);
        for (int i = 0; i < kLevelCount; ++i) {
            const auto l = list.levels.find(i);
            counters[i] = (l != list.levels.end() ? l->second.start : 1) - 1;
        }
    }
    return counters;
}

QString Numbering::nextLabel(int numId, int levelIndex)
{
    const Level *current = level(numId, levelIndex);
    if (!current || levelIndex < 0 || levelIndex >= kLevelCount)
        return QString();

    List &list = m_lists[numId];
    std::vector<int> &counters = this->counters(list);
    // A list that restarts a level does so where it is first used; after that it counts on.
    if (!list.started) {
        for (const auto &[overridden, start] : list.startOverrides) {
            if (overridden >= 0 && overridden < kLevelCount)
                counters[overridden] = start - 1;
        }
        list.started = true;
    }
    ++counters[levelIndex];
    for (int deeper = levelIndex + 1; deeper < kLevelCount; ++deeper) {
        const Level *l = level(numId, deeper);
        const int restartAfter = l && l->restartAfter ? *l->restartAfter : kLevelCount;
        if (levelIndex < restartAfter)
            counters[deeper] = (l ? l->start : 1) - 1;
    }

    QString label = current->text;
    if (current->format != QLatin1String("bullet")) {
        for (int i = 0; i <= levelIndex; ++i) {
            const Level *l = level(numId, i);
            const bool decimal = current->legal && i < levelIndex;
            label.replace(QLatin1Char('%') + QString::number(i + 1),
                          formatCounter(counters[i], l && !decimal ? l->format : QString()));
        }
    }
    if (current->suffix == QLatin1String("space"))
        return label + QLatin1Char(' ');
    if (current->suffix == QLatin1String("nothing"))
        return label;
    return label + QLatin1Char('\t');
}

} // namespace quill
