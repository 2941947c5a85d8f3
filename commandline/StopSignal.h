#pragma once

#include <atomic>
#include <csignal>

namespace quill {

// Turns SIGINT (Ctrl+C) and SIGTERM into a request to stop, for as long as the object lives: the
// flag turns true and the work in hand finishes, instead of the process ending mid-write.
class StopSignal
{
public:
    StopSignal();
    // Puts back the handlers that were there before.
    ~StopSignal();
    StopSignal(const StopSignal &) = delete;
    StopSignal &operator=(const StopSignal &) = delete;

    // True once a stop was asked for.
    const std::atomic<bool> &flag() const;

private:
    struct sigaction m_previousInterrupt{};
    struct sigaction m_previousTerminate{};
};

} // namespace quill
