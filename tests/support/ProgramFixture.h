#pragma once

#include "DialogRecorder.h"
#include "FaultInjection.h"
#include "Files.h"
#include "TestFolders.h"

#include "Automation.h"
#include "Form1.h"
#include "Form2.h"
#include "LetterFields.h"
#include "Product.h"
#include "SettingsStore.h"

#include <QtTest>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

#include <memory>

namespace quill::test {

// The program on its own folders (TestFolders) with its dialogs recorded (DialogRecorder); after
// start(), the main window loaded and shown as the program starts.
class ProgramFixture : public TestFolders, public DialogRecorder
{
public:
    // The folders and the handlers; no window yet.
    ProgramFixture() = default;
    // Closes the windows; restores the handlers, the automation servers and TEMP.
    ~ProgramFixture();

    // Builds, loads and shows the main window (again, when it was started before); false when it never
    // became exposed.
    [[nodiscard]] bool start();
    // The main window (after start()).
    Form1 &form() { return *m_form; }
    // Presses "Start Creating Template" with a real click.
    void clickGenerate();
    // Presses "Save Results To Word File" in the preview, answering the dialog with `path`.
    void clickSave(const QString &path);
    // True when the preview is up and the main window hidden, as after a generation that worked.
    bool previewShown() const;

    // The value the settings store holds for typed field `index`.
    static QString storedField(int index);
    // Types `text` into field `index` with real key presses (the field is emptied first).
    void typeInto(int index, const QString &text);

private:
    std::unique_ptr<Form1> m_form;
};

} // namespace quill::test
