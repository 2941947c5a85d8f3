#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <utility>

namespace quill {

// Reports a failure at `line` of the procedure tagged `locationTag`: the "Application Error" report,
// shown through the error report handler.
void ReportApplicationError(const QString &locationTag, const QString &description, int line);

// Shows one error report: its title and its text, exactly as built.
using ErrorReportHandler = std::function<void(const QString &title, const QString &text)>;
// Replaces the error report handler; an empty handler restores the default, which writes the
// report to standard error (the windows install one that shows a box).
void setErrorReportHandler(ErrorReportHandler handler);

// `text` with its CR LF and lone CR line ends turned into LF, the line end a display breaks at.
QString withNewlines(QString text);

// The error trap of a procedure whose statements carry line numbers (100, 102, ...).
// A statement that fails is reported once with the procedure's tag and its line number,
// and the procedure goes on with the next statement; nothing is rolled back or retried.
// A callee without a trap of its own simply throws: its failure surfaces at the caller's line.
class ErrorTrap
{
public:
    // Where a trap hands its failures instead of reporting them: the line and the description.
    using FailureSink = std::function<void(int line, const QString &description)>;

    // `locationTag` is the procedure's constant tag, ending with a blank.
    explicit ErrorTrap(QString locationTag)
        : m_locationTag(std::move(locationTag))
    {
    }
    // A trap that hands each failure to `sink` rather than to the error report handler (a batch
    // run collects them per letter, on whatever thread it works).
    ErrorTrap(QString locationTag, FailureSink sink)
        : m_locationTag(std::move(locationTag))
        , m_sink(std::move(sink))
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
    FailureSink m_sink;
};

// The description of a caught failure: the text it carries, or a generic text for unknown ones.
QString failureDescription(std::exception_ptr failure);

} // namespace quill
