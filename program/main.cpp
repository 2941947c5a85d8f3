#include "CommandLine.h"
#include "Form1.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    if (quill::wantsCommandLine(argc, argv)) {
        // Named only here: the window's titles stay as they are.
        QCoreApplication::setApplicationName(QStringLiteral("quillfern-epistle"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILL_VERSION));
        QCoreApplication application(argc, argv);
        return quill::runCommandLine(application.arguments());
    }
    QApplication application(argc, argv);
    quill::MessageBoxes::showErrorReports();
    quill::Form1 window;
    window.Form_Load();
    window.show();
    return application.exec();
}
