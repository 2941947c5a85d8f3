#pragma once

#include <QtGlobal>

class QFont;
class QFontMetricsF;

namespace quill {

// The space LibreOffice leaves between single-spaced lines of `font` beyond its ascent and descent, in the
// pixels of `metrics` (the font's metrics on the layout device). Qt takes the font's whole line gap (hhea);
// LibreOffice, measuring lines as Word does from the font's Windows ascent and descent, keeps only the part
// of that gap the Windows metrics do not already cover (none for Carlito, all of it for Liberation Serif).
qreal officeLeading(const QFont &font, const QFontMetricsF &metrics);

} // namespace quill
