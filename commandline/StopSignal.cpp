#include "StopSignal.h"

namespace quill {

namespace {

std::atomic<bool> g_stopAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set from a signal handler");

void askStop(int)
{
    g_stopAsked = true;
}

} // namespace

StopSignal::StopSignal()
{
    g_stopAsked = false;
    struct sigaction action{};
    action.sa_handler = askStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_previousInterrupt);
    sigaction(SIGTERM, &action, &m_previousTerminate);
}

StopSignal::~StopSignal()
{
    sigaction(SIGINT, &m_previousInterrupt, nullptr);
    sigaction(SIGTERM, &m_previousTerminate, nullptr);
}

const std::atomic<bool> &StopSignal::flag() const
{
    return g_stopAsked;
}

} // namespace quill
