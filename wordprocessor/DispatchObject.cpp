#include "DispatchObject.h"

namespace quill {

namespace {

[[noreturn]] void typeMismatch(const QString &name)
{
    throw Error(Status::TypeMismatch, QStringLiteral("Type mismatch (%1).").arg(name));
}

bool holdsObject(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<AutomationObjectPtr>();
}

} // namespace

size_t MemberTable::CaseBlindHash::operator()(const QString &name) const
{
    size_t hash = 0;
    for (const QChar character : name) {
        const char16_t unit = character.unicode();
        // Names are ASCII: fold those directly, anything else through Unicode's case folding.
        const char16_t folded = unit < 0x80 ? char16_t(unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit)
                                            : character.toCaseFolded().unicode();
        hash = hash * 31 + folded;
    }
    return hash;
}

void MemberTable::addMethod(const QString &name, std::vector<QString> parameters, Method method)
{
    Member &entry = m_members[name];
    entry.name = name;
    entry.parameters = std::move(parameters);
    entry.method = std::move(method);
}

void MemberTable::addProperty(const QString &name, Getter getter, Setter setter)
{
    Member &entry = m_members[name];
    entry.name = name;
    entry.getter = std::move(getter);
    entry.setter = std::move(setter);
}

void DispatchObject::checkAvailable() const
{
}

const MemberTable::Member &MemberTable::member(const QString &name) const
{
    const auto found = m_members.find(name);
    if (found == m_members.end())
        throw Error(Status::MemberNotFound, QStringLiteral("Object doesn't support this property or method (%1).").arg(name));
    return found->second;
}

QVariant DispatchObject::invoke(const QString &name, const AutomationArguments &arguments)
{
    const MemberTable::Member &entry = m_members.member(name);
    checkAvailable();
    if (entry.method)
        return entry.method(*this, bindArguments(entry.name, arguments, entry.parameters));
    if (!arguments.empty())
        throw Error(Status::WrongArguments, QStringLiteral("Wrong number of arguments or invalid property assignment (%1).").arg(entry.name));
    return entry.getter(*this);
}

QVariant DispatchObject::property(const QString &name)
{
    const MemberTable::Member &entry = m_members.member(name);
    checkAvailable();
    if (entry.getter)
        return entry.getter(*this);
    return entry.method(*this, bindArguments(entry.name, {}, entry.parameters));
}

void DispatchObject::setProperty(const QString &name, const QVariant &value)
{
    const MemberTable::Member &entry = m_members.member(name);
    checkAvailable();
    if (!entry.setter) {
        if (entry.getter)
            throw Error(Status::ReadOnlyProperty, QStringLiteral("Can't assign to read-only property (%1).").arg(entry.name));
        throw Error(Status::MemberNotFound, QStringLiteral("Object doesn't support this property or method (%1).").arg(entry.name));
    }
    entry.setter(*this, value);
}

bool toBoolean(const QVariant &value, const QString &name)
{
    if (!value.isValid() || holdsObject(value))
        typeMismatch(name);
    if (value.metaType() == QMetaType::fromType<QString>()) {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            typeMismatch(name);
        return number != 0;
    }
    if (!value.canConvert<bool>())
        typeMismatch(name);
    return value.toBool();
}

int toInteger(const QVariant &value, const QString &name)
{
    if (!value.isValid() || holdsObject(value))
        typeMismatch(name);
    if (value.metaType() == QMetaType::fromType<bool>())
        return value.toBool() ? -1 : 0; // a Boolean True is -1 as a number
    bool ok = false;
    const int number = value.toInt(&ok);
    if (!ok)
        typeMismatch(name);
    return number;
}

QString toText(const QVariant &value, const QString &name)
{
    if (holdsObject(value))
        typeMismatch(name);
    if (!value.isValid())
        return QString();
    if (value.metaType() == QMetaType::fromType<bool>())
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (!value.canConvert<QString>())
        typeMismatch(name);
    return value.toString();
}

void requireArgument(const QVariant &value, const QString &name)
{
    if (!value.isValid())
        throw Error(Status::ArgumentNotOptional, QStringLiteral("Argument not optional (%1).").arg(name));
}

} // namespace quill
