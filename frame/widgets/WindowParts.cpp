#include "WindowParts.h"

#include "FileHelpers.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace quill {

PointerRule::PointerRule(QWidget *window, WindowPointer &pointer)
    : m_window(window)
    , m_pointer(pointer)
{
}

void PointerRule::addFrame(QWidget *frame)
{
    m_frames << frame;
}

void PointerRule::addButton(QWidget *button)
{
    m_buttons << button;
}

bool PointerRule::filter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const bool hovering = static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton;
    if (watched == m_window || m_frames.contains(watched)) {
        m_pointer.follow(WindowPointer::Default);
        return watched != m_window && hovering;
    }
    if (m_buttons.contains(watched))
        m_pointer.follow(WindowPointer::Custom);
    // Other controls have no pointer rule of their own.
    return hovering;
}

void loadHandPointer(ErrorTrap &trap, int testLine, int loadLine, WindowPointer &pointer)
{
    const QString handCursor = joinPath(QCoreApplication::applicationDirPath(), kHandCursorFile);
    if (trap.test(testLine, [&] { return FileExists(handCursor); }))
        trap.run(loadLine, [&] { pointer.setCustomImage(loadCursorFile(handCursor)); });
}

void chainTabOrder(const QList<QWidget *> &widgets)
{
    for (int i = 0; i + 1 < widgets.size(); ++i)
        QWidget::setTabOrder(widgets[i], widgets[i + 1]);
}

} // namespace quill
