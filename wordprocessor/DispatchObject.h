#pragma once

#include "AutomationObject.h"

#include <QString>

#include <functional>
#include <unordered_map>

namespace quill {

// An automation object whose methods and properties are listed in a table, matched without regard to case.
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
    // A method; it receives one value per parameter, invalid where the argument was omitted.
    using Method = std::function<QVariant(const std::vector<QVariant> &)>;
    // A property reader.
    using Getter = std::function<QVariant()>;
    // A property writer.
    using Setter = std::function<void(const QVariant &)>;

    // Adds a method with its parameter names in Word's order.
    void addMethod(const QString &name, const std::vector<QString> &parameters, Method method);
    // Adds a property; without a setter it is read-only.
    void addProperty(const QString &name, Getter getter, Setter setter = nullptr);
    // Throws Error when the object can no longer be used (its document closed, its application quit).
    virtual void checkAvailable() const;

private:
    struct Member
    {
        QString name;
        std::vector<QString> parameters;
        Method method;
        Getter getter;
        Setter setter;
    };
    const Member &member(const QString &name) const;

    // Member names compared without regard to case, without making lower-case copies: objects are made and
    // asked by name many times for each letter.
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

// The value of a Boolean argument or property (True, False, numbers, "True"/"False"); throws on a type mismatch.
bool toBoolean(const QVariant &value, const QString &name);
// The value of a whole-number argument or property; throws on a type mismatch.
int toInteger(const QVariant &value, const QString &name);
// The value of a text argument or property (numbers and Booleans are converted); throws on a type mismatch.
QString toText(const QVariant &value, const QString &name);
// Throws "Argument not optional" when a required argument was not given.
void requireArgument(const QVariant &value, const QString &name);

} // namespace quill
