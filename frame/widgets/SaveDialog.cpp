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
        const Answer answer = g_handler(request);
        FileName = answer.fileName;
        FilterIndex = answer.filterIndex;
        return;
    }
    QFileDialog dialog(parent, DialogTitle, FileName);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = nameFilters(Filter);
    dialog.setNameFilters(filters);
    if (FilterIndex >= 1 && FilterIndex <= filters.size())
        dialog.selectNameFilter(filters.at(FilterIndex - 1));
    // The program asks its own overwrite question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    FileName = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst()
                                                                                        : QString();
    FilterIndex = int(filters.indexOf(dialog.selectedNameFilter())) + 1;
}

void SaveDialog::setHandler(Handler handler)
{
    g_handler = std::move(handler);
}

} // namespace quill
