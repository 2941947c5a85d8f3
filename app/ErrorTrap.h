#pragma once

#include <QString>

#include <exception>
#include <utility>

namespace quill {

// Shows the "Application Error" box for a failure at `line` of the procedure tagged `locationTag`.
void ReportApplicationError(const QString &locationTag, const QString &description, int line);

// The error trap of a procedure whose statements carry line numbers (100, 102, ...).
// A statement that fails is reported once with the procedure's tag and its line number,
// and the procedure goes on with the next statement; nothing is rolled back or retried.
// A callee without a trap of its own simply throws: its failure surfaces at the caller's line.
class ErrorTrap
{
public:
    // `locationTag` is the procedure's constant tag, ending with a blank.
    explicit ErrorTrap(QString locationTag)
        : m_locationTag(std::move(locationTag))
    {
    }

    // Runs the statement on `line`; returns false when it failed (and was reported).
    template <typename Statement>
    bool run(int line, Statement &&statement)
    {
        try {
            std::forward<Statement>(statement)();
            return true;
        } catch (...) {
            report(line, std::current_exception());
            return false;
        }
    }

    // Evaluates the test on `line`. A test whose evaluation fails is reported and counts as passed.
    template <typename Condition>
    bool test(int line, Condition &&condition)
    {
        try {
            return std::forward<Condition>(condition)();
        } catch (...) {
            report(line, std::current_exception());
            return true;
        }
    }

    // The procedure's location tag.
    const QString &locationTag() const { return m_locationTag; }

private:
    void report(int line, std::exception_ptr failure) const;

    QString m_locationTag;
};

// The description of a caught failure: the text it carries, or a generic text for unknown ones.
QString failureDescription(std::exception_ptr failure);

} // namespace quill
