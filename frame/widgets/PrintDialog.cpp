#include "PrintDialog.h"

#include <QPrintDialog>
#include <QPrinter>

namespace quill {

namespace {
PrintDialog::Handler g_handler;
} // namespace

bool PrintDialog::ShowPrint(QPrinter &printer, QWidget *parent)
{
    if (g_handler)
        return g_handler(printer);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::setHandler(Handler handler)
{
    g_handler = std::move(handler);
}

} // namespace quill
