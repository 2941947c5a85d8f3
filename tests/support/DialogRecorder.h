#pragma once

#include "MessageBoxes.h"
#include "SaveDialog.h"

#include <QList>
#include <QString>

namespace quill::test {

// The program's message boxes, save dialog and program end replaced through their own handlers:
// every box is recorded and answered, the save dialog answers a set path, ends are counted.
class DialogRecorder
{
public:
    // Installs the handlers.
    DialogRecorder();
    // Restores the real boxes, dialog and program end.
    ~DialogRecorder();
    DialogRecorder(const DialogRecorder &) = delete;
    DialogRecorder &operator=(const DialogRecorder &) = delete;

    // The boxes shown since the last clearBoxes().
    const QList<MessageBoxes::Request> &boxes() const { return m_boxes; }
    // Forgets the boxes recorded so far.
    void clearBoxes() { m_boxes.clear(); }
    // The texts of the boxes, one per line, for failure messages.
    QString boxTexts() const;
    // The text of the last box, or an empty string.
    QString lastBox() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    // The answer every later Yes/No question gets (No at first); other boxes are answered Ok.
    void setAnswer(int answer) { m_answer = answer; }

    // The path every later save dialog answers; an empty path cancels.
    void setSavePath(const QString &path, int filterIndex = 1)
    {
        m_savePath = path;
        m_saveFilter = filterIndex;
    }
    // The save dialogs shown so far.
    const QList<SaveDialog::Request> &saveDialogs() const { return m_saveDialogs; }

    // How often the program asked to end.
    int programEnds() const { return m_programEnds; }

private:
    QList<MessageBoxes::Request> m_boxes;
    int m_answer = MessageBoxes::No;
    QString m_savePath;
    int m_saveFilter = 1;
    QList<SaveDialog::Request> m_saveDialogs;
    int m_programEnds = 0;
};

} // namespace quill::test
