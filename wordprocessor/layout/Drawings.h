#pragma once

#include <QColor>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <QString>

#include <pugixml.hpp>

#include <optional>

namespace quill {

class RelatedParts;

// How text flows around a drawing.
enum class TextWrap {
    Inline,       // a character of its line
    Square,       // anchored; text flows beside it (square, tight and through wrapping)
    TopAndBottom, // anchored; a block of its own, text above and below
    None          // anchored over or under the text, moving none of it
};

// What an anchored drawing's offset is measured from.
enum class AnchorOrigin {
    Page,      // the sheet's edge
    Margin,    // the text column's edge on the page (column, margin)
    Paragraph, // the anchoring paragraph (vertically), or the text column (horizontally)
    Character  // the anchoring character's place (character, line)
};

// Where an anchored drawing stands; an inline drawing has only its wrap.
struct DrawingPlacement
{
    TextWrap wrap = TextWrap::Inline;
    AnchorOrigin horizontalOrigin = AnchorOrigin::Margin;
    AnchorOrigin verticalOrigin = AnchorOrigin::Paragraph;
    QPointF offset;                               // from the origins, in logical pixels
    std::optional<Qt::Alignment> horizontalAlign; // left, right or centre within the horizontal origin
    QMarginsF distance;                           // kept free of text around it, in logical pixels
    bool behindText = false;
};

// A picture, text box or shape of a run, as the layout draws it.
struct Drawing
{
    QSizeF size;                    // in logical pixels
    QString imagePart;              // the part holding its picture (maybe a fallback image); empty for none
    pugi::xml_node textBox;         // its w:txbxContent; null when it holds no text
    QMarginsF textInsets;           // between its edge and its text, in logical pixels
    QColor lineColor;               // its outline; invalid for none
    qreal lineWidth = 0;            // in logical pixels
    QColor fillColor;               // invalid for none
    DrawingPlacement placement;
};

// Reads the drawings of one part's runs: DrawingML pictures and shapes (w:drawing), VML shapes (w:pict),
// embedded objects (w:object) and alternate content (mc:AlternateContent), resolving their relationships
// against that part.
class DrawingReader
{
public:
    // Reads drawings of the part `sourcePart`, whose related parts `related` names (may be null).
    DrawingReader(RelatedParts *related, QString sourcePart);

    // The drawing the run item `item` shows; nothing when it shows none (an empty element, an unknown kind).
    std::optional<Drawing> read(pugi::xml_node item) const;

private:
    std::optional<Drawing> readDrawingMl(pugi::xml_node drawing) const;
    void readGraphic(pugi::xml_node graphicData, Drawing &drawing) const;
    std::optional<Drawing> readVml(pugi::xml_node container) const;
    QString relatedPart(pugi::xml_attribute id) const;

    RelatedParts *m_related;
    QString m_sourcePart;
};

// The element of an mc:AlternateContent that a reader of DrawingML and VML shows: the first mc:Choice whose
// required namespaces it knows, else the mc:Fallback (null when neither is there).
pugi::xml_node chosenAlternative(pugi::xml_node alternateContent);

} // namespace quill
