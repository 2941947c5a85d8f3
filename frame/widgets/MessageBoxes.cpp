#include "MessageBoxes.h"
#include "ErrorTrap.h"
#include "Product.h"

#include <QApplication>
#include <QMessageBox>

namespace quill {

namespace {
MessageBoxes::Handler g_handler;
} // namespace

void MessageBoxes::showErrorReports()
{
    setErrorReportHandler([](const QString &title, const QString &text) { show(text, Exclamation, title); });
}

int MessageBoxes::show(const QString &text, int style, const QString &title)
{
    const Request request{text, style, title.isEmpty() ? applicationTitle() : title};
    if (g_handler)
        return g_handler(request);
    return showDialog(request);
}

void MessageBoxes::setHandler(Handler handler)
{
    g_handler = std::move(handler);
    showErrorReports();
}

int MessageBoxes::showDialog(const Request &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    box.setText(withNewlines(request.text));
    if (request.style == YesNo) {
        box.setIcon(QMessageBox::NoIcon);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? Yes : No;
    }
    box.setIcon(request.style == Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Ok;
}

} // namespace quill
