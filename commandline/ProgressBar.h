#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

namespace quill {

// A one-line progress bar on standard error: the rows handled of the total, the rate and the time
// left, redrawn in place at most a few times a second. Draws nothing when switched off.
class ProgressBar
{
public:
    // A bar for `total` rows; `enabled` false makes every call do nothing.
    ProgressBar(qint64 total, bool enabled);

    // Shows that `handled` rows are done.
    void update(qint64 handled);
    // Clears the bar's line, so the summary stands alone.
    void clear();

    // True when standard error is a terminal: progress is drawn only there.
    static bool standardErrorIsTerminal();

private:
    qint64 m_total;
    bool m_enabled;
    bool m_drawn = false;
    QElapsedTimer m_started;
    qint64 m_lastDrawMs = -1;
};

} // namespace quill
