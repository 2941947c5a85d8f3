#include "Skin.h"
#include "Error.h"

#include <QDir>
#include <QFile>
#include <QWidget>

namespace quill {

void Skin::load(const QString &path, const QString &section)
{
    Q_UNUSED(section);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(Status::SkinUnavailable, QStringLiteral("The skin %1 could not be loaded: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    m_styleSheet = QString::fromUtf8(file.readAll());
    m_loaded = true;
}

void Skin::setOption(Option option, bool on)
{
    const quint32 bit = 1u << option;
    m_switches = on ? (m_switches | bit) : (m_switches & ~bit);
}

bool Skin::option(Option option) const
{
    return m_switches & (1u << option);
}

void Skin::apply(QWidget *window) const
{
    if (!m_loaded)
        throw Error(Status::SkinUnavailable, QStringLiteral("No skin is loaded."));
    window->setStyleSheet(m_styleSheet);
}

} // namespace quill
