#pragma once

#include "TableStyle.h"
#include "WordProperties.h"

#include <QHash>
#include <QString>

#include <map>

namespace pugi {
class xml_document;
}

namespace quill {

// The formatting one style carries once its basedOn chain is resolved (document defaults not included).
struct ResolvedStyle
{
    ParagraphProperties paragraph;
    RunProperties run;
    TableStyle table;
};

// The styles part (word/styles.xml): document defaults and styles, resolved through their basedOn chains.
class StyleSheet
{
public:
    // Reads `styles`; a null document gives an empty sheet (Word's built-in defaults apply).
    explicit StyleSheet(const pugi::xml_document *styles);

    // Run properties of w:docDefaults/w:rPrDefault.
    const RunProperties &defaultRunProperties() const { return m_defaultRun; }
    // Paragraph properties of w:docDefaults/w:pPrDefault.
    const ParagraphProperties &defaultParagraphProperties() const { return m_defaultParagraph; }
    // The id of the default paragraph style (empty when none is marked default).
    QString defaultParagraphStyle() const { return m_defaultParagraphStyle; }
    // The id of the default table style (empty when none is marked default).
    QString defaultTableStyle() const { return m_defaultTableStyle; }

    // The style `id` with everything it inherits; an unknown id yields empty formatting.
    const ResolvedStyle &style(const QString &id) const;

private:
    const ResolvedStyle &resolve(const QString &id, int depth) const;

    QHash<QString, pugi::xml_node> m_styleNodes;
    RunProperties m_defaultRun;
    ParagraphProperties m_defaultParagraph;
    QString m_defaultParagraphStyle;
    QString m_defaultTableStyle;
    mutable std::map<QString, ResolvedStyle> m_resolved; // node-based: references stay valid
};

} // namespace quill
