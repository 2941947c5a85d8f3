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
    QAbstractTextDocumentLayout *layout = document->documentLayout();

    BodyPicture result;
    result.pageSize = built.page.pageSize.toSize();
    result.pageCount = qMax(1, document->pageCount());
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

    // The document already stacks its pages one page height apart; draw each through its own clip
    // so that nothing spills into another page's margin.
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);
    for (int page = 0; page < result.pageCount; ++page) {
        const QRectF pageRect(0, page * pageHeight, pageWidth, pageHeight);
        painter.save();
        painter.setClipRect(pageRect);
        context.clip = pageRect;
        layout->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    result.picture.setBoundingRect(QRect(QPoint(0, 0), QSize(result.pageSize.width(),
                                                             result.pageCount * result.pageSize.height())));
    return result;
}

} // namespace quill
