#include "Pictures.h"

#include "BodyLayout.h"
#include "LayoutUnits.h"
#include "PictureDecoding.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrameFormat>
#include <QTextObjectInterface>
#include <QUrl>
#include <QtMath>

namespace quill {

namespace {

// Text boxes inside text boxes are laid out this deep; deeper ones are drawn as empty frames.
constexpr int kMaxTextBoxDepth = 3;
// A check box's outline, in logical pixels (LibreOffice draws it one pixel wide).
constexpr qreal kCheckBoxLineWidth = 1;
// Prefix of the names under which pictures are handed to a document as image resources.
constexpr char kPictureScheme[] = "quill-picture";

thread_local int t_textBoxDepth = 0;

QSizeF toDevice(QSizeF logical)
{
    return logical * kLayoutOversampling;
}

QPointF toDevice(QPointF logical)
{
    return logical * kLayoutOversampling;
}

qreal toDevice(qreal logical)
{
    return logical * kLayoutOversampling;
}

} // namespace

// One object the text shows.
struct ObjectEntry
{
    bool isCheckBox = false;
    bool checked = false;
    Drawing drawing;
    QString image;                          // the resource holding its picture; empty for none
    std::shared_ptr<QTextDocument> textBox; // its text, laid out
    QSizeF intrinsicSize;                   // the room it takes in its line, in device pixels
    QRectF box;                             // where it is drawn within that room, in device pixels
};

struct ObjectTable
{
    std::vector<ObjectEntry> entries;
    QHash<QString, QImage> images; // by resource name
};

namespace {

// Draws the embedded objects of a document: registered with its layout for image objects, owned by it.
class ObjectHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    ObjectHandler(std::shared_ptr<const ObjectTable> table, const PageSetup &page, QObject *parent)
        : QObject(parent)
        , m_table(std::move(table))
        , m_page(page)
    {
    }

    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override
    {
        const ObjectEntry *entry = this->entry(format);
        return entry ? entry->intrinsicSize : QSizeF();
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *document, int position,
                    const QTextFormat &format) override
    {
        const ObjectEntry *entry = this->entry(format);
        if (!entry)
            return;
        if (entry->isCheckBox) {
            drawCheckBox(painter, entry->box.translated(rect.topLeft()), entry->checked);
            return;
        }
        const bool positioned = entry->drawing.placement.wrap == TextWrap::None;
        const QRectF box = positioned ? positionedBox(*entry, rect, document, position) : entry->box.translated(rect.topLeft());
        drawDrawing(painter, box, *entry, document);
    }

private:
    const ObjectEntry *entry(const QTextFormat &format) const
    {
        const int index = format.intProperty(EmbeddedObjectIndexProperty);
        return format.hasProperty(EmbeddedObjectIndexProperty) && index >= 0 && size_t(index) < m_table->entries.size()
            ? &m_table->entries[size_t(index)] : nullptr;
    }

    // Where a drawing that moves no text stands on the page of its anchor, whose object sits at `rect`.
    QRectF positionedBox(const ObjectEntry &entry, const QRectF &rect, QTextDocument *document, int position) const
    {
        const DrawingPlacement &placement = entry.drawing.placement;
        const QSizeF size = toDevice(entry.drawing.size);
        const qreal pageHeight = document->pageSize().height();
        const qreal pageTop = pageHeight > 0 ? qFloor(rect.top() / pageHeight) * pageHeight : 0;
        const QPointF offset = toDevice(placement.offset);
        qreal left = 0;
        qreal width = toDevice(m_page.pageSize.width());
        if (placement.horizontalOrigin == AnchorOrigin::Character) {
            left = rect.left();
        } else if (placement.horizontalOrigin == AnchorOrigin::Margin) {
            left = toDevice(m_page.margins.left());
            width -= left + toDevice(m_page.margins.right());
        }
        qreal x = left + offset.x();
        if (placement.horizontalAlign)
            x = *placement.horizontalAlign == Qt::AlignLeft ? left
                : *placement.horizontalAlign == Qt::AlignRight ? left + width - size.width()
                                                               : left + (width - size.width()) / 2;
        qreal top = pageTop;
        if (placement.verticalOrigin == AnchorOrigin::Margin) {
            top += toDevice(m_page.margins.top());
        } else if (placement.verticalOrigin == AnchorOrigin::Paragraph) {
            const QTextBlock block = document->findBlock(position);
            top = document->documentLayout()->blockBoundingRect(block).top() + block.blockFormat().topMargin();
        } else if (placement.verticalOrigin == AnchorOrigin::Character) {
            top = rect.top();
        }
        return QRectF(QPointF(x, top + offset.y()), size);
    }

