#include "BodyLayout.h"

#include "TextDocumentBuilder.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

namespace quill {

namespace {

// The thin line drawn where one page ends and the next begins.
const QColor kPageSeparatorColor(0xd0, 0xd0, 0xd0);

} // namespace

BodyPicture renderBody(const LayoutSources &sources)
{
    const BuiltDocument built = buildTextDocument(sources);
    QTextDocument *document = built.document.get();

    BodyPicture result;
    result.pageCount = qMax(1, document->pageCount());
    result.pageSize = built.page.pageSize.toSize();
    const qreal pageWidth = result.pageSize.width();
    const qreal pageHeight = result.pageSize.height();

    QPainter painter(&result.picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (int page = 0; page < result.pageCount; ++page)
        painter.fillRect(QRectF(0, page * pageHeight, pageWidth, pageHeight), Qt::white);
    painter.setPen(QPen(kPageSeparatorColor, 0));
    for (int page = 1; page < result.pageCount; ++page)
        painter.drawLine(QPointF(0, page * pageHeight), QPointF(pageWidth, page * pageHeight));

    // The document stacks its pages one page height apart, every line inside its page's text column,
    // so one pass draws every page in place. The layout works in device pixels of its finer resolution.
    painter.scale(1.0 / built.deviceScale, 1.0 / built.deviceScale);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    document->documentLayout()->draw(&painter, context);
    painter.end();

    result.picture.setBoundingRect(QRect(0, 0, result.pageSize.width(), result.pageCount * result.pageSize.height()));
    return result;
}

} // namespace quill
