#pragma once

#include "BodyLayout.h"
#include "FieldValues.h"
#include "PageLayout.h"
#include "Sections.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class QTextDocument;

namespace quill {

// Where a page stands in its document, for the header and footer it shows and the fields they draw.
struct PagePlace
{
    int section = 0;
    int indexInSection = 0; // 0 for the section's first page
    FieldContext fields;    // page number as shown, page counts, dates
};

// Lays out the header and footer parts of a body's sections and draws the ones a page shows.
class HeaderFooterLayout
{
public:
    // For the body of `sources` with `sections` (readSections); both outlive the layout.
    HeaderFooterLayout(const LayoutSources &sources, const std::vector<Section> &sections);
    ~HeaderFooterLayout();

    // The height of the tallest header (or footer) section `index` can show on any of its pages, in
    // logical pixels; 0 when it shows none.
    qreal tallest(int index, bool footer);

    // The header (or footer) the page at `place` shows, at its place on the page: the header at the header
    // distance from the top, the footer ending at the footer distance from the bottom. Empty when the page
    // shows none.
    PagePart draw(const PagePlace &place, bool footer);

private:
    HeaderKind kindOf(const PagePlace &place) const;
    std::shared_ptr<const QTextDocument> document(const QString &reference, int section, const FieldContext &fields);

    const LayoutSources &m_sources;
    const std::vector<Section> &m_sections;
    bool m_evenAndOdd = false;
    QHash<QString, std::shared_ptr<QTextDocument>> m_documents; // laid out, by part, width and field values
};

} // namespace quill
