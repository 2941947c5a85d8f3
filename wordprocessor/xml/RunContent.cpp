#include "RunContent.h"

#include "WordXml.h"

#include <cstring>

namespace quill {

namespace {

// One element that stands for a run item, by local name and namespace.
struct NamedRunItem
{
    const char *name;
    XmlNamespace ns;
    RunItem item;
};

// Every local name occurs once, so the first local match decides.
constexpr NamedRunItem kRunItems[] = {
    {"t", XmlNamespace::Word, RunItem::Text},
    {"rPr", XmlNamespace::Word, RunItem::Skipped},
    {"pPr", XmlNamespace::Word, RunItem::Skipped},
    {"tab", XmlNamespace::Word, RunItem::Tab},
    {"ptab", XmlNamespace::Word, RunItem::Tab},
    {"br", XmlNamespace::Word, RunItem::Break},
    {"cr", XmlNamespace::Word, RunItem::CarriageReturn},
    {"noBreakHyphen", XmlNamespace::Word, RunItem::NoBreakHyphen},
    {"softHyphen", XmlNamespace::Word, RunItem::SoftHyphen},
    {"sym", XmlNamespace::Word, RunItem::Symbol},
    {"fldChar", XmlNamespace::Word, RunItem::FieldCharacter},
    {"instrText", XmlNamespace::Word, RunItem::Skipped},
    {"delText", XmlNamespace::Word, RunItem::Skipped},
    {"sdtPr", XmlNamespace::Word, RunItem::Skipped},
    {"sdtEndPr", XmlNamespace::Word, RunItem::Skipped},
    {"delInstrText", XmlNamespace::Word, RunItem::Skipped},
    {"del", XmlNamespace::Word, RunItem::Skipped},
    {"moveFrom", XmlNamespace::Word, RunItem::Skipped},
    {"Fallback", XmlNamespace::MarkupCompatibility, RunItem::Skipped},
    {"drawing", XmlNamespace::Word, RunItem::Embedded},
    {"pict", XmlNamespace::Word, RunItem::Embedded},
    {"object", XmlNamespace::Word, RunItem::Embedded},
    {"AlternateContent", XmlNamespace::MarkupCompatibility, RunItem::Embedded},
    {"footnoteReference", XmlNamespace::Word, RunItem::Embedded},
    {"endnoteReference", XmlNamespace::Word, RunItem::Embedded},
    {"commentReference", XmlNamespace::Word, RunItem::Embedded},
    {"txbxContent", XmlNamespace::Word, RunItem::Embedded},
};

} // namespace

RunItem runItem(pugi::xml_node node, pugi::xml_node paragraph)
{
    if (node.type() != pugi::node_element)
        return RunItem::Other;
    const char *local = localName(node.name());
    for (const NamedRunItem &entry : kRunItems) {
        if (std::strcmp(local, entry.name) == 0)
            return isInNamespace(node, entry.ns, entry.ns == XmlNamespace::Word ? paragraph : pugi::xml_node())
                   ? entry.item : RunItem::Other;
    }
    return RunItem::Other;
}

BreakKind breakKind(pugi::xml_node br)
{
    const char *type = attribute(br, "type").value();
    if (std::strcmp(type, "page") == 0)
        return BreakKind::Page;
    if (std::strcmp(type, "column") == 0)
        return BreakKind::Column;
    return BreakKind::Line;
}

void FieldNesting::step(pugi::xml_node fldChar)
{
    const char *type = attribute(fldChar, "fldCharType").value();
    if (std::strcmp(type, "begin") == 0) {
        m_inResult.push_back(false);
        ++m_inCode;
    } else if (m_inResult.empty()) {
        return;
    } else if (std::strcmp(type, "separate") == 0) {
        if (!m_inResult.back()) {
            m_inResult.back() = true;
            --m_inCode;
        }
    } else if (std::strcmp(type, "end") == 0) {
        if (!m_inResult.back())
            --m_inCode;
        m_inResult.pop_back();
    }
}

} // namespace quill
