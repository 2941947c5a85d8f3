#pragma once

#include "Error.h"

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <memory>
#include <stdexcept>
#include <vector>

namespace quill {

class AutomationObject;

// A shared handle on an automation object; carried inside a QVariant when a member returns an object.
using AutomationObjectPtr = std::shared_ptr<AutomationObject>;

// One argument of a late-bound call: positional when name is empty, named otherwise.
// An omitted argument holds a place in the positional list but carries no value.
struct AutomationArgument
{
    QString name;
    QVariant value;
    bool omitted = false;

    // A positional argument.
    static AutomationArgument positional(const QVariant &value) { return {QString(), value, false}; }
    // A named argument ("ReadOnly", True).
    static AutomationArgument named(const QString &name, const QVariant &value) { return {name, value, false}; }
    // A positional argument left out; the member uses its default.
    static AutomationArgument omittedArgument() { return {QString(), QVariant(), true}; }
};

using AutomationArguments = std::vector<AutomationArgument>;

// An object reached by member name at run time, the way Word's object model is driven.
// Member and property names are matched without regard to letter case.
// Every member throws Error when the member is unknown or the call fails.
class AutomationObject
{
public:
    virtual ~AutomationObject();

    // Calls the method `member` with the given arguments; returns its result (invalid for none).
    virtual QVariant invoke(const QString &member, const AutomationArguments &arguments) = 0;
    // Reads the property `name`.
    virtual QVariant property(const QString &name) = 0;
    // Writes the property `name`.
    virtual void setProperty(const QString &name, const QVariant &value) = 0;
    // The members of a collection, in the order a For Each loop visits them; throws for non-collections.
    virtual std::vector<AutomationObjectPtr> items();
};

// Wraps an object handle into a value that members can return.
QVariant toVariant(const AutomationObjectPtr &object);
// The object held in a value, or a null pointer when it holds none.
AutomationObjectPtr toObject(const QVariant &value);

// Maps positional and named arguments onto a member's parameter list (Word's order).
// Returns one entry per parameter; an entry is invalid where the argument was omitted or not given.
// Throws Error for an unknown parameter name or too many arguments.
std::vector<QVariant> bindArguments(const QString &member, const AutomationArguments &arguments,
                                    const std::vector<QString> &parameterNames);

} // namespace quill

Q_DECLARE_METATYPE(quill::AutomationObjectPtr)
