#include "PictureBox.h"
#include "Error.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <sys/mman.h>
#include <unistd.h>

namespace quill {

namespace {

// Opaque pixels: the surface is always cleared to its background colour before anything is drawn.
constexpr QImage::Format kSurfaceFormat = QImage::Format_RGB32;
constexpr int kBytesPerPixel = 4;
// The store is a plain image of this many pixels a line; only its memory is used.
constexpr int kStoreWidth = 1024;
constexpr qsizetype kStoreBytesPerLine = qsizetype(kStoreWidth) * kBytesPerPixel;

void drawAtOwnSize(QPainter &painter, const Picture &picture)
{
    const QRectF extent(QPointF(0, 0), QSizeF(picture.size()));
    picture.draw(painter, extent, extent);
}

void setSmoothRendering(QPainter &painter)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
}

} // namespace

void PictureBox::reserveStore(qsizetype bytes)
{
    if (m_store.sizeInBytes() >= bytes)
        return;
    // Grown to twice what is asked, so that the zoom steps that follow fit in memory already
    // mapped; the part never drawn on is never touched and costs no memory.
    const qsizetype capacity = qMax(bytes, 2 * m_store.sizeInBytes());
    m_surface = QImage();
    m_store = QImage();
    m_store = QImage(kStoreWidth, int((capacity + kStoreBytesPerLine - 1) / kStoreBytesPerLine), kSurfaceFormat);
    if (m_store.isNull())
        return;
    // Large pages cut the faults of a surface's first drawing by a factor of 512 where the system
    // offers them on request.
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    const auto start = uintptr_t(m_store.constBits()) & ~(page - 1);
    ::madvise(reinterpret_cast<void *>(start), size_t(uintptr_t(m_store.constBits()) + size_t(m_store.sizeInBytes()) - start),
              MADV_HUGEPAGE);
}

QImage PictureBox::blankSurface(const QSize &size, qreal ratio)
{
    const QSize pixels = (QSizeF(size) * ratio).toSize();
    if (pixels.isEmpty())
        return QImage();
    const qsizetype bytesPerLine = qsizetype(pixels.width()) * kBytesPerPixel;
    reserveStore(bytesPerLine * pixels.height());
    if (m_store.sizeInBytes() < bytesPerLine * pixels.height())
        return QImage();
    QImage surface(m_store.bits(), pixels.width(), pixels.height(), bytesPerLine, kSurfaceFormat);
    surface.setDevicePixelRatio(ratio);
    surface.fill(m_background);
    return surface;
}

PictureBox::PictureBox(QWidget *parent)
    : QFrame(parent)
{
    // The frame and the surface cover every pixel: nothing needs clearing before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(const Picture &picture)
{
    m_picture = picture;
    clearSurface();
    if (m_autoSize)
        fitToPicture();
}

void PictureBox::removePicture()
{
    m_picture = Picture();
    clearSurface();
}

void PictureBox::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        fitToPicture();
}

void PictureBox::setBackgroundColour(const QColor &colour)
{
    m_background = colour;
    clearSurface();
}

void PictureBox::paintPicture(const Picture &picture, const QRectF &target, const QRectF &source)
{
    if (picture.isNull())
        throw Error(Status::InvalidPicture, QStringLiteral("Invalid picture"));
    ensureSurface();
    if (m_surface.isNull())
        throw Error(Status::OutOfMemory, QStringLiteral("Out of memory"));
    QPainter painter(&m_surface);
    setSmoothRendering(painter);
    picture.draw(painter, target, source);
    painter.end();
    update();
}

const QImage &PictureBox::surface()
{
    ensureSurface();
    return m_surface;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    const QRect inner = contentsRect();
    const QRect exposed = event->rect() & inner;
    if (exposed.isEmpty())
        return;
    ensureSurface();

    QPainter painter(this);
    if (m_surface.isNull()) {
        // No surface could be allocated for a huge picture: show it straight from the picture.
        painter.fillRect(exposed, m_background);
        if (!m_picture.isNull()) {
            painter.setClipRect(exposed);
            painter.translate(inner.topLeft());
            setSmoothRendering(painter);
            drawAtOwnSize(painter, m_picture);
        }
        return;
    }
    const qreal ratio = m_surface.devicePixelRatio();
    const QRectF source(QPointF(exposed.topLeft() - inner.topLeft()) * ratio, QSizeF(exposed.size()) * ratio);
    painter.drawImage(QRectF(exposed), m_surface, source);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    if (m_surface.isNull())
        return;
    // The surface grows or shrinks with the box and keeps what was painted on it; the old pixels
    // are copied out first, as the new surface lives in the same memory.
    const QImage old = m_surface.copy();
    m_surface = blankSurface(contentsRect().size(), old.devicePixelRatio());
    if (m_surface.isNull())
        return;
    QPainter painter(&m_surface);
    painter.drawImage(QPointF(0, 0), old);
}

void PictureBox::clearSurface()
{
    // Dropped rather than filled: the next paint or drawing makes it afresh, cleared and with the picture.
    m_surface = QImage();
    update();
}

void PictureBox::ensureSurface()
{
    const QSize inner = contentsRect().size();
    if (!m_surface.isNull() || inner.isEmpty())
        return;
    m_surface = blankSurface(inner, devicePixelRatioF());
    if (m_surface.isNull() || m_picture.isNull())
        return;
    QPainter painter(&m_surface);
    setSmoothRendering(painter);
    drawAtOwnSize(painter, m_picture);
}

void PictureBox::fitToPicture()
{
    if (m_picture.isNull())
        return;
    const int border = 2 * frameWidth();
    resize(m_picture.size() + QSize(border, border));
}

} // namespace quill
