#include "Sections.h"

#include "Units.h"
#include "WordXml.h"

#include <cstring>

namespace quill {

namespace {

// US Letter with one-inch margins, in twips: the page when a body carries no section.
constexpr int kDefaultPageWidthTwips = 12240;
constexpr int kDefaultPageHeightTwips = 15840;
constexpr int kDefaultMarginTwips = 1440;

// Word's header and footer distance when a section gives none: half an inch.
constexpr int kDefaultHeaderDistanceTwips = 720;
// The space between columns when w:cols gives none, and the most columns Word offers.
constexpr int kDefaultColumnSpaceTwips = 720;
constexpr int kMaximumColumns = 45;

// An on/off attribute (w:sep, w:equalWidth): absent gives `fallback`.
bool onOffAttribute(pugi::xml_node node, const char *name, bool fallback)
{
    const pugi::xml_attribute value = attribute(node, name);
    if (!value)
        return fallback;
    const char *text = value.value();
    return std::strcmp(text, "1") == 0 || std::strcmp(text, "true") == 0 || std::strcmp(text, "on") == 0;
}

Columns readColumns(pugi::xml_node cols)
{
    Columns columns;
    columns.count = qBound(1, intAttribute(cols, "num").value_or(1), kMaximumColumns);
    columns.space = twipsToPixels(qMax(0, intAttribute(cols, "space").value_or(kDefaultColumnSpaceTwips)));
    columns.separator = onOffAttribute(cols, "sep", false);
    if (onOffAttribute(cols, "equalWidth", !childElement(cols, "col")))
        return columns;
    for (pugi::xml_node col = cols.first_child(); col; col = col.next_sibling()) {
        const std::optional<int> width = isElement(col, "col") ? intAttribute(col, "w") : std::nullopt;
        if (!width || *width <= 0)
            continue;
        columns.widths.push_back(twipsToPixels(*width));
        columns.spaces.push_back(twipsToPixels(qMax(0, intAttribute(col, "space").value_or(0))));
    }
    if (!columns.widths.empty())
        columns.count = int(columns.widths.size());
    return columns;
}

SectionStart sectionStart(pugi::xml_node sectPr)
{
    const char *type = attribute(childElement(sectPr, "type"), "val").value();
    if (std::strcmp(type, "continuous") == 0)
        return SectionStart::Continuous;
    if (std::strcmp(type, "oddPage") == 0)
        return SectionStart::OddPage;
    if (std::strcmp(type, "evenPage") == 0)
        return SectionStart::EvenPage;
    return SectionStart::NextPage; // nextPage, nextColumn (no columns here) and anything unknown
}

std::optional<HeaderKind> headerKind(pugi::xml_node reference)
{
    const char *type = attribute(reference, "type").value();
    if (std::strcmp(type, "first") == 0)
        return HeaderKind::First;
    if (std::strcmp(type, "even") == 0)
        return HeaderKind::Even;
    if (std::strcmp(type, "default") == 0 || *type == '\0')
        return HeaderKind::Default;
    return std::nullopt;
}

Section readSection(pugi::xml_node sectPr)
{
    Section section;
    section.page = pageSetupFromSection(sectPr);
    section.start = sectionStart(sectPr);
    section.columns = readColumns(childElement(sectPr, "cols"));
    section.titlePage = isOn(childElement(sectPr, "titlePg"));
    section.firstPageNumber = intAttribute(childElement(sectPr, "pgNumType"), "start");
    for (pugi::xml_node child = sectPr.first_child(); child; child = child.next_sibling()) {
        const bool header = isElement(child, "headerReference");
        if (!header && !isElement(child, "footerReference"))
            continue;
        const std::optional<HeaderKind> kind = headerKind(child);
        if (!kind)
            continue;
        auto &slot = (header ? section.headers : section.footers)[size_t(*kind)];
        slot = QString::fromUtf8(attribute(child, "id", XmlNamespace::Relationships).value());
    }
    return section;
}

// Appends the sections that paragraphs of `container` end, looking into the block wrappers the body
// builder reads (content controls, custom XML, insertions) but not into tables.
void collectBreaks(pugi::xml_node container, std::vector<Section> &sections)
{
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, "p")) {
            if (const pugi::xml_node sectPr = sectionBreak(child))
                sections.push_back(readSection(sectPr));
        } else if (isElement(child, "sdt")) {
            collectBreaks(childElement(child, "sdtContent"), sections);
        } else if (isElement(child, "customXml") || isElement(child, "ins") || isElement(child, "moveTo")) {
            collectBreaks(child, sections);
        }
    }
}

} // namespace

