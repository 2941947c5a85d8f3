#pragma once

#include <QByteArray>
#include <QImage>
#include <QMimeData>
#include <QPicture>

namespace quill {

// The clipboard format that carries a vector page picture (QPicture's own serialisation).
inline constexpr char kPictureMimeType[] = "application/x-quill-picture";
// The raster formats offered beside the vector picture.
inline constexpr char kPngMimeType[] = "image/png";
inline constexpr char kQtImageMimeType[] = "application/x-qt-image";

// Clipboard content holding a vector picture; raster forms are rendered only when someone asks for them.
class PictureMimeData : public QMimeData
{
    Q_OBJECT

public:
    // Holds `picture`; nothing is rendered yet.
    explicit PictureMimeData(const QPicture &picture);

    // The vector picture, kPngMimeType and kQtImageMimeType.
    QStringList formats() const override;
    // True for the formats above.
    bool hasFormat(const QString &mimeType) const override;
    // How many times the raster image has been rendered (0 until someone asks for a raster format).
    int rasterRenderCount() const { return m_rasterRenderCount; }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    const QImage &raster() const;

    QPicture m_picture;
    mutable QImage m_raster;
    mutable QByteArray m_png;
    mutable int m_rasterRenderCount = 0;
};

// Replaces the system clipboard's content with `picture`: the vector picture in kPictureMimeType,
// and a raster image (image/png and the other image formats) rendered only when another program asks for it.
void putPictureOnClipboard(const QPicture &picture);

// Removes any picture from the system clipboard, so a later read cannot find a stale one.
void clearClipboardPicture();

// The serialised form of `picture` (what kPictureMimeType carries).
QByteArray serializePicture(const QPicture &picture);

// Reads a picture serialised by serializePicture; `ok` (when given) tells whether the bytes held one.
QPicture deserializePicture(const QByteArray &bytes, bool *ok = nullptr);

// The vector picture carried by `mimeData`; `ok` (when given) tells whether there was one.
QPicture pictureFromMimeData(const QMimeData *mimeData, bool *ok = nullptr);

// The vector picture on the system clipboard; `ok` (when given) tells whether there was one.
QPicture pictureFromClipboard(bool *ok = nullptr);

// Replays `picture` onto a white image, `scale` image pixels per logical pixel of the picture.
QImage renderPicture(const QPicture &picture, qreal scale = 1.0);

} // namespace quill
