#pragma once

#include "Pointer.h"
#include "Skin.h"
#include "WindowParts.h"

#include <QWidget>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quill {

class Form2;

// The main window: the letter's fields in two frames, the buttons that fill, clear and
// generate, and the start-up sequence of the program.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // The start-up sequence: theme, caption, icon, application title, hand pointer, restored fields,
    // and last the check that the word processor starts (which ends the program when it does not).
    void Form_Load();

    // "Clear/Reset Data": empties the thirteen typed fields.
    void PushButton3_Click();
    // "Load Sample/Example Data": fills the thirteen typed fields with the example sender and recipient.
    void PushButton4_Click();
    // "Start Creating Template": fills the template with the fields, saves the letter as a temporary
    // document, renders it and hands both to the preview window.
    void PushButton6_Click();
    // Renders the body of the document at `path` to the snapshot work file; false when that failed (already reported).
    bool SaveDocAsJPG(const QString &path);

    // The preview window, created and loaded on first use.
    Form2 &preview();
    // The preview window if it was ever created, else null.
    Form2 *existingPreview() const { return m_preview.get(); }

    // The text field with field index `index` (0 to 13).
    QLineEdit *field(int index) const { return Text1[index]; }
    // The window's pointer (0 default, 11 hourglass, 99 hand).
    WindowPointer &pointer() { return m_pointer; }

    // The "Start Creating Template" button.
    QPushButton *PushButton6 = nullptr;
    // The "Clear/Reset Data" button.
    QPushButton *PushButton3 = nullptr;
    // The "Load Sample/Example Data" button.
    QPushButton *PushButton4 = nullptr;
    // The "Your Data" frame.
    QGroupBox *Frame1 = nullptr;
    // The "Recipient Data" frame.
    QGroupBox *Frame2 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A recipient list (.csv) dropped on the window makes one letter per row.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildFields();
    void buildButtons();
    void setTabOrder();
    void Text1_Change(int index);
    void Text1_GotFocus(int index);

    std::array<QLineEdit *, 14> Text1{};
    std::array<QLabel *, 13> Label2{};
    Skin SkinFramework1;
    WindowPointer m_pointer;
    PointerRule m_pointerRule;
    bool mGenerating = false;
    std::unique_ptr<Form2> m_preview;
};

} // namespace quill
