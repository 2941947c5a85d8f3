#pragma once

#include <QCursor>
#include <QString>

class QWidget;

namespace quill {

// The mouse pointer of a window, by the values the program uses: 0 default arrow,
// 11 hourglass while busy, 99 the custom image (the hand) when one is loaded.
class WindowPointer
{
public:
    // Pointer values.
    enum Value { Default = 0, Hourglass = 11, Custom = 99 };

    explicit WindowPointer(QWidget *window);

    // The current pointer value.
    int value() const { return m_value; }
    // Sets the pointer value and shows the matching cursor over the window.
    void setValue(int value);
    // The pointer rule of the mouse-move handlers: takes `value` unless the hourglass shows.
    void follow(int value);
    // Makes `cursor` the custom pointer image (value 99).
    void setCustomImage(const QCursor &cursor);
    // Whether a custom pointer image is loaded.
    bool hasCustomImage() const { return m_hasCustomImage; }
    // The cursor the window shows now.
    QCursor cursor() const;

private:
    QWidget *m_window;
    int m_value = Default;
    QCursor m_custom;
    bool m_hasCustomImage = false;
};

// The hand cursor file's name beside the program.
inline const QString kHandCursorFile = QStringLiteral("HAND-M.CUR");

// Loads a Windows cursor file (image and hot spot). Throws Error when it is no readable picture.
QCursor loadCursorFile(const QString &path);

} // namespace quill
