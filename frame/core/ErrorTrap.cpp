#include "ErrorTrap.h"
#include "Product.h"

#include <cstdio>
#include <new>
#include <stdexcept>

namespace quill {

namespace {
const QString kErrorTitle = QStringLiteral("Application Error");

ErrorReportHandler &reportHandler()
{
    static ErrorReportHandler handler;
    return handler;
}
} // namespace

void setErrorReportHandler(ErrorReportHandler handler)
{
    reportHandler() = std::move(handler);
}

void ReportApplicationError(const QString &locationTag, const QString &description, int line)
{
    const QString message = description + QStringLiteral("\r\n") + locationTag + QStringLiteral("at line ")
                          + QString::number(line) + QStringLiteral("\r\r")
                          + QStringLiteral("Please email screenshot of this message to ") + kSupportAddress;
    if (reportHandler()) {
        reportHandler()(kErrorTitle, message);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(kErrorTitle), qPrintable(withNewlines(message)));
}

QString withNewlines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString failureDescription(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &error) {
        return QString::fromUtf8(error.what());
    } catch (...) {
        return QStringLiteral("Unexpected failure");
    }
}

void ErrorTrap::report(int line, std::exception_ptr failure) const
{
    if (m_sink) {
        m_sink(line, failureDescription(failure));
        return;
    }
    ReportApplicationError(m_locationTag, failureDescription(failure), line);
}

} // namespace quill
