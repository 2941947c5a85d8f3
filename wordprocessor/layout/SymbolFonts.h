#pragma once

#include "WordProperties.h"

#include <QString>

namespace quill {

// The font that draws the symbols of Word's symbol fonts once they are mapped to Unicode (LibreOffice's own).
inline constexpr char kSymbolFontFamily[] = "OpenSymbol";

// Shows text written in the Symbol or Wingdings font as LibreOffice shows it: each character (by its code in
// the font, plain or in the private-use range U+F020..U+F0FF Word writes) becomes the Unicode character the font
// draws there, and `run` takes the font that has them. Private-use characters under any other font are read as
// Symbol's. Other text and fonts are left as they are.
void showSymbolFontText(QString &text, RunProperties &run);

} // namespace quill
