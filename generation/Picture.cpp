#include "Picture.h"
#include "Error.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QSaveFile>

namespace quill {

namespace {
// Qt's picture format starts with these bytes.
const QByteArray kPictureMagic = QByteArrayLiteral("QPIC");

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}
} // namespace

Picture::Picture(const QPicture &picture)
    : m_vector(picture)
    , m_isVector(true)
{
}

Picture::Picture(const QImage &image)
    : m_raster(image)
{
}

bool Picture::isNull() const
{
    return m_isVector ? m_vector.isNull() : m_raster.isNull();
}

QSize Picture::size() const
{
    if (m_isVector)
        return m_vector.boundingRect().size();
    return m_raster.deviceIndependentSize().toSize();
}

void Picture::draw(QPainter &painter, const QRectF &target, const QRectF &source) const
{
    if (isNull())
        throw Error(Status::InvalidPicture, QStringLiteral("Invalid picture"));
    if (!m_isVector) {
        const qreal ratio = m_raster.devicePixelRatio();
        const QRectF sourcePixels(source.topLeft() * ratio, source.size() * ratio);
        painter.drawImage(target, m_raster, sourcePixels);
        return;
    }
    painter.save();
    painter.setClipRect(target, Qt::IntersectClip);
    painter.translate(target.topLeft());
    painter.scale(target.width() / source.width(), target.height() / source.height());
    painter.translate(-source.topLeft());
    painter.drawPicture(QPointF(0, 0), m_vector);
    painter.restore();
}

void Picture::save(const QString &path) const
{
    if (isNull())
        throw Error(Status::InvalidPicture, QStringLiteral("Invalid picture"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(Status::FileUnwritable, QStringLiteral("Cannot write the picture %1: %2").arg(nativePath(path), file.errorString()));
    QPicture vector = m_vector; // QPicture::save is not const; the copy shares the data
    const bool written = m_isVector ? vector.save(&file) : m_raster.save(&file, "BMP");
    if (!written || !file.commit())
        throw Error(Status::FileUnwritable, QStringLiteral("Cannot write the picture %1: %2").arg(nativePath(path), file.errorString()));
}

Picture Picture::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(Status::FileNotFound, QStringLiteral("File not found: %1").arg(nativePath(path)));
    if (file.peek(kPictureMagic.size()) == kPictureMagic) {
        QPicture picture;
        if (!picture.load(&file))
            throw Error(Status::InvalidPicture, QStringLiteral("Invalid picture: %1").arg(nativePath(path)));
        return Picture(picture);
    }
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw Error(Status::InvalidPicture, QStringLiteral("Invalid picture: %1 (%2)").arg(nativePath(path), reader.errorString()));
    return Picture(image);
}

} // namespace quill
