#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quill {

// The save dialog with the settings the program uses. The product shows a QFileDialog;
// tests install a handler that answers instead.
class SaveDialog
{
public:
    // What the dialog is asked, as a handler sees it; the handler returns the chosen path or "" for cancel.
    struct Request
    {
        QString fileName;
        QString title;
        QString filter;
    };
    using Handler = std::function<QString(const Request &)>;

    // The file name shown at start, and after ShowSave the chosen one ("" when cancelled).
    QString FileName;
    // The dialog's title.
    QString DialogTitle;
    // The filter as description|pattern pairs ("Word Files (*.doc)|*.doc").
    QString Filter;

    // Shows the modal dialog over `parent` and stores the answer in FileName.
    void ShowSave(QWidget *parent);
    // Replaces the real dialog with `handler`; an empty handler restores it.
    static void setHandler(Handler handler);
};

} // namespace quill
