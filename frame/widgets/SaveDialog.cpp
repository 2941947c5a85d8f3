#include "SaveDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace quill {

namespace {
SaveDialog::Handler g_handler;

// "Description|pattern|Description|pattern" as the name filters QFileDialog takes.
QStringList nameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString &description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (description.contains(patterns) ? description : description + QStringLiteral(" (") + patterns + QLatin1Char(')'));
    }
    return filters;
}
} // namespace

void SaveDialog::ShowSave(QWidget *parent)
{
    const Request request{FileName, DialogTitle, Filter};
    if (g_handler) {
        FileName = g_handler(request);
        return;
    }
    QFileDialog dialog(parent, DialogTitle, FileName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(Filter));
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    FileName = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                        : QString();
}

void SaveDialog::setHandler(Handler handler)
{
    g_handler = std::move(handler);
}

} // namespace quill
