#include "Drawings.h"

#include "BodyLayout.h"
#include "LayoutUnits.h"
#include "WordXml.h"

#include <QHash>

#include <algorithm>
#include <cstring>

namespace quill {

namespace {

// DrawingML's default text box insets, in EMU (0.1 inch left and right, 0.05 inch top and bottom).
constexpr int kDefaultSideInsetEmu = 91440;
constexpr int kDefaultTopInsetEmu = 45720;
// An outline without a width is 0.75 pt wide (in EMU).
constexpr int kDefaultLineWidthEmu = 9525;
// VML's default text box inset (0.1 inch left and right, 0.05 inch top and bottom) and stroke (0.75 pt).
constexpr qreal kDefaultVmlSideInset = kLayoutDpi * 0.1;
constexpr qreal kDefaultVmlTopInset = kLayoutDpi * 0.05;
constexpr qreal kDefaultVmlStrokeWidth = kLayoutDpi * 0.75 / kPointsPerInch;
constexpr qreal kMillimetresPerInch = 25.4;
constexpr qreal kPicasPerInch = 6;

// The namespaces whose content a mc:Choice may require and still be drawn here.
constexpr XmlNamespace kUnderstood[] = {XmlNamespace::WordShape, XmlNamespace::WordDrawing2010, XmlNamespace::Word2010,
                                        XmlNamespace::DrawingMain2010, XmlNamespace::Vml, XmlNamespace::VmlOffice};

// A VML or CSS length ("12pt", "1.5in", "2cm") in logical pixels; a bare number is in pixels.
qreal vmlLength(QString text)
{
    text = text.trimmed();
    struct Unit
    {
        const char *suffix;
        qreal pixels;
    };
    static const Unit units[] = {{"pt", kLayoutDpi / kPointsPerInch}, {"in", kLayoutDpi},
                                 {"cm", kLayoutDpi * 10 / kMillimetresPerInch},
                                 {"mm", kLayoutDpi / kMillimetresPerInch}, {"pc", kLayoutDpi / kPicasPerInch},
                                 {"px", 1}};
    for (const Unit &unit : units) {
        if (text.endsWith(QLatin1String(unit.suffix)))
            return text.chopped(2).toDouble() * unit.pixels;
    }
    return text.toDouble();
}

// The declarations of a VML style attribute ("width:10pt;height:5pt"), by name.
QHash<QString, QString> vmlStyle(pugi::xml_node shape)
{
    QHash<QString, QString> declarations;
    const QString style = QString::fromUtf8(shape.attribute("style").value());
    for (const QString &declaration : style.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
        if (colon > 0)
            declarations.insert(declaration.left(colon).trimmed(), declaration.mid(colon + 1).trimmed());
    }
    return declarations;
}

// A DrawingML colour (a:srgbClr, or the light and dark scheme colours); invalid when it names another.
QColor drawingColor(pugi::xml_node fill)
{
    if (const pugi::xml_node rgb = childElement(fill, "srgbClr", XmlNamespace::DrawingMain))
        return QColor(QLatin1Char('#') + QString::fromLatin1(rgb.attribute("val").value()));
    const char *scheme = childElement(fill, "schemeClr", XmlNamespace::DrawingMain).attribute("val").value();
    if (std::strcmp(scheme, "lt1") == 0 || std::strcmp(scheme, "bg1") == 0)
        return Qt::white;
    if (*scheme)
        return Qt::black; // other scheme colours need the theme; the text's colour stands in
    return QColor();
}

// A VML colour ("#4f81bd", "black [3213]", "red").
QColor vmlColor(const char *value, const QColor &fallback)
{
    const QString text = QString::fromLatin1(value).section(QLatin1Char(' '), 0, 0);
    const QColor color(text);
    return color.isValid() ? color : fallback;
}

TextWrap wrapOf(const char *name)
{
    if (std::strcmp(name, "wrapSquare") == 0 || std::strcmp(name, "wrapTight") == 0
        || std::strcmp(name, "wrapThrough") == 0 || std::strcmp(name, "square") == 0
        || std::strcmp(name, "tight") == 0 || std::strcmp(name, "through") == 0)
        return TextWrap::Square;
    if (std::strcmp(name, "wrapTopAndBottom") == 0 || std::strcmp(name, "topAndBottom") == 0)
        return TextWrap::TopAndBottom;
    return TextWrap::None;
}

AnchorOrigin originOf(const QString &relativeFrom, bool horizontal)
{
    if (relativeFrom == QLatin1String("margin"))
        return AnchorOrigin::Margin;
    if (relativeFrom == QLatin1String("column") || relativeFrom == QLatin1String("paragraph")
        || relativeFrom == QLatin1String("text"))
        return horizontal ? AnchorOrigin::Margin : AnchorOrigin::Paragraph;
    if (relativeFrom == QLatin1String("character") || relativeFrom == QLatin1String("char")
        || relativeFrom == QLatin1String("line"))
        return AnchorOrigin::Character;
    return AnchorOrigin::Page;
}

std::optional<Qt::Alignment> alignmentOf(const QString &align)
{
    if (align == QLatin1String("left") || align == QLatin1String("inside"))
        return Qt::AlignLeft;
    if (align == QLatin1String("right") || align == QLatin1String("outside"))
        return Qt::AlignRight;
    if (align == QLatin1String("center"))
        return Qt::AlignHCenter;
    return std::nullopt;
}

// An EMU attribute without a prefix, in logical pixels.
qreal emuAttribute(pugi::xml_node node, const char *name, qint64 fallback = 0)
{
    const pugi::xml_attribute value = node.attribute(name);
    return emuToPixels(value ? value.as_llong(fallback) : fallback);
}

// The offset (wp:posOffset) or alignment (wp:align) of a wp:positionH or wp:positionV.
void readPosition(pugi::xml_node position, bool horizontal, DrawingPlacement &placement)
{
    if (!position)
        return;
    const AnchorOrigin origin = originOf(QString::fromLatin1(position.attribute("relativeFrom").value()), horizontal);
    const qreal offset = emuToPixels(childElement(position, "posOffset", XmlNamespace::WordDrawing).text().as_llong());
    const QString align = QString::fromLatin1(childElement(position, "align", XmlNamespace::WordDrawing).text().get());
    if (horizontal) {
        placement.horizontalOrigin = origin;
        placement.offset.setX(offset);
        placement.horizontalAlign = alignmentOf(align);
    } else {
        placement.verticalOrigin = origin;
        placement.offset.setY(offset);
    }
}

} // namespace

pugi::xml_node chosenAlternative(pugi::xml_node alternateContent)
{
    for (pugi::xml_node choice = alternateContent.first_child(); choice; choice = choice.next_sibling()) {
        if (!isElement(choice, "Choice", XmlNamespace::MarkupCompatibility))
            continue;
        const QStringList prefixes = QString::fromUtf8(choice.attribute("Requires").value())
                                         .split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const bool known = std::all_of(prefixes.begin(), prefixes.end(), [&](const QString &prefix) {
            const char *uri = namespaceForPrefix(choice, prefix.toStdString());
            return uri && std::any_of(std::begin(kUnderstood), std::end(kUnderstood), [&](XmlNamespace ns) {
                       return std::strcmp(uri, namespaceUri(ns)) == 0;
                   });
        });
        if (known && !prefixes.isEmpty())
            return choice;
    }
    return childElement(alternateContent, "Fallback", XmlNamespace::MarkupCompatibility);
}

DrawingReader::DrawingReader(RelatedParts *related, QString sourcePart)
    : m_related(related)
    , m_sourcePart(std::move(sourcePart))
{
}

std::optional<Drawing> DrawingReader::read(pugi::xml_node item) const
{
    if (isElement(item, "drawing"))
        return readDrawingMl(item);
    if (isElement(item, "pict") || isElement(item, "object"))
        return readVml(item);
    if (isElement(item, "AlternateContent", XmlNamespace::MarkupCompatibility)) {
        const pugi::xml_node chosen = chosenAlternative(item);
        for (pugi::xml_node child = chosen.first_child(); child; child = child.next_sibling()) {
            if (std::optional<Drawing> drawing = read(child))
                return drawing;
        }
    }
    return std::nullopt;
}

std::optional<Drawing> DrawingReader::readDrawingMl(pugi::xml_node drawing) const
{
    pugi::xml_node frame = childElement(drawing, "inline", XmlNamespace::WordDrawing);
    const bool anchored = !frame;
    if (anchored)
        frame = childElement(drawing, "anchor", XmlNamespace::WordDrawing);
    if (!frame)
        return std::nullopt;
    Drawing result;
    const pugi::xml_node extent = childElement(frame, "extent", XmlNamespace::WordDrawing);
    result.size = QSizeF(emuAttribute(extent, "cx"), emuAttribute(extent, "cy"));
    if (anchored) {
        DrawingPlacement &placement = result.placement;
        placement.wrap = TextWrap::None;
        for (pugi::xml_node child = frame.first_child(); child; child = child.next_sibling()) {
            if (isInNamespace(child, XmlNamespace::WordDrawing) && std::strncmp(localName(child.name()), "wrap", 4) == 0)
                placement.wrap = wrapOf(localName(child.name()));
        }
        placement.behindText = frame.attribute("behindDoc").as_bool();
        placement.distance = QMarginsF(emuAttribute(frame, "distL"), emuAttribute(frame, "distT"),
                                       emuAttribute(frame, "distR"), emuAttribute(frame, "distB"));
        readPosition(childElement(frame, "positionH", XmlNamespace::WordDrawing), true, placement);
        readPosition(childElement(frame, "positionV", XmlNamespace::WordDrawing), false, placement);
    }
    const pugi::xml_node graphic = childElement(frame, "graphic", XmlNamespace::DrawingMain);
    readGraphic(childElement(graphic, "graphicData", XmlNamespace::DrawingMain), result);
    return result;
}

// The picture or text box of an a:graphicData; charts, groups and other kinds stay empty frames.
void DrawingReader::readGraphic(pugi::xml_node graphicData, Drawing &drawing) const
{
    if (const pugi::xml_node picture = childElement(graphicData, "pic", XmlNamespace::Picture)) {
        const pugi::xml_node blipFill = childElement(picture, "blipFill", XmlNamespace::Picture);
        const pugi::xml_node blip = childElement(blipFill, "blip", XmlNamespace::DrawingMain);
        drawing.imagePart = relatedPart(attribute(blip, "embed", XmlNamespace::Relationships));
        return;
    }
    const pugi::xml_node shape = childElement(graphicData, "wsp", XmlNamespace::WordShape);
    if (!shape)
        return;
    drawing.textBox = childElement(childElement(shape, "txbx", XmlNamespace::WordShape), "txbxContent");
    const pugi::xml_node body = childElement(shape, "bodyPr", XmlNamespace::WordShape);
    drawing.textInsets = QMarginsF(emuAttribute(body, "lIns", kDefaultSideInsetEmu),
                                   emuAttribute(body, "tIns", kDefaultTopInsetEmu),
                                   emuAttribute(body, "rIns", kDefaultSideInsetEmu),
                                   emuAttribute(body, "bIns", kDefaultTopInsetEmu));
    const pugi::xml_node properties = childElement(shape, "spPr", XmlNamespace::WordShape);
    const pugi::xml_node style = childElement(shape, "style", XmlNamespace::WordShape);
    const pugi::xml_node line = childElement(properties, "ln", XmlNamespace::DrawingMain);
    if (childElement(line, "noFill", XmlNamespace::DrawingMain)) {
        drawing.lineColor = QColor();
    } else if (const pugi::xml_node lineFill = childElement(line, "solidFill", XmlNamespace::DrawingMain)) {
        drawing.lineColor = drawingColor(lineFill);
    } else if (const pugi::xml_node lineReference = childElement(style, "lnRef", XmlNamespace::DrawingMain);
               lineReference.attribute("idx").as_int() > 0) {
        drawing.lineColor = drawingColor(lineReference);
    }
    drawing.lineWidth = emuAttribute(line, "w", kDefaultLineWidthEmu);
    if (const pugi::xml_node fill = childElement(properties, "solidFill", XmlNamespace::DrawingMain))
        drawing.fillColor = drawingColor(fill);
}

// A VML shape in w:pict or w:object: a picture (v:imagedata, an embedded object's stored image), a text box
// (v:textbox) or an empty frame of the shape's size.
std::optional<Drawing> DrawingReader::readVml(pugi::xml_node container) const
{
    pugi::xml_node shape;
    for (pugi::xml_node child = container.first_child(); child && !shape; child = child.next_sibling()) {
        if (isInNamespace(child, XmlNamespace::Vml) && std::strcmp(localName(child.name()), "shapetype") != 0)
            shape = child;
    }
    if (!shape)
        return std::nullopt;
    const QHash<QString, QString> style = vmlStyle(shape);
    Drawing result;
    result.size = QSizeF(vmlLength(style.value(QStringLiteral("width"))), vmlLength(style.value(QStringLiteral("height"))));
    const pugi::xml_node imageData = childElement(shape, "imagedata", XmlNamespace::Vml);
    result.imagePart = relatedPart(attribute(imageData, "id", XmlNamespace::Relationships));
    const pugi::xml_node textBox = childElement(shape, "textbox", XmlNamespace::Vml);
    result.textBox = childElement(textBox, "txbxContent");
    if (textBox) {
        const QStringList inset = QString::fromLatin1(textBox.attribute("inset").value()).split(QLatin1Char(','));
        const auto side = [&](int index, qreal fallback) {
            return index < inset.size() && !inset.at(index).trimmed().isEmpty() ? vmlLength(inset.at(index)) : fallback;
        };
        result.textInsets = QMarginsF(side(0, kDefaultVmlSideInset), side(1, kDefaultVmlTopInset),
                                      side(2, kDefaultVmlSideInset), side(3, kDefaultVmlTopInset));
    }
    // A picture frame draws no outline or fill unless it asks for one; other shapes do unless they refuse.
    const bool picture = bool(imageData);
    if (picture ? shape.attribute("stroked").as_bool() : shape.attribute("stroked").as_bool(true)) {
        result.lineColor = vmlColor(shape.attribute("strokecolor").value(), Qt::black);
        const pugi::xml_attribute weight = shape.attribute("strokeweight");
        result.lineWidth = weight ? vmlLength(QString::fromLatin1(weight.value())) : kDefaultVmlStrokeWidth;
    }
    if (!picture && shape.attribute("filled").as_bool(true))
        result.fillColor = vmlColor(shape.attribute("fillcolor").value(), Qt::white);

    if (style.value(QStringLiteral("position")) == QLatin1String("absolute")) {
        DrawingPlacement &placement = result.placement;
        const pugi::xml_node wrap = childElement(shape, "wrap", XmlNamespace::VmlWord);
        placement.wrap = wrapOf(wrap.attribute("type").value());
        placement.behindText = style.value(QStringLiteral("z-index")).toInt() < 0;
        placement.offset = QPointF(vmlLength(style.value(QStringLiteral("margin-left"))),
                                   vmlLength(style.value(QStringLiteral("margin-top"))));
        placement.horizontalOrigin = originOf(style.value(QStringLiteral("mso-position-horizontal-relative"),
                                                          QStringLiteral("text")), true);
        placement.verticalOrigin = originOf(style.value(QStringLiteral("mso-position-vertical-relative"),
                                                        QStringLiteral("text")), false);
        placement.horizontalAlign = alignmentOf(style.value(QStringLiteral("mso-position-horizontal")));
    }
    return result;
}

QString DrawingReader::relatedPart(pugi::xml_attribute id) const
{
    if (!m_related || !id || !*id.value())
        return QString();
    return m_related->target(m_sourcePart, QString::fromUtf8(id.value()));
}

} // namespace quill
