#pragma once

#include "AutomationObject.h"

#include <QString>

#include <functional>
#include <unordered_map>

namespace quill {

class DispatchObject;

// The methods and properties of one kind of automation object, matched without regard to case. A table is
// made once per class and shared by all its objects: a letter's fill makes hundreds of ranges and finds,
// and building each one's members again would cost more than the search itself.
class MemberTable
{
public:
    // A method; it receives one value per parameter, invalid where the argument was omitted.
    using Method = std::function<QVariant(DispatchObject &, const std::vector<QVariant> &)>;
    // A property reader.
    using Getter = std::function<QVariant(DispatchObject &)>;
    // A property writer.
    using Setter = std::function<void(DispatchObject &, const QVariant &)>;

    struct Member
    {
        QString name;
        std::vector<QString> parameters;
        Method method;
        Getter getter;
        Setter setter;
    };

    // Adds a method with its parameter names in Word's order.
    void addMethod(const QString &name, std::vector<QString> parameters, Method method);
    // Adds a property; without a setter it is read-only.
    void addProperty(const QString &name, Getter getter, Setter setter = nullptr);
    // The member `name`; throws "Object doesn't support this property or method" when there is none.
    const Member &member(const QString &name) const;

private:
    // Member names compared without regard to case, without making lower-case copies.
    struct CaseBlindHash
    {
        size_t operator()(const QString &name) const;
    };
    struct CaseBlindEqual
    {
        bool operator()(const QString &one, const QString &other) const
        {
            return one.compare(other, Qt::CaseInsensitive) == 0;
        }
    };
    std::unordered_map<QString, Member, CaseBlindHash, CaseBlindEqual> m_members;
};

// Fills a MemberTable with members written for class `Object`, which each receive the object they are called on.
template <class Object>
class MembersOf
{
public:
    explicit MembersOf(MemberTable &table)
        : m_table(table)
    {
    }
    // Adds method `name`; `function(Object &, const std::vector<QVariant> &)` returns its result.
    template <class Function>
    void method(const QString &name, std::vector<QString> parameters, Function function)
    {
        m_table.addMethod(name, std::move(parameters), [function](DispatchObject &object, const std::vector<QVariant> &arguments) {
            return function(static_cast<Object &>(object), arguments);
        });
    }
    // Adds a read-only property; `getter(Object &)` returns its value.
    template <class Getter>
    void property(const QString &name, Getter getter)
    {
        m_table.addProperty(name, [getter](DispatchObject &object) { return getter(static_cast<Object &>(object)); });
    }
    // Adds a property that `setter(Object &, const QVariant &)` writes.
    template <class Getter, class Setter>
    void property(const QString &name, Getter getter, Setter setter)
    {
        m_table.addProperty(
                name, [getter](DispatchObject &object) { return getter(static_cast<Object &>(object)); },
                [setter](DispatchObject &object, const QVariant &value) { setter(static_cast<Object &>(object), value); });
    }

private:
    MemberTable &m_table;
};

// An automation object whose methods and properties are listed in its class's MemberTable.
// A method without required arguments may also be read as a property, and a property read through
// invoke() without arguments, as late binding allows ("doc.Range" and "doc.Range()").
class DispatchObject : public AutomationObject
{
public:
    // Calls the method `member`, or reads the property `member` when it is one and no arguments are given.
    QVariant invoke(const QString &member, const AutomationArguments &arguments) override;
    // Reads the property `name`, or calls the method `name` without arguments.
    QVariant property(const QString &name) override;
    // Writes the property `name`; throws for read-only properties and methods.
    void setProperty(const QString &name, const QVariant &value) override;

protected:
    // An object with the members of `members`, which must outlive it (tables are made once per class).
    explicit DispatchObject(const MemberTable &members)
        : m_members(members)
    {
    }
    // Throws Error when the object can no longer be used (its document closed, its application quit).
    virtual void checkAvailable() const;

private:
    const MemberTable &m_members;
};

// The value of a Boolean argument or property (True, False, numbers, "True"/"False"); throws on a type mismatch.
bool toBoolean(const QVariant &value, const QString &name);
// The value of a whole-number argument or property; throws on a type mismatch.
int toInteger(const QVariant &value, const QString &name);
// The value of a text argument or property (numbers and Booleans are converted); throws on a type mismatch.
QString toText(const QVariant &value, const QString &name);
// Throws "Argument not optional" when a required argument was not given.
void requireArgument(const QVariant &value, const QString &name);

} // namespace quill
