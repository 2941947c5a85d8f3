#include "HeaderFooter.h"

#include "BodyBuilder.h"
#include "RowHeights.h"
#include "LayoutUnits.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <QTextDocument>

namespace quill {

namespace {

// True when `part` holds a field whose result depends on the page (PAGE, NUMPAGES, SECTIONPAGES).
bool showsPageNumbers(const pugi::xml_document &part)
{
    const auto pageField = [](const QString &code) { return code.contains(QLatin1String("PAGE"), Qt::CaseInsensitive); };
    bool found = false;
    walkTree(part, [&](pugi::xml_node node) {
        if ((isElement(node, "instrText") && pageField(elementText(node)))
            || (isElement(node, "fldSimple") && pageField(textAttribute(node, "instr"))))
            found = true;
        return found ? WalkStep::Stop : WalkStep::Descend;
    });
    return found;
}

} // namespace

HeaderFooterLayout::HeaderFooterLayout(const LayoutSources &sources, const std::vector<Section> &sections)
    : m_sources(sources)
    , m_sections(sections)
{
    if (sources.settings)
        m_evenAndOdd = isOn(childElement(sources.settings->document_element(), "evenAndOddHeaders"));
}

HeaderFooterLayout::~HeaderFooterLayout() = default;

HeaderKind HeaderFooterLayout::kindOf(const PagePlace &place) const
{
    if (place.indexInSection == 0 && m_sections[size_t(place.section)].titlePage)
        return HeaderKind::First;
    if (m_evenAndOdd && place.fields.page % 2 == 0)
        return HeaderKind::Even;
    return HeaderKind::Default;
}

// The header or footer part `reference` names, built for the text column of section `section` with the
// fields at `fields` and laid out unpaginated; null when the part is missing or holds no header or footer.
std::shared_ptr<const QTextDocument> HeaderFooterLayout::document(const QString &reference, int section,
                                                                 const FieldContext &fields)
{
    if (reference.isEmpty() || !m_sources.related)
        return nullptr;
    const QString part = m_sources.related->target(m_sources.mainPart, reference);
    const pugi::xml_document *xml = m_sources.related->xml(part);
    // A part without page fields looks the same on every page of a section: it is laid out once.
    QString key = QStringLiteral("%1|%2").arg(part).arg(section);
    if (xml && showsPageNumbers(*xml))
        key += QStringLiteral("|%1|%2|%3").arg(fields.page).arg(fields.pages).arg(fields.sectionPages);
    if (const auto known = m_documents.constFind(key); known != m_documents.constEnd())
        return *known;

    std::shared_ptr<QTextDocument> built;
    pugi::xml_node root = xml ? childElement(*xml, "hdr") : pugi::xml_node();
    if (!root && xml)
        root = childElement(*xml, "ftr");
    if (root) {
        Section column = m_sections[size_t(section)];
        column.page.margins.setTop(0);
        column.page.margins.setBottom(0);
        column.start = SectionStart::Continuous;
        const qreal width = column.page.pageSize.width() * kLayoutOversampling;
        BodyBuilder(m_sources, {column}, [&](std::unique_ptr<QTextDocument> document, int) {
            if (built)
                return; // a page break in a header starts nothing: what follows it is not shown
            document->setTextWidth(width);
            fitExactRows(*document);
            built = std::move(document);
        }, &fields, part).addBody(root);
    }
    m_documents.insert(key, built);
    return built;
}

qreal HeaderFooterLayout::tallest(int index, bool footer)
{
    FieldContext fields;
    fields.page = 1;
    fields.pages = 1;
    fields.sectionPages = 1;
    fields.dates = m_sources.dates;
    qreal height = 0;
    for (int kind = 0; kind < kHeaderKindCount; ++kind) {
        if ((HeaderKind(kind) == HeaderKind::First && !m_sections[size_t(index)].titlePage)
            || (HeaderKind(kind) == HeaderKind::Even && !m_evenAndOdd))
            continue;
        const auto built = document(headerReference(m_sections, index, HeaderKind(kind), footer), index, fields);
        if (built)
            height = qMax(height, built->size().height() / kLayoutOversampling);
    }
    return height;
}

PagePart HeaderFooterLayout::draw(const PagePlace &place, bool footer)
{
    const QString reference = headerReference(m_sections, place.section, kindOf(place), footer);
    const std::shared_ptr<const QTextDocument> built = document(reference, place.section, place.fields);
    if (!built)
        return PagePart();
    const PageSetup &page = m_sections[size_t(place.section)].page;
    const qreal height = built->size().height() / kLayoutOversampling;
    const qreal top = footer ? page.pageSize.height() - page.footerDistance - height : page.headerDistance;
    return PagePart{built, QPointF(0, top), QRectF()};
}

} // namespace quill
