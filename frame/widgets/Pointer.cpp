#include "Pointer.h"
#include "Error.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

namespace quill {

namespace {
// In a cursor file the first directory entry holds the hot spot at this byte offset: x, then y,
// each little-endian 16 bit.
constexpr int kHotSpotXOffset = 10;
constexpr int kDirectoryEnd = 14;
} // namespace

WindowPointer::WindowPointer(QWidget *window)
    : m_window(window)
{
}

void WindowPointer::setValue(int value)
{
    m_value = value;
    m_window->setCursor(cursor());
}

void WindowPointer::follow(int value)
{
    if (m_value != Hourglass)
        setValue(value);
}

void WindowPointer::setCustomImage(const QCursor &cursor)
{
    m_custom = cursor;
    m_hasCustomImage = true;
    if (m_value == Custom)
        m_window->setCursor(this->cursor());
}

QCursor WindowPointer::cursor() const
{
    switch (m_value) {
    case Hourglass:
        return QCursor(Qt::WaitCursor);
    case Custom:
        return m_hasCustomImage ? m_custom : QCursor(Qt::ArrowCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

QCursor loadCursorFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(Status::FileUnreadable, QStringLiteral("The pointer %1 could not be read: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    file.close();

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw Error(Status::InvalidPicture, QStringLiteral("The pointer %1 is not a picture: %2").arg(QDir::toNativeSeparators(path), reader.errorString()));

    int hotX = -1;
    int hotY = -1;
    if (bytes.size() >= kDirectoryEnd) {
        QDataStream stream(bytes);
        stream.setByteOrder(QDataStream::LittleEndian);
        stream.skipRawData(kHotSpotXOffset);
        quint16 x = 0;
        quint16 y = 0;
        stream >> x >> y;
        hotX = x;
        hotY = y;
        if (hotX >= image.width() || hotY >= image.height())
            hotX = hotY = -1;
    }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

} // namespace quill
