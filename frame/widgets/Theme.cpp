#include "Theme.h"
#include "FileHelpers.h"
#include "Skin.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

namespace quill {

namespace {

// The first option flag the skin is told to switch on.
constexpr quint32 kSkinOptionBit = 1;

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

bool isFrameOrCaption(const QWidget *widget)
{
    return qobject_cast<const QGroupBox *>(widget) || qobject_cast<const QLabel *>(widget)
        || qobject_cast<const QCheckBox *>(widget) || qobject_cast<const QRadioButton *>(widget);
}

// Recolours the window and every child for which `recolour` says yes, in the window's own order.
template <typename Predicate>
void recolour(QWidget *window, Predicate recolourChild)
{
    const QColor buttonFace = window->palette().color(QPalette::Button);
    setBackground(window, buttonFace);
    for (QWidget *child : window->findChildren<QWidget *>()) {
        if (recolourChild(child))
            setBackground(child, buttonFace);
    }
}

} // namespace

void applyThemeToMainWindow(QWidget *window, Skin &skin, const QString &programFolder)
{
    const QString path = joinPath(programFolder, kSkinFile);
    const QFileInfo file(path);
    // Only a normal file counts: a hidden one, or a folder of that name, is as good as none.
    if (!file.isFile() || file.isHidden())
        return;

    recolour(window, isFrameOrCaption);

    skin.load(path, QString());
    skin.setOptions(skin.options() | kSkinOptionBit);
    skin.setOption(Skin::SkinMessageBoxes, true);
    skin.setOption(Skin::SkinChildWindows, true);
    skin.apply(window);
}

void applyColouring(QWidget *window)
{
    recolour(window, isFrameOrCaption);
}

} // namespace quill
