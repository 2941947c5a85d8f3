#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace quill {

// Picture pixels to a logical pixel that a picture is decoded with at most: the page picture replays every
// picture it draws (and stores it when copied), so more detail costs time on every drawing.
inline constexpr qreal kPictureDetail = 1.5;
// The most pixels one picture is decoded to, whatever size it is drawn at (16 MB at 32 bits a pixel).
inline constexpr qint64 kPicturePixelBudget = 4 * 1024 * 1024;
// The most memory a picture reader may take for one image before it gives up, in megabytes: pictures
// that only decode at full size (PNG, GIF, BMP) and declare more than this are not decoded.
inline constexpr int kPictureAllocationLimitMb = 128;

// Decodes the picture `bytes` (PNG, JPEG, GIF, BMP, by their content) for drawing at `drawnSize` logical pixels:
// at kPictureDetail times that size, never larger than the picture's own, and at most kPicturePixelBudget pixels.
// Null when the bytes are no picture Qt reads, are damaged, or need more memory than allowed.
QImage decodePicture(const QByteArray &bytes, QSizeF drawnSize);

} // namespace quill
