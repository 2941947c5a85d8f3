#include "CommandLine.h"
#include "Form1.h"
#include "MemoryReuse.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    quill::keepFreedMemoryForReuse();
    if (quill::wantsCommandLine(argc, argv)) {
        // Named only here: the window's titles stay as they are.
        QCoreApplication::setApplicationName(QStringLiteral("quillfern-epistle"));
        QCoreApplication::setApplicationVersion(QStringLiteral(QUILL_VERSION));
        // Letters are laid out with fonts but shown nowhere: no display is needed or used.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication application(argc, argv);
        return quill::runCommandLine(application.arguments());
    }
    QApplication application(argc, argv);
    quill::MessageBoxes::showErrorReports();
    quill::Form1 window;
    window.Form_Load();
    window.show();
    return application.exec();
}
