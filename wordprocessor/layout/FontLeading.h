#pragma once

#include <QtGlobal>

class QFont;
class QPaintDevice;

namespace quill {

// The leading that Word and LibreOffice put below each line of `font`, in pixels of `device`: the font's line
// gap (hhea) less what its Windows ascent and descent (OS/2) already reach beyond its typographic ones. For a
// font without those tables, the leading Qt reads.
qreal lineLeading(const QFont &font, const QPaintDevice *device);

} // namespace quill
