#include "ProgramEnd.h"

#include <cstdio>
#include <cstdlib>

namespace quill {

namespace {
std::function<void()> g_handler;
}

void endProgram()
{
    if (g_handler) {
        g_handler();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

void setProgramEndHandler(std::function<void()> handler)
{
    g_handler = std::move(handler);
}

} // namespace quill
