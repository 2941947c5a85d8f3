#include "StyleSheet.h"

#include "WordXml.h"

#include <pugixml.hpp>

namespace quill {

namespace {

// A basedOn chain longer than this is taken as a cycle and cut.
constexpr int kMaxStyleDepth = 32;

} // namespace

StyleSheet::StyleSheet(const pugi::xml_document *styles)
{
    if (!styles)
        return;
    const pugi::xml_node root = styles->document_element();
    if (const pugi::xml_node docDefaults = childElement(root, "docDefaults")) {
        m_defaultRun.apply(childElement(childElement(docDefaults, "rPrDefault"), "rPr"));
        m_defaultParagraph.apply(childElement(childElement(docDefaults, "pPrDefault"), "pPr"));
    }
    for (pugi::xml_node style = root.first_child(); style; style = style.next_sibling()) {
        if (!isElement(style, "style"))
            continue;
        const QString id = textAttribute(style, "styleId");
        m_styleNodes.insert(id, style);
        if (!attribute(style, "default").as_bool())
            continue;
        const QString type = textAttribute(style, "type");
        if (type == QLatin1String("paragraph"))
            m_defaultParagraphStyle = id;
        else if (type == QLatin1String("table"))
            m_defaultTableStyle = id;
    }
}

const ResolvedStyle &StyleSheet::style(const QString &id) const
{
    return resolve(id, 0);
}

const ResolvedStyle &StyleSheet::resolve(const QString &id, int depth) const
{
    const auto cached = m_resolved.find(id);
    if (cached != m_resolved.end())
        return cached->second;

    ResolvedStyle resolved;
    const pugi::xml_node node = m_styleNodes.value(id);
    if (node) {
        const QString basedOn = textAttribute(childElement(node, "basedOn"), "val");
        if (!basedOn.isEmpty() && basedOn != id && depth < kMaxStyleDepth) {
            resolved = resolve(basedOn, depth + 1);
            // LibreOffice gives a table's paragraphs the paragraph properties of the table's own style only,
            // not those of the style it is based on.
            if (textAttribute(node, "type") == QLatin1String("table"))
                resolved.paragraph = ParagraphProperties();
        }
        resolved.paragraph.apply(childElement(node, "pPr"));
        resolved.run.apply(childElement(node, "rPr"));
        resolved.table.apply(node);
    }
    return m_resolved.emplace(id, std::move(resolved)).first->second;
}

} // namespace quill
