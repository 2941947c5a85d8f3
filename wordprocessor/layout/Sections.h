#pragma once

#include <pugixml.hpp>

#include <QMarginsF>
#include <QSizeF>
#include <QString>

#include <array>
#include <optional>
#include <vector>

namespace quill {

// The page of a section, in logical pixels at 96 dpi.
struct PageSetup
{
    QSizeF pageSize;    // the whole sheet
    QMarginsF margins;  // from the sheet's edges to the text column
    qreal headerDistance = 0; // from the sheet's top edge to the header
    qreal footerDistance = 0; // from the sheet's bottom edge to the footer
};

// The page set-up of a w:sectPr (w:pgSz, w:pgMar); missing values fall back to US Letter with one-inch margins.
PageSetup pageSetupFromSection(pugi::xml_node sectPr);

// Where a section's first page begins (w:type of its w:sectPr).
enum class SectionStart {
    NextPage,   // on a new page (the default)
    Continuous, // on the page where the previous section ended
    OddPage,    // on the next odd-numbered page, leaving an empty even one where needed
    EvenPage,   // on the next even-numbered page
};

// The header or footer a page shows, by the page's place in its section.
enum class HeaderKind {
    Default,
    First, // the section's first page, where the section has a different first page (w:titlePg)
    Even,  // even-numbered pages, where the settings keep even and odd headers apart (w:evenAndOddHeaders)
};
inline constexpr int kHeaderKindCount = 3;

// One column of a section's text, in logical pixels from the left edge of the text column.
struct ColumnBox
{
    qreal left = 0;
    qreal width = 0;
};

// The columns of a section (w:cols): one unless the section sets more.
struct Columns
{
    int count = 1;
    qreal space = 0;            // between equal columns, in logical pixels
    bool separator = false;     // w:sep: a vertical line between columns
    std::vector<qreal> widths;  // unequal columns (w:equalWidth off): each column's width...
    std::vector<qreal> spaces;  // ...and the space after it, in logical pixels
};

// One section of a body: the page it is laid out on and the headers and footers it names itself.
struct Section
{
    PageSetup page = pageSetupFromSection(pugi::xml_node());
    Columns columns;
    SectionStart start = SectionStart::NextPage;
    bool titlePage = false;
    std::optional<int> firstPageNumber; // w:pgNumType w:start: the numbering restarts here
    // Relationship ids of the section's own header and footer references by HeaderKind (empty: none).
    std::array<QString, kHeaderKindCount> headers;
    std::array<QString, kHeaderKindCount> footers;
};

// The sections of w:body `body` in reading order: one per w:sectPr of a paragraph, then the body's own.
// Always at least one (the default page when the body carries none).
std::vector<Section> readSections(pugi::xml_node body);

// The boxes of the columns of `section` across its text column, left to right; one box when it has one column.
std::vector<ColumnBox> columnBoxes(const Section &section);

// The w:sectPr that ends a section at paragraph `p`, or null.
pugi::xml_node sectionBreak(pugi::xml_node p);

// The relationship id of the header (or footer) of kind `kind` that section `index` shows: its own, or else
// the nearest earlier section's of that kind (a section without references inherits them). Empty when none.
QString headerReference(const std::vector<Section> &sections, int index, HeaderKind kind, bool footer);

} // namespace quill
