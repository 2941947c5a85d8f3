#include "Form1.h"
#include "MessageBoxes.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    quill::MessageBoxes::showErrorReports();
    quill::Form1 window;
    window.Form_Load();
    window.show();
    return application.exec();
}
