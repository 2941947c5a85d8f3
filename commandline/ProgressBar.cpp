#include "ProgressBar.h"

#include <QString>

#include <cstdio>
#include <unistd.h>

namespace quill {

namespace {

// The bar's width in characters, and the shortest time between two redraws (milliseconds).
constexpr int kBarWidth = 30;
constexpr qint64 kRedrawMs = 100;
constexpr qint64 kMsPerSecond = 1000;
constexpr qint64 kSecondsPerMinute = 60;

QString duration(qint64 seconds)
{
    return QStringLiteral("%1:%2").arg(seconds / kSecondsPerMinute).arg(seconds % kSecondsPerMinute, 2, 10, QLatin1Char('0'));
}

} // namespace

ProgressBar::ProgressBar(qint64 total, bool enabled)
    : m_total(total)
    , m_enabled(enabled)
{
    m_started.start();
}

bool ProgressBar::standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void ProgressBar::update(qint64 handled)
{
    if (!m_enabled)
        return;
    const qint64 elapsedMs = m_started.elapsed();
    if (m_lastDrawMs >= 0 && elapsedMs - m_lastDrawMs < kRedrawMs && handled < m_total)
        return;
    m_lastDrawMs = elapsedMs;
    const qint64 total = qMax(m_total, handled);
    const int filled = total > 0 ? int(handled * kBarWidth / total) : 0;
    const double rate = elapsedMs > 0 ? double(handled) * kMsPerSecond / double(elapsedMs) : 0.0;
    const QString left = rate > 0 ? duration(qint64(double(total - handled) / rate)) : QStringLiteral("-:--");
    const QString line = QStringLiteral("\r[%1%2] %3/%4  %5 letters/s  %6 left ")
                                 .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
                                 .arg(handled)
                                 .arg(total)
                                 .arg(rate, 0, 'f', 1)
                                 .arg(left);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void ProgressBar::clear()
{
    if (!m_drawn)
        return;
    // Carriage return, erase to the end of the line.
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}

} // namespace quill
