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
