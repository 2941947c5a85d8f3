#include "Automation.h"
#include "WordApplication.h"

#include <QHash>

namespace quill {

namespace {

const QString kWordProgrammaticId = QStringLiteral("Word.Application");

QHash<QString, ServerRegistry::Factory> defaultServers()
{
    return {{kWordProgrammaticId.toLower(), [] { return createWordApplication(); }}};
}

QHash<QString, ServerRegistry::Factory> &servers()
{
    static QHash<QString, ServerRegistry::Factory> registry = defaultServers();
    return registry;
}

} // namespace

AutoObject::AutoObject(AutomationObjectPtr object)
    : m_object(std::move(object))
{
}

const AutomationObjectPtr &AutoObject::target() const
{
    if (!m_object)
        throw Error(Status::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return m_object;
}

QVariant AutoObject::get(const QString &name) const
{
    return target()->property(name);
}

AutoObject AutoObject::object(const QString &name) const
{
    return AutoObject(toObject(get(name)));
}

void AutoObject::set(const QString &name, const QVariant &value) const
{
    target()->setProperty(name, value);
}

QVariant AutoObject::call(const QString &member, const AutomationArguments &arguments) const
{
    return target()->invoke(member, arguments);
}

AutoObject AutoObject::callObject(const QString &member, const AutomationArguments &arguments) const
{
    return AutoObject(toObject(call(member, arguments)));
}

std::vector<AutoObject> AutoObject::items() const
{
    std::vector<AutoObject> result;
    for (AutomationObjectPtr &item : target()->items())
        result.emplace_back(std::move(item));
    return result;
}

AutomationArgument Arg(const QVariant &value)
{
    return AutomationArgument::positional(value);
}

AutomationArgument Arg(const QString &name, const QVariant &value)
{
    return AutomationArgument::named(name, value);
}

AutomationArgument Omitted()
{
    return AutomationArgument::omittedArgument();
}

AutoObject CreateObject(const QString &programmaticId)
{
    const auto server = servers().constFind(programmaticId.toLower());
    if (server == servers().constEnd() || !*server)
        throw Error(Status::ServerUnavailable, QStringLiteral("ActiveX component can't create object: %1").arg(programmaticId));
    AutomationObjectPtr object = (*server)();
    if (!object)
        throw Error(Status::ServerUnavailable, QStringLiteral("ActiveX component can't create object: %1").arg(programmaticId));
    return AutoObject(std::move(object));
}

void ServerRegistry::registerServer(const QString &programmaticId, Factory factory)
{
    servers().insert(programmaticId.toLower(), std::move(factory));
}

void ServerRegistry::restoreDefaults()
{
    servers() = defaultServers();
}

} // namespace quill
