#include "BodyLayout.h"

#include "LayoutUnits.h"
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
    BodyPicture result;
    QPainter painter(&result.picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, Qt::black);

    // Each run is drawn as soon as it is laid out and then let go, so that only one run's layout is held at a
    // time. A run's document stacks its pages one page height apart, every line inside its page's text column,
    // so one pass draws them in place, after their white sheets and the lines between pages.
    const PageSetup page = layOutBody(sources, [&](const PageSetup &setup, PageRun &run) {
        const qreal pageWidth = setup.pageSize.width();
        const qreal pageHeight = setup.pageSize.height();
        const int endPage = run.firstPage + run.pageCount();
        for (int index = run.firstPage; index < endPage; ++index)
            painter.fillRect(QRectF(0, index * pageHeight, pageWidth, pageHeight), Qt::white);
        painter.setPen(QPen(kPageSeparatorColor, 0));
        for (int index = qMax(1, run.firstPage); index < endPage; ++index)
            painter.drawLine(QPointF(0, index * pageHeight), QPointF(pageWidth, index * pageHeight));

        painter.save();
        painter.translate(0, run.firstPage * pageHeight);
        // The layout works in device pixels of its finer resolution.
        painter.scale(1.0 / kLayoutOversampling, 1.0 / kLayoutOversampling);
        run.document->documentLayout()->draw(&painter, context);
        painter.restore();
        result.pageCount = endPage;
    });
    painter.end();

    result.pageSize = page.pageSize.toSize();
    result.picture.setBoundingRect(QRect(0, 0, result.pageSize.width(), result.pageCount * result.pageSize.height()));
    return result;
}

} // namespace quill
