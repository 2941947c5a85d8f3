#pragma once

#include <functional>

class QPrinter;
class QWidget;

namespace quill {

// The system print dialog. The product shows a QPrintDialog; tests install a handler that sets the printer
// up (a PDF file, say) and answers instead.
class PrintDialog
{
public:
    // Sets `printer` up and returns true to print, or returns false for cancel.
    using Handler = std::function<bool(QPrinter &printer)>;

    // Shows the modal dialog over `parent` for `printer`; true when the user chose to print.
    static bool ShowPrint(QPrinter &printer, QWidget *parent);
    // Replaces the real dialog with `handler`; an empty handler restores it.
    static void setHandler(Handler handler);
};

} // namespace quill
