#include "IsInstalled.h"

#include "Automation.h"
#include "MessageBoxes.h"
#include "ProgramEnd.h"

namespace quill::IsInstalled {

const QString kAdvice = QStringLiteral(
    "Error 842001. A normal instance of Word could not be created.\r\n\r\n"
    "1. Please make sure Word is installed on this computer.\r\n\r\n"
    "2. Please open Word normally and make sure a blank document opens immediately without any interrupting "
    "window (such as an Word file recovery window).\r\n\r\n"
    "3. Please make sure that when you double-click on a DOC or DOCX file that Word opens normally without any "
    "interrupting messages.\r\n\r\n"
    "4. All versions of Word are supported by this software except for the rare Word Starter and Student editions.");

void CheckWordInstalled()
{
    AutoObject word;
    try {
        word = CreateObject(QStringLiteral("Word.Application"));
    } catch (const std::exception &) {
        // No instance: the reference stays empty.
    }
    if (word.isNothing()) {
        MessageBoxes::show(kAdvice, MessageBoxes::OkOnly);
        endProgram();
        return;
    }
    try {
        word.call(QStringLiteral("Quit"));
    } catch (const std::exception &) {
        // A failing quit is of no concern: the instance is released below either way.
    }
    word.release();
}

} // namespace quill::IsInstalled
