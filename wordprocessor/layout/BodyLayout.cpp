#include "BodyLayout.h"

#include "PageLayout.h"

#include <QPainter>

namespace quill {

namespace {

// The thin line drawn where one page ends and the next begins.
const QColor kPageSeparatorColor(0xd0, 0xd0, 0xd0);

} // namespace

BodyPicture renderBody(const LayoutSources &sources)
{
    const DocumentPages pages = layOutPages(sources);
    BodyPicture result;
    int top = 0;
    int width = 0;
    for (const Page &page : pages) {
        const QSize size = page.size.toSize();
        result.pageRects.emplace_back(QPoint(0, top), size);
        top += size.height();
        width = qMax(width, size.width());
    }

    QPainter painter(&result.picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (size_t index = 0; index < pages.size(); ++index) {
        const QRect &rect = result.pageRects[index];
        painter.fillRect(rect, Qt::white);
        if (index > 0) {
            painter.setPen(QPen(kPageSeparatorColor, 0));
            painter.drawLine(QPointF(0, rect.top()), QPointF(width, rect.top()));
        }
        painter.save();
        painter.translate(rect.topLeft());
        paintPage(painter, pages[index]);
        painter.restore();
    }
    painter.end();

    result.pageCount = int(pages.size());
    result.pageSize = result.pageRects.front().size();
    result.picture.setBoundingRect(QRect(0, 0, width, top));
    return result;
}

} // namespace quill
