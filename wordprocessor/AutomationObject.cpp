#include "AutomationObject.h"

namespace quill {

AutomationObject::~AutomationObject() = default;

std::vector<AutomationObjectPtr> AutomationObject::items()
{
    throw Error(Status::MemberNotFound, QStringLiteral("Object doesn't support this property or method"));
}

QVariant toVariant(const AutomationObjectPtr &object)
{
    return QVariant::fromValue(object);
}

AutomationObjectPtr toObject(const QVariant &value)
{
    if (!value.canConvert<AutomationObjectPtr>())
        return nullptr;
    return value.value<AutomationObjectPtr>();
}

std::vector<QVariant> bindArguments(const QString &member, const AutomationArguments &arguments,
                                    const std::vector<QString> &parameterNames)
{
    std::vector<QVariant> bound(parameterNames.size());
    size_t position = 0;
    for (const AutomationArgument &argument : arguments) {
        if (argument.name.isEmpty()) {
            if (position >= parameterNames.size())
                throw Error(Status::WrongArguments, QStringLiteral("Wrong number of arguments or invalid property assignment (%1)").arg(member));
            if (!argument.omitted)
                bound[position] = argument.value;
            ++position;
            continue;
        }
        size_t index = 0;
        while (index < parameterNames.size()
               && parameterNames[index].compare(argument.name, Qt::CaseInsensitive) != 0)
            ++index;
        if (index == parameterNames.size())
            throw Error(Status::NamedArgumentNotFound, QStringLiteral("Named argument not found: %1").arg(argument.name));
        bound[index] = argument.value;
    }
    return bound;
}

} // namespace quill
