#pragma once

#include <functional>

namespace quill {

// Ends the process at once: no window's closing code runs afterwards and nothing more is saved
// (the settings store is written on every change, so nothing is lost).
// Tests install a handler that records the end instead; the caller then returns on its own.
void endProgram();

// Replaces the end of the process with `handler`; an empty handler restores the real end.
void setProgramEndHandler(std::function<void()> handler);

} // namespace quill
