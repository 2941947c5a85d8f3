#include "WindowLook.h"

namespace quill {

namespace {
constexpr double kWindowFontPoints = 9;
constexpr double kButtonFontPoints = 11.25;

// Arial, which fontconfig resolves to Liberation Sans where Arial itself is missing.
QFont boldArial(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}
} // namespace

const QString kFrameStyleSheet = QStringLiteral(
    "QGroupBox { border: 1px solid #a0a0a0; border-radius: 3px; margin-top: 7px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 7px; padding: 0 2px; }");

QFont windowFont()
{
    return boldArial(kWindowFontPoints);
}

QFont buttonFont()
{
    return boldArial(kButtonFontPoints);
}

} // namespace quill
