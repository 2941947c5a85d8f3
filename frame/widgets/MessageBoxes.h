#pragma once

#include <QString>

#include <functional>

namespace quill {

// Modal message boxes, with the style values and answer codes the program is written against.
// The product shows QMessageBox; tests install a handler that records and answers instead.
class MessageBoxes
{
public:
    // Box styles: buttons and icon.
    enum Style { OkOnly = 0, YesNo = 4, Exclamation = 48 };
    // The answer codes of the buttons.
    enum Answer { Ok = 1, Yes = 6, No = 7 };

    // What a box is asked to show, as a handler sees it.
    struct Request
    {
        QString text;  // exactly as built by the caller (CR LF and CR included)
        int style = OkOnly;
        QString title; // already resolved: the application title when the caller named none
    };
    using Handler = std::function<int(const Request &)>;

    // Shows a modal box and returns the answer code; an empty title means the application title.
    static int show(const QString &text, int style = OkOnly, const QString &title = QString());
    // Replaces the real boxes with `handler`; an empty handler restores the real boxes.
    // Either way the error trap's reports are shown as boxes from then on.
    static void setHandler(Handler handler);
    // Shows the error trap's reports as "Application Error" boxes (the windows' way of reporting).
    static void showErrorReports();

private:
    static int showDialog(const Request &request);
};

} // namespace quill