PageSetup pageSetupFromSection(pugi::xml_node sectPr)
{
    const pugi::xml_node pgSz = childElement(sectPr, "pgSz");
    const pugi::xml_node pgMar = childElement(sectPr, "pgMar");
    const auto length = [](pugi::xml_node node, const char *name, int fallback) {
        const std::optional<int> value = intAttribute(node, name);
        // A negative top or bottom margin means "exactly this, even over a tall header".
        return value && *value != 0 ? qAbs(*value) : (value ? 0 : fallback);
    };
    PageSetup page;
    // Whole pixels, so that pages stack without drift in the picture.
    page.pageSize = QSizeF(qRound(twipsToPixels(length(pgSz, "w", kDefaultPageWidthTwips))),
                           qRound(twipsToPixels(length(pgSz, "h", kDefaultPageHeightTwips))));
    const int gutter = intAttribute(pgMar, "gutter").value_or(0);
    page.margins = QMarginsF(twipsToPixels(length(pgMar, "left", kDefaultMarginTwips) + gutter),
                             twipsToPixels(length(pgMar, "top", kDefaultMarginTwips)),
                             twipsToPixels(length(pgMar, "right", kDefaultMarginTwips)),
                             twipsToPixels(length(pgMar, "bottom", kDefaultMarginTwips)));
    page.headerDistance = twipsToPixels(length(pgMar, "header", kDefaultHeaderDistanceTwips));
    page.footerDistance = twipsToPixels(length(pgMar, "footer", kDefaultHeaderDistanceTwips));
    return page;
}

std::vector<ColumnBox> columnBoxes(const Section &section)
{
    const PageSetup &page = section.page;
    const qreal textWidth = qMax<qreal>(0, page.pageSize.width() - page.margins.left() - page.margins.right());
    const Columns &columns = section.columns;
    std::vector<ColumnBox> boxes;
    if (!columns.widths.empty()) {
        qreal left = 0;
        for (size_t index = 0; index < columns.widths.size(); ++index) {
            boxes.push_back({left, columns.widths[index]});
            left += columns.widths[index] + columns.spaces[index];
        }
        return boxes;
    }
    // Equal columns share what the spaces between them leave; spaces too wide for the page leave none.
    const int count = columns.count;
    const qreal space = count > 1 ? qMin(columns.space, textWidth / (count - 1)) : 0;
    const qreal width = qMax<qreal>(0, (textWidth - space * (count - 1)) / count);
    for (int index = 0; index < count; ++index)
        boxes.push_back({index * (width + space), width});
    return boxes;
}

pugi::xml_node sectionBreak(pugi::xml_node p)
{
    return childElement(childElement(p, "pPr"), "sectPr");
}

std::vector<Section> readSections(pugi::xml_node body)
{
    std::vector<Section> sections;
    collectBreaks(body, sections);
    pugi::xml_node last;
    for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
        if (isElement(child, "sectPr"))
            last = child;
    }
    sections.push_back(readSection(last));
    return sections;
}

QString headerReference(const std::vector<Section> &sections, int index, HeaderKind kind, bool footer)
{
    for (int at = qMin(index, int(sections.size()) - 1); at >= 0; --at) {
        const auto &references = footer ? sections[size_t(at)].footers : sections[size_t(at)].headers;
        if (!references[size_t(kind)].isEmpty())
            return references[size_t(kind)];
    }
    return QString();
}

} // namespace quill
