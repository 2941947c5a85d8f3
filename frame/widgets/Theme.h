#pragma once

#include <QString>

class QWidget;

namespace quill {

class Skin;

// The skin file's path below the program's folder.
inline const QString kSkinFile = QStringLiteral("x/o.cjs");

// Applies the optional skin to the main window: when the skin file lies beside the program,
// the window, its frames, labels and picture boxes take the button-face colour, and `skin`
// loads the file and is applied to the window. Without the file nothing changes.
// Throws Error when the skin cannot be loaded or applied (the recolouring stays).
void applyThemeToMainWindow(QWidget *window, Skin &skin, const QString &programFolder);

// Gives `window` and its frames and labels the button-face colour (no skin).
void applyColouring(QWidget *window);

} // namespace quill
