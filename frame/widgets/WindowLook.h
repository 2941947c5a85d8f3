#pragma once

#include <QFont>
#include <QString>

namespace quill {

// The font of both windows and of their fields, labels and frames: Arial 9 pt bold.
QFont windowFont();
// The font of the push buttons: Arial 11.25 pt bold.
QFont buttonFont();
// Frames drawn as a line with the caption standing on it. A skin replaces this with its own look.
extern const QString kFrameStyleSheet;

} // namespace quill
