#pragma once

#include "ErrorTrap.h"
#include "Pointer.h"
#include "WindowLook.h"

#include <QList>
#include <QPushButton>
#include <QRect>
#include <QString>

#include <initializer_list>

class QEvent;
class QObject;
class QWidget;

namespace quill {

// What both windows build alike: their button tables, the pointer rule of their mouse moves,
// the hand pointer and the tab chain.

// One row of a window's button table.
template <typename Window>
struct ButtonRow
{
    QPushButton **button;
    const char *caption;
    QWidget *container;
    QRect geometry; // in logical pixels
    void (Window::*click)();
};

// The pointer rule of a window's mouse moves: over the window and its frames the default arrow,
// over its buttons the hand. Each control keeps its own moves (a move no child takes would travel
// on to the frame or window behind it), so only the control under the mouse decides the pointer.
class PointerRule
{
public:
    // The rule of `window`, whose pointer is `pointer`.
    PointerRule(QWidget *window, WindowPointer &pointer);
    // A frame: shows the default arrow and keeps its moves.
    void addFrame(QWidget *frame);
    // A button: shows the hand.
    void addButton(QWidget *button);
    // Applies the rule to `event` over `watched`; true when the event stops there.
    bool filter(QObject *watched, QEvent *event);

private:
    QWidget *m_window;
    WindowPointer &m_pointer;
    QList<QObject *> m_frames;
    QList<QObject *> m_buttons;
};

// Makes the buttons of `rows` in the window's button font, wires their clicks to `window` and
// adds them to the pointer rule `rule`, whose filter (`window`) sees their mouse moves.
template <typename Window>
void makeButtons(Window *window, PointerRule &rule, std::initializer_list<ButtonRow<Window>> rows);

// Loads the hand pointer beside the program into `pointer` when it is there: the test whether it
// exists on `testLine` and the load on `loadLine` of the procedure that `trap` guards.
void loadHandPointer(ErrorTrap &trap, int testLine, int loadLine, WindowPointer &pointer);

// Chains the tab order through `widgets`, in their order.
void chainTabOrder(const QList<QWidget *> &widgets);

template <typename Window>
void makeButtons(Window *window, PointerRule &rule, std::initializer_list<ButtonRow<Window>> rows)
{
    for (const ButtonRow<Window> &row : rows) {
        auto *button = new QPushButton(QString::fromLatin1(row.caption), row.container);
        button->setFont(buttonFont());
        button->setGeometry(row.geometry);
        button->setMouseTracking(true);
        button->installEventFilter(window);
        QObject::connect(button, &QPushButton::clicked, window, row.click);
        rule.addButton(button);
        *row.button = button;
    }
}

} // namespace quill
