#pragma once

#include <QPicture>

namespace quill {

// The clipboard format that carries a vector page picture (QPicture's own serialisation).
inline constexpr char kPictureMimeType[] = "application/x-quill-picture";

// Replaces the system clipboard's content with `picture`: the vector picture in kPictureMimeType,
// and a raster image (image/png and the other image formats) rendered only when another program asks for it.
void putPictureOnClipboard(const QPicture &picture);

// Removes any picture from the system clipboard, so a later read cannot find a stale one.
void clearClipboardPicture();

} // namespace quill
