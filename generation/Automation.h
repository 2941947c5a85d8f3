#pragma once

#include "AutomationObject.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace quill {

// A late-bound handle on an automation object, the way the program drives the word processor:
// members are called and properties read and written by name. Every failure is an Error
// carrying the server's description, which the caller's error trap reports.
class AutoObject
{
public:
    AutoObject() = default;
    explicit AutoObject(AutomationObjectPtr object);

    // True when the handle holds no object (never created, released, or a null result).
    bool isNothing() const { return !m_object; }
    // Reads a property.
    QVariant get(const QString &name) const;
    // Reads a property that holds an object.
    AutoObject object(const QString &name) const;
    // Writes a property.
    void set(const QString &name, const QVariant &value) const;
    // Calls a method with positional, named and omitted arguments.
    QVariant call(const QString &member, const AutomationArguments &arguments = {}) const;
    // Calls a method that returns an object.
    AutoObject callObject(const QString &member, const AutomationArguments &arguments = {}) const;
    // The members of a collection, in For Each order.
    std::vector<AutoObject> items() const;
    // Lets go of the object (Set x = Nothing).
    void release() { m_object.reset(); }

private:
    const AutomationObjectPtr &target() const;

    AutomationObjectPtr m_object;
};

// A positional argument.
AutomationArgument Arg(const QVariant &value);
// A named argument.
AutomationArgument Arg(const QString &name, const QVariant &value);
// An omitted positional argument.
AutomationArgument Omitted();

// Creates an automation object by its programmatic identifier ("Word.Application").
// Throws Error when no server is registered under it or the server cannot create one.
AutoObject CreateObject(const QString &programmaticId);

// The servers that CreateObject knows. "Word.Application" names our own word-processor engine.
class ServerRegistry
{
public:
    using Factory = std::function<AutomationObjectPtr()>;

    // Registers (or replaces) the server for `programmaticId`.
    static void registerServer(const QString &programmaticId, Factory factory);
    // Puts back the servers the program ships with.
    static void restoreDefaults();
};

} // namespace quill
