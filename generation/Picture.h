#pragma once

#include <QImage>
#include <QPicture>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;

namespace quill {

// A picture as the windows handle it: a vector picture (recorded paint commands, crisp at any
// size) or a raster image. Sizes and rectangles are in logical pixels.
class Picture
{
public:
    // No picture.
    Picture() = default;
    // A vector picture; its bounding rectangle is its extent.
    explicit Picture(const QPicture &picture);
    // A raster image.
    explicit Picture(const QImage &image);

    // True when there is no picture.
    bool isNull() const;
    // True for a vector picture.
    bool isVector() const { return m_isVector; }
    // The picture's size in logical pixels.
    QSize size() const;
    // Paints the part `source` of the picture stretched onto `target`.
    void draw(QPainter &painter, const QRectF &target, const QRectF &source) const;
    // Writes the picture to `path` (a vector picture in Qt's picture format, a raster as BMP),
    // replacing any file there. Throws Error when it cannot.
    void save(const QString &path) const;
    // Reads a picture file, deciding its kind by its content, not its name. Throws Error when it cannot.
    static Picture load(const QString &path);

private:
    QPicture m_vector;
    QImage m_raster;
    bool m_isVector = false;
};

} // namespace quill
