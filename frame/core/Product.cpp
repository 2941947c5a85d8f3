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

QString procedureTag(const char *module, const char *procedure)
{
    // The project name and date every procedure tag carries.
    static const QString kProjectTag = QStringLiteral("QuillfernEpistle2021/08/31");
    return QStringLiteral("in %1.%2.%3 ").arg(kProjectTag, QLatin1String(module), QLatin1String(procedure));
}

} // namespace quill
