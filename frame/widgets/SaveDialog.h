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
    // What the dialog is asked, as a handler sees it.
    struct Request
    {
        QString fileName;
        QString title;
        QString filter;
    };
    // What a handler answers: the chosen path ("" for cancel) and the filter chosen (from 1).
    struct Answer
    {
        Answer(const QString &chosen, int filter = 1) : fileName(chosen), filterIndex(filter) {}
        QString fileName;
        int filterIndex;
    };
    using Handler = std::function<Answer(const Request &)>;

    // The file name shown at start, and after ShowSave the chosen one ("" when cancelled).
    QString FileName;
    // The dialog's title.
    QString DialogTitle;
    // The filter as description|pattern pairs ("Word Files (*.doc)|*.doc").
    QString Filter;
    // The filter chosen, from 1 in the order of Filter's pairs: the first at start, after ShowSave the chosen one.
    int FilterIndex = 1;

    // Shows the modal dialog over `parent` and stores the answer in FileName.
    void ShowSave(QWidget *parent);
    // Replaces the real dialog with `handler`; an empty handler restores it.
    static void setHandler(Handler handler);
};

} // namespace quill
