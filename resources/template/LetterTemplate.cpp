#include "LetterTemplate.h"

#include <QFile>
#include <QString>

#include <stdexcept>

namespace quill {

namespace {

// The failure raised for the resource, with the reason appended.
std::runtime_error templateError(const QString &reason)
{
    return std::runtime_error(QStringLiteral("The embedded letter template (%1) cannot be read: %2")
                                  .arg(QLatin1String(kTemplateResourcePath), reason)
                                  .toStdString());
}

} // namespace

QByteArray templateBytes()
{
    QFile resource{QString::fromLatin1(kTemplateResourcePath)};
    if (!resource.open(QIODevice::ReadOnly))
        throw templateError(resource.errorString());

    const QByteArray bytes = resource.readAll();
    if (bytes.size() != resource.size())
        throw templateError(QStringLiteral("only %1 of %2 bytes were read")
                                .arg(bytes.size())
                                .arg(resource.size()));
    return bytes;
}

} // namespace quill
