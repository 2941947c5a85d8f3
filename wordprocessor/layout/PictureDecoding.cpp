#include "PictureDecoding.h"

#include <QBuffer>
#include <QImageReader>
#include <QtMath>

namespace quill {

namespace {

// The formats a document's pictures come in that Qt decodes; EMF and WMF are not among them.
const QByteArray kPictureFormats[] = {"png", "jpeg", "jpg", "gif", "bmp"};

// The size to decode a picture of `native` size to, for drawing at `drawn`.
QSize decodedSize(QSize native, QSize drawn)
{
    QSize target = drawn.boundedTo(native).expandedTo(QSize(1, 1));
    const qint64 pixels = qint64(target.width()) * target.height();
    if (pixels > kPicturePixelBudget) {
        const qreal shrink = qSqrt(qreal(kPicturePixelBudget) / pixels);
        target = QSize(qMax(1, qFloor(target.width() * shrink)), qMax(1, qFloor(target.height() * shrink)));
    }
    return target;
}

} // namespace

QImage decodePicture(const QByteArray &bytes, QSizeF drawnSize)
{
    const QSize detailed = (drawnSize * kPictureDetail).toSize();
    if (bytes.isEmpty() || detailed.isEmpty())
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(kPictureAllocationLimitMb);
    const QByteArray format = reader.format();
    if (std::find(std::begin(kPictureFormats), std::end(kPictureFormats), format) == std::end(kPictureFormats))
        return QImage();
    const QSize native = reader.size();
    if (native.isEmpty())
        return QImage();
    const QSize target = decodedSize(native, detailed);
    if (target != native)
        reader.setScaledSize(target);
    QImage image = reader.read();
    // A picture that decodes larger than asked (a reader that ignores the scaled size) is scaled down here.
    if (!image.isNull() && image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

} // namespace quill
