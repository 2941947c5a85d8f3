#include "ClipboardPicture.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>

namespace quill {

PictureMimeData::PictureMimeData(const QPicture &picture)
    : m_picture(picture)
{
}

QStringList PictureMimeData::formats() const
{
    return {QString::fromLatin1(kPictureMimeType), QString::fromLatin1(kPngMimeType),
            QString::fromLatin1(kQtImageMimeType)};
}

bool PictureMimeData::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant PictureMimeData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType == QLatin1String(kPictureMimeType))
        return serializePicture(m_picture);
    if (mimeType == QLatin1String(kPngMimeType)) {
        if (m_png.isEmpty()) {
            QBuffer buffer(&m_png);
            buffer.open(QIODevice::WriteOnly);
            raster().save(&buffer, "PNG");
        }
        return m_png;
    }
    if (mimeType == QLatin1String(kQtImageMimeType)) {
        if (type.id() == QMetaType::QByteArray)
            return retrieveData(QString::fromLatin1(kPngMimeType), type);
        return raster();
    }
    return QMimeData::retrieveData(mimeType, type);
}

const QImage &PictureMimeData::raster() const
{
    if (m_raster.isNull()) {
        m_raster = renderPicture(m_picture);
        ++m_rasterRenderCount;
    }
    return m_raster;
}

void putPictureOnClipboard(const QPicture &picture)
{
    QGuiApplication::clipboard()->setMimeData(new PictureMimeData(picture));
}

void clearClipboardPicture()
{
    QGuiApplication::clipboard()->clear();
}

QByteArray serializePicture(const QPicture &picture)
{
    return QByteArray(picture.data(), static_cast<qsizetype>(picture.size()));
}

QPicture deserializePicture(const QByteArray &bytes, bool *ok)
{
    QPicture picture;
    bool read = false;
    if (!bytes.isEmpty()) {
        picture.setData(bytes.constData(), static_cast<uint>(bytes.size()));
        // setData accepts anything; asking for the extent checks the header and checksum
        // without replaying the whole picture.
        read = !picture.boundingRect().isEmpty();
    }
    if (ok)
        *ok = read;
    return read ? picture : QPicture();
}

QPicture pictureFromMimeData(const QMimeData *mimeData, bool *ok)
{
    if (!mimeData || !mimeData->hasFormat(QString::fromLatin1(kPictureMimeType))) {
        if (ok)
            *ok = false;
        return QPicture();
    }
    return deserializePicture(mimeData->data(QString::fromLatin1(kPictureMimeType)), ok);
}

QPicture pictureFromClipboard(bool *ok)
{
    return pictureFromMimeData(QGuiApplication::clipboard()->mimeData(), ok);
}

QImage renderPicture(const QPicture &picture, qreal scale)
{
    const QRect bounds = picture.boundingRect();
    const QSize size(qCeil(bounds.right() + 1) * scale, qCeil(bounds.bottom() + 1) * scale);
    if (size.isEmpty())
        return QImage();
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
    return image;
}

} // namespace quill
