#include "Product.h"

namespace quill {

namespace {
QString g_applicationTitle;
}

QString shortenedTitle(const QString &name)
{
    QString title = name;
    do {
        const int lastBlank = title.lastIndexOf(QLatin1Char(' '));
        // A name without a blank cannot be cut; it stays as it is.
        if (lastBlank < 0)
            break;
        title.truncate(lastBlank);
    } while (title.size() > kApplicationTitleLimit);
    return title;
}

QString applicationTitle()
{
    return g_applicationTitle;
}

void setApplicationTitle(const QString &title)
{
    g_applicationTitle = title;
}

} // namespace quill