    void drawDrawing(QPainter *painter, const QRectF &box, const ObjectEntry &entry, QTextDocument *document) const
    {
        const Drawing &drawing = entry.drawing;
        if (drawing.fillColor.isValid())
            painter->fillRect(box, drawing.fillColor);
        if (!entry.image.isEmpty()) {
            const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(entry.image));
            if (image.canConvert<QImage>()) {
                painter->save();
                painter->setRenderHint(QPainter::SmoothPixmapTransform);
                painter->drawImage(box, image.value<QImage>());
                painter->restore();
            }
        }
        if (entry.textBox) {
            painter->save();
            painter->setClipRect(box, Qt::IntersectClip);
            painter->translate(box.topLeft());
            QAbstractTextDocumentLayout::PaintContext context;
            context.palette.setColor(QPalette::Text, Qt::black);
            entry.textBox->documentLayout()->draw(painter, context);
            painter->restore();
        }
        if (drawing.lineColor.isValid() && drawing.lineWidth > 0) {
            const qreal width = toDevice(drawing.lineWidth);
            painter->save();
            painter->setPen(QPen(drawing.lineColor, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(box);
            painter->restore();
        }
    }

    // A box as tall as the text's ascent and descent with a thin outline; a cross marks it checked.
    static void drawCheckBox(QPainter *painter, const QRectF &box, bool checked)
    {
        const qreal width = toDevice(kCheckBoxLineWidth);
        const QRectF outline = box.adjusted(width / 2, width / 2, -width / 2, -width / 2);
        painter->save();
        painter->setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(outline);
        if (checked) {
            painter->drawLine(outline.topLeft(), outline.bottomRight());
            painter->drawLine(outline.topRight(), outline.bottomLeft());
        }
        painter->restore();
    }

    std::shared_ptr<const ObjectTable> m_table;
    PageSetup m_page;
};

// The text column's width on pages set up as `page`, in logical pixels.
qreal columnWidth(const PageSetup &page)
{
    return qMax<qreal>(0, page.pageSize.width() - page.margins.left() - page.margins.right());
}

// The horizontal place of an anchored drawing in the text column, in logical pixels from its left edge.
qreal columnOffset(const Drawing &drawing, const PageSetup &page)
{
    const DrawingPlacement &placement = drawing.placement;
    const qreal free = columnWidth(page) - drawing.size.width();
    if (placement.horizontalAlign)
        return *placement.horizontalAlign == Qt::AlignLeft ? 0 : *placement.horizontalAlign == Qt::AlignRight ? free : free / 2;
    const qreal offset = placement.horizontalOrigin == AnchorOrigin::Page ? placement.offset.x() - page.margins.left()
                                                                          : placement.offset.x();
    return qBound<qreal>(0, offset, qMax<qreal>(0, free));
}

// True when text flows on the left of a drawing: it stands in the column's right half.
bool floatsRight(const Drawing &drawing, const PageSetup &page)
{
    return columnOffset(drawing, page) + drawing.size.width() / 2 > columnWidth(page) / 2;
}

// The room a drawing takes in its line and where in that room it is drawn (device pixels), by its wrap.
void placeDrawing(ObjectEntry &entry, const PageSetup &page)
{
    const Drawing &drawing = entry.drawing;
    const DrawingPlacement &placement = drawing.placement;
    const QSizeF size = toDevice(drawing.size);
    // Below its anchor paragraph's top; offsets from the page or margin cannot be known while the text is built.
    const qreal down = placement.verticalOrigin == AnchorOrigin::Paragraph
                           || placement.verticalOrigin == AnchorOrigin::Character
                       ? toDevice(qMax<qreal>(0, placement.offset.y())) : 0;
    switch (placement.wrap) {
    case TextWrap::Inline:
        entry.intrinsicSize = size;
        entry.box = QRectF(QPointF(), size);
        break;
    case TextWrap::None:
        entry.intrinsicSize = QSizeF(0, 0);
        break;
    case TextWrap::Square: {
        // A float reaches from the column's edge on its side to the drawing, and keeps text its distance away.
        const qreal across = toDevice(columnOffset(drawing, page));
        const qreal toEdge = qMax<qreal>(0, toDevice(columnWidth(page)) - across - size.width());
        const qreal height = down + size.height() + toDevice(placement.distance.bottom());
        if (floatsRight(drawing, page)) {
            const qreal distance = toDevice(placement.distance.left());
            entry.intrinsicSize = QSizeF(distance + size.width() + toEdge, height);
            entry.box = QRectF(QPointF(distance, down), size);
        } else {
            entry.intrinsicSize = QSizeF(across + size.width() + toDevice(placement.distance.right()), height);
            entry.box = QRectF(QPointF(across, down), size);
        }
        break;
    }
    case TextWrap::TopAndBottom: {
        const qreal across = toDevice(columnOffset(drawing, page));
        const qreal top = toDevice(placement.distance.top()) + down;
        entry.intrinsicSize = QSizeF(qMax(toDevice(columnWidth(page)), across + size.width()),
                                     top + size.height() + toDevice(placement.distance.bottom()));
        entry.box = QRectF(QPointF(across, top), size);
        break;
    }
    }
}

} // namespace

EmbeddedObjects::EmbeddedObjects(RelatedParts *related, const QString &sourcePart, const PageSetup &page,
                                 TextBoxBuilder buildTextBox, const pugi::xml_document *settings)
    : m_reader(related, sourcePart)
    , m_related(related)
    , m_page(page)
    , m_buildTextBox(std::move(buildTextBox))
    , m_table(std::make_shared<ObjectTable>())
    , m_notes(settings)
{
}

EmbeddedObjects::~EmbeddedObjects() = default;

std::optional<TextPiece> EmbeddedObjects::drawingPiece(pugi::xml_node item, const QTextCharFormat &textFormat)
{
    if (std::optional<TextPiece> mark = m_notes.referencePiece(item, textFormat))
        return mark;
    std::optional<Drawing> drawing = m_reader.read(item);
    if (!drawing || drawing->size.width() < 0 || drawing->size.height() < 0)
        return std::nullopt;
    ObjectEntry entry;
    entry.drawing = *drawing;
    placeDrawing(entry, m_page);
    if (!drawing->imagePart.isEmpty())
        entry.image = pictureResource(drawing->imagePart, drawing->size);
    if (drawing->textBox && m_buildTextBox && t_textBoxDepth < kMaxTextBoxDepth) {
        ++t_textBoxDepth;
        PageSetup box{drawing->size, drawing->textInsets};
        entry.textBox = m_buildTextBox(drawing->textBox, box);
        --t_textBoxDepth;
    }
    const TextWrap wrap = drawing->placement.wrap;
    const bool raisesLine = wrap == TextWrap::Inline || wrap == TextWrap::TopAndBottom;
    m_table->entries.push_back(std::move(entry));
    TextPiece piece = objectPiece(textFormat, int(m_table->entries.size() - 1), raisesLine);
    if (wrap == TextWrap::Inline)
        piece.format.setProperty(InlineWidthProperty, drawing->size.width());
    if (wrap == TextWrap::Square) {
        piece.format.setProperty(FloatPositionProperty, floatsRight(*drawing, m_page) ? QTextFrameFormat::FloatRight
                                                                                      : QTextFrameFormat::FloatLeft);
    }
    return piece;
}

TextPiece EmbeddedObjects::checkBoxPiece(bool checked, const QTextCharFormat &textFormat)
{
    const QFontMetricsF metrics(textFormat.font(), layoutPaintDevice());
    const qreal side = metrics.ascent() + metrics.descent();
    ObjectEntry entry;
    entry.isCheckBox = true;
    entry.checked = checked;
    // It stands on the baseline as tall as the ascent and reaches down through the descent, so that the
    // line keeps the height of its text.
    entry.intrinsicSize = QSizeF(side, metrics.ascent());
    entry.box = QRectF(0, 0, side, side);
    m_table->entries.push_back(std::move(entry));
    return objectPiece(textFormat, int(m_table->entries.size() - 1), false);
}

// An object piece in the text's format (so that its line keeps the text's metrics) for entry `index`.
TextPiece EmbeddedObjects::objectPiece(const QTextCharFormat &textFormat, int index, bool raisesLine) const
{
    QTextImageFormat format;
    format.merge(textFormat);
    format.setObjectType(QTextFormat::ImageObject);
    format.setProperty(EmbeddedObjectIndexProperty, index);
    const ObjectEntry &entry = m_table->entries[size_t(index)];
    if (!entry.image.isEmpty())
        format.setName(entry.image);
    if (raisesLine)
        format.setProperty(RaisesLineProperty, true);
    return TextPiece{QString(QChar::ObjectReplacementCharacter), format};
}

// The resource name of picture part `part` decoded for drawing at `size` logical pixels, decoding it once;
// empty when it cannot be decoded (the drawing is then an empty frame).
QString EmbeddedObjects::pictureResource(const QString &part, QSizeF size)
{
    const QString name = QStringLiteral("%1:%2@%3x%4").arg(QLatin1String(kPictureScheme), part)
                             .arg(qRound(size.width())).arg(qRound(size.height()));
    auto known = m_table->images.constFind(name);
    if (known == m_table->images.constEnd())
        known = m_table->images.insert(name, m_related ? decodePicture(m_related->data(part), size) : QImage());
    return known->isNull() ? QString() : name;
}

void EmbeddedObjects::attach(QTextDocument &document) const
{
    auto *handler = new ObjectHandler(m_table, m_page, &document);
    document.documentLayout()->registerHandler(QTextFormat::ImageObject, handler);
    for (auto image = m_table->images.constBegin(); image != m_table->images.constEnd(); ++image) {
        if (!image->isNull())
            document.addResource(QTextDocument::ImageResource, QUrl(image.key()), *image);
    }
}

void insertPiece(QTextCursor &cursor, const TextPiece &piece)
{
    if (!piece.format.isImageFormat()) {
        cursor.insertText(piece.text, piece.format);
        return;
    }
    const QTextImageFormat format = piece.format.toImageFormat();
    if (format.hasProperty(FloatPositionProperty))
        cursor.insertImage(format, QTextFrameFormat::Position(format.intProperty(FloatPositionProperty)));
    else
        cursor.insertImage(format);
}

} // namespace quill

#include "Pictures.moc"
