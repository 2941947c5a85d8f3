#include "MessageBoxes.h"
#include "Product.h"

#include <QApplication>
#include <QMessageBox>

namespace quill {

namespace {
MessageBoxes::Handler g_handler;

// The texts carry CR LF and lone CR as line ends; a Qt box breaks lines at LF only.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
} // namespace

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
}

int MessageBoxes::showDialog(const Request &request)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(request.title);
    box.setText(displayText(request.text));
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
