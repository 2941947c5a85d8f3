#include "WordProperties.h"

#include "LayoutUnits.h"
#include "Shading.h"
#include "WordXml.h"

#include <QTextCharFormat>

#include <cstring>
#include <initializer_list>

namespace quill {

namespace {

// Word's automatic spacing (w:beforeAutospacing / w:afterAutospacing) is 14 pt, in twips.
constexpr int kAutoSpacingTwips = 280;

// A hexadecimal colour value ("FF0000"), or an invalid colour for "auto" and unreadable values.
QColor colorFromHex(const QString &value)
{
    if (value.isEmpty() || value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return {};
    return QColor(QLatin1Char('#') + value);
}

// The font that w:rFonts `rFonts` gives through the attributes `families` or, winning over them, `themeSlots`.
std::optional<FontName> fontFromElement(pugi::xml_node rFonts, std::initializer_list<const char *> families,
                                        std::initializer_list<const char *> themeSlots)
{
    for (const char *slot : themeSlots) {
        const QString theme = textAttribute(rFonts, slot);
        if (!theme.isEmpty())
            return FontName{QString(), theme};
    }
    for (const char *name : families) {
        const QString family = textAttribute(rFonts, name);
        if (!family.isEmpty())
            return FontName{family, QString()};
    }
    return std::nullopt;
}

QTextOption::TabType tabTypeFromValue(const QString &value)
{
    if (value == QLatin1String("center"))
        return QTextOption::CenterTab;
    if (value == QLatin1String("right") || value == QLatin1String("end"))
        return QTextOption::RightTab;
    if (value == QLatin1String("decimal"))
        return QTextOption::DelimiterTab;
    return QTextOption::LeftTab;
}

// The character a tab leader (w:leader) repeats, as LibreOffice draws it: a heavy line is an underscore too.
QChar leaderFromValue(const QString &value)
{
    if (value == QLatin1String("dot"))
        return QLatin1Char('.');
    if (value == QLatin1String("hyphen"))
        return QLatin1Char('-');
    if (value == QLatin1String("underscore") || value == QLatin1String("heavy"))
        return QLatin1Char('_');
    if (value == QLatin1String("middleDot"))
        return QChar(0x00B7);
    return QChar();
}

// Fiftieths of a percent in a whole percent, as w:w of a width of type pct counts them.
constexpr int kPercentTo50ths = 50;

// The percentage a width element (w:tblW) of type pct gives, in fiftieths of a percent ("5000" or "100%");
// unset for other types and for none.
std::optional<int> percentWidth(pugi::xml_node width)
{
    if (textAttribute(width, "type") != QLatin1String("pct"))
        return std::nullopt;
    QString value = textAttribute(width, "w");
    const bool percentSign = value.endsWith(QLatin1Char('%'));
    if (percentSign)
        value.chop(1);
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || number <= 0)
        return std::nullopt;
    return qRound(percentSign ? number * kPercentTo50ths : number);
}

template<typename T>
void overlay(std::optional<T> &target, const std::optional<T> &source)
{
    if (source)
        target = source;
}

// Reads one side of w:spacing: the length `name` (twips), or Word's automatic space where `autoName` is on.
void readSpace(pugi::xml_node spacing, const char *name, const char *autoName, std::optional<int> &space,
               std::optional<bool> &isAuto)
{
    if (const std::optional<int> twips = intAttribute(spacing, name)) {
        space = twips;
        isAuto = false;
    }
    if (attribute(spacing, autoName).as_bool()) {
        space = kAutoSpacingTwips;
        isAuto = true;
    }
}

} // namespace

std::optional<Qt::Alignment> alignmentFromValue(const QString &value)
{
    if (value == QLatin1String("left") || value == QLatin1String("start"))
        return Qt::Alignment(Qt::AlignLeft);
    if (value == QLatin1String("center"))
        return Qt::Alignment(Qt::AlignHCenter);
    if (value == QLatin1String("right") || value == QLatin1String("end"))
        return Qt::Alignment(Qt::AlignRight);
    if (value == QLatin1String("both") || value == QLatin1String("distribute"))
        return Qt::Alignment(Qt::AlignJustify);
    return std::nullopt;
}

void RunProperties::apply(pugi::xml_node rPr)
{
    for (pugi::xml_node property = rPr.first_child(); property; property = property.next_sibling()) {
        if (!isInNamespace(property))
            continue;
        const char *name = localName(property.name());
        const QString val = textAttribute(property, "val");
        if (std::strcmp(name, "rFonts") == 0) {
            overlay(latinFont, fontFromElement(property, {"ascii", "hAnsi"}, {"asciiTheme", "hAnsiTheme"}));
            overlay(eastAsianFont, fontFromElement(property, {"eastAsia"}, {"eastAsiaTheme"}));
            overlay(complexFont, fontFromElement(property, {"cs"}, {"cstheme"}));
        } else if (std::strcmp(name, "sz") == 0) {
            if (const std::optional<int> halfPoints = intAttribute(property, "val"); halfPoints && *halfPoints > 0)
                pointSize = halfPointsToPoints(*halfPoints);
        } else if (std::strcmp(name, "b") == 0) {
            bold = isOn(property);
        } else if (std::strcmp(name, "i") == 0) {
            italic = isOn(property);
        } else if (std::strcmp(name, "u") == 0) {
            underline = !val.isEmpty() && val != QLatin1String("none");
        } else if (std::strcmp(name, "strike") == 0 || std::strcmp(name, "dstrike") == 0) {
            strikeOut = isOn(property);
        } else if (std::strcmp(name, "caps") == 0) {
            caps = isOn(property);
        } else if (std::strcmp(name, "smallCaps") == 0) {
            smallCaps = isOn(property);
        } else if (std::strcmp(name, "vanish") == 0) {
            hidden = isOn(property);
        } else if (std::strcmp(name, "color") == 0) {
            color = colorFromHex(val);
        } else if (std::strcmp(name, "highlight") == 0) {
            const QColor named(val.toLower());
            background = val == QLatin1String("none") ? QColor() : named;
        } else if (std::strcmp(name, "shd") == 0) {
            // A highlight shows over the run's shading.
            if (textAttribute(childElement(rPr, "highlight"), "val").isEmpty())
                background = shadingColor(property);
        } else if (std::strcmp(name, "vertAlign") == 0) {
            if (val == QLatin1String("superscript"))
                verticalAlignment = QTextCharFormat::AlignSuperScript;
            else if (val == QLatin1String("subscript"))
                verticalAlignment = QTextCharFormat::AlignSubScript;
            else
                verticalAlignment = QTextCharFormat::AlignNormal;
        } else if (std::strcmp(name, "spacing") == 0) {
            if (const std::optional<int> twips = intAttribute(property, "val"))
                letterSpacingPixels = twipsToPixels(*twips);
        } else if (std::strcmp(name, "kern") == 0) {
            // w:val is the smallest size Word kerns; LibreOffice kerns every size once it is not 0.
            kerning = intAttribute(property, "val").value_or(0) != 0;
        } else if (std::strcmp(name, "bdr") == 0) {
            border = BorderLine::fromElement(property);
        }
    }
}

void RunProperties::apply(const RunProperties &other)
{
    overlay(latinFont, other.latinFont);
    overlay(eastAsianFont, other.eastAsianFont);
    overlay(complexFont, other.complexFont);
    overlay(pointSize, other.pointSize);
    overlay(bold, other.bold);
    overlay(italic, other.italic);
    overlay(underline, other.underline);
    overlay(strikeOut, other.strikeOut);
    overlay(caps, other.caps);
    overlay(smallCaps, other.smallCaps);
    overlay(hidden, other.hidden);
    overlay(color, other.color);
    overlay(background, other.background);
    overlay(verticalAlignment, other.verticalAlignment);
    overlay(letterSpacingPixels, other.letterSpacingPixels);
    overlay(kerning, other.kerning);
    overlay(border, other.border);
}

void ParagraphProperties::apply(pugi::xml_node pPr)
{
    for (pugi::xml_node property = pPr.first_child(); property; property = property.next_sibling()) {
        if (!isInNamespace(property))
            continue;
        const char *name = localName(property.name());
        if (std::strcmp(name, "jc") == 0) {
            overlay(alignment, alignmentFromValue(textAttribute(property, "val")));
        } else if (std::strcmp(name, "ind") == 0) {
            overlay(leftIndent, intAttribute(property, "left"));
            overlay(leftIndent, intAttribute(property, "start"));
            overlay(rightIndent, intAttribute(property, "right"));
            overlay(rightIndent, intAttribute(property, "end"));
            overlay(firstLineIndent, intAttribute(property, "firstLine"));
            if (const std::optional<int> hanging = intAttribute(property, "hanging"))
                firstLineIndent = -*hanging;
        } else if (std::strcmp(name, "spacing") == 0) {
            readSpace(property, "before", "beforeAutospacing", spaceBefore, autoSpaceBefore);
            readSpace(property, "after", "afterAutospacing", spaceAfter, autoSpaceAfter);
            if (const std::optional<int> line = intAttribute(property, "line")) {
                lineSpacing = line;
                const QString rule = textAttribute(property, "lineRule");
                lineRule = rule == QLatin1String("exact")     ? LineRule::Exact
                           : rule == QLatin1String("atLeast") ? LineRule::AtLeast
                                                              : LineRule::Auto;
            }
        } else if (std::strcmp(name, "contextualSpacing") == 0) {
            contextualSpacing = isOn(property);
        } else if (std::strcmp(name, "pageBreakBefore") == 0) {
            pageBreakBefore = isOn(property);
        } else if (std::strcmp(name, "keepNext") == 0) {
            keepWithNext = isOn(property);
        } else if (std::strcmp(name, "keepLines") == 0) {
            keepLinesTogether = isOn(property);
        } else if (std::strcmp(name, "widowControl") == 0) {
            widowControl = isOn(property);
        } else if (std::strcmp(name, "shd") == 0) {
            shading = shadingColor(property);
        } else if (std::strcmp(name, "pBdr") == 0) {
            readBorders(property, borders);
        } else if (std::strcmp(name, "numPr") == 0) {
            overlay(numberingId, intAttribute(childElement(property, "numId"), "val"));
            overlay(numberingLevel, intAttribute(childElement(property, "ilvl"), "val"));
        } else if (std::strcmp(name, "tabs") == 0) {
            for (pugi::xml_node tab = property.first_child(); tab; tab = tab.next_sibling()) {
                const std::optional<int> position = intAttribute(tab, "pos");
                if (!isElement(tab, "tab") || !position)
                    continue;
                const QString val = textAttribute(tab, "val");
                TabStop stop;
                stop.positionTwips = *position;
                stop.cleared = val == QLatin1String("clear");
                stop.type = tabTypeFromValue(val);
                stop.leader = leaderFromValue(textAttribute(tab, "leader"));
                tabs[*position] = stop;
            }
        }
    }
}

void ParagraphProperties::apply(const ParagraphProperties &other)
{
    overlay(alignment, other.alignment);
    overlay(leftIndent, other.leftIndent);
    overlay(rightIndent, other.rightIndent);
    overlay(firstLineIndent, other.firstLineIndent);
    overlay(spaceBefore, other.spaceBefore);
    overlay(spaceAfter, other.spaceAfter);
    overlay(autoSpaceBefore, other.autoSpaceBefore);
    overlay(autoSpaceAfter, other.autoSpaceAfter);
    overlay(lineSpacing, other.lineSpacing);
    overlay(lineRule, other.lineRule);
    overlay(contextualSpacing, other.contextualSpacing);
    overlay(pageBreakBefore, other.pageBreakBefore);
    overlay(keepWithNext, other.keepWithNext);
    overlay(keepLinesTogether, other.keepLinesTogether);
    overlay(widowControl, other.widowControl);
    overlay(numberingId, other.numberingId);
    overlay(numberingLevel, other.numberingLevel);
    overlay(shading, other.shading);
    for (int side = 0; side < kBorderSideCount; ++side)
        overlay(borders[side], other.borders[side]);
    for (const auto &[position, stop] : other.tabs)
        tabs[position] = stop;
}

BorderLine BorderLine::fromElement(pugi::xml_node border)
{
    BorderLine line;
    const QString val = textAttribute(border, "val");
    if (!border || val.isEmpty() || val == QLatin1String("nil") || val == QLatin1String("none"))
        return line;
    line.visible = true;
    line.widthPixels = eighthPointsToPixels(intAttribute(border, "sz").value_or(0));
    line.spacePixels = pointsToPixels(qMax(0, intAttribute(border, "space").value_or(0)));
    line.color = colorFromHex(textAttribute(border, "color"));
    if (!line.color.isValid())
        line.color = Qt::black;
    return line;
}

void readCellMargins(pugi::xml_node marginsElement, std::array<std::optional<int>, kCellMarginSideCount> &margins)
{
    const std::pair<const char *, BorderSide> sides[] = {
        {"top", TopSide}, {"left", LeftSide}, {"start", LeftSide},
        {"bottom", BottomSide}, {"right", RightSide}, {"end", RightSide},
    };
    for (const auto &[name, side] : sides) {
        const pugi::xml_node element = childElement(marginsElement, name);
        if (element)
            overlay(margins[side], intAttribute(element, "w"));
    }
}

void readBorders(pugi::xml_node bordersElement, std::array<std::optional<BorderLine>, kBorderSideCount> &borders)
{
    // w:between of paragraph borders is the line between paragraphs, as w:insideH is between rows.
    const std::pair<const char *, BorderSide> sides[] = {
        {"top", TopSide}, {"left", LeftSide}, {"start", LeftSide}, {"bottom", BottomSide},
        {"right", RightSide}, {"end", RightSide}, {"insideH", InsideHorizontal}, {"insideV", InsideVertical},
        {"between", InsideHorizontal},
    };
    for (const auto &[name, side] : sides) {
        if (const pugi::xml_node element = childElement(bordersElement, name))
            borders[side] = BorderLine::fromElement(element);
    }
}

void TableProperties::apply(pugi::xml_node tblPr)
{
    readBorders(childElement(tblPr, "tblBorders"), borders);
    readCellMargins(childElement(tblPr, "tblCellMar"), cellMargins);
    if (const pugi::xml_node tblInd = childElement(tblPr, "tblInd"))
        overlay(indent, intAttribute(tblInd, "w"));
    if (const pugi::xml_node jc = childElement(tblPr, "jc"))
        overlay(alignment, alignmentFromValue(textAttribute(jc, "val")));
    if (const pugi::xml_node tblW = childElement(tblPr, "tblW"))
        overlay(widthPercent50ths, percentWidth(tblW));
    overlay(rowBandSize, intAttribute(childElement(tblPr, "tblStyleRowBandSize"), "val"));
    overlay(columnBandSize, intAttribute(childElement(tblPr, "tblStyleColBandSize"), "val"));
}

void TableProperties::apply(const TableProperties &other)
{
    for (int side = 0; side < kBorderSideCount; ++side)
        overlay(borders[side], other.borders[side]);
    for (int side = 0; side < kCellMarginSideCount; ++side)
        overlay(cellMargins[side], other.cellMargins[side]);
    overlay(indent, other.indent);
    overlay(alignment, other.alignment);
    overlay(widthPercent50ths, other.widthPercent50ths);
    overlay(rowBandSize, other.rowBandSize);
    overlay(columnBandSize, other.columnBandSize);
}

} // namespace quill
