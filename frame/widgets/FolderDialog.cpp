#include "FolderDialog.h"

#include <QFileDialog>

namespace quill {

namespace {
FolderDialog::Handler g_handler;
} // namespace

QString FolderDialog::choose(QWidget *parent, const QString &title)
{
    if (g_handler)
        return g_handler(title);
    return QFileDialog::getExistingDirectory(parent, title);
}

void FolderDialog::setHandler(Handler handler)
{
    g_handler = std::move(handler);
}

} // namespace quill
