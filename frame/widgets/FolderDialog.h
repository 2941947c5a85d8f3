#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace quill {

// The dialog that asks for a folder. The product shows the platform's folder dialog; tests install
// a handler that answers instead.
class FolderDialog
{
public:
    // A handler gets the dialog's title and returns the chosen folder, or "" for cancel.
    using Handler = std::function<QString(const QString &title)>;

    // Asks for an existing folder over `parent`; the chosen folder, or "" when cancelled.
    static QString choose(QWidget *parent, const QString &title);
    // Replaces the real dialog with `handler`; an empty handler restores it.
    static void setHandler(Handler handler);
};

} // namespace quill
