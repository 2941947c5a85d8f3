#pragma once

#include <QStringList>

namespace quill {

// Exit statuses of the command line (a stopped merge ends with 130, as after SIGINT).
constexpr int kExitAllMade = 0;
constexpr int kExitSomeSkipped = 1;
constexpr int kExitNothingStarted = 2;

// True when the program's arguments ask for the command line ("merge", "--help", "--version")
// rather than the window.
bool wantsCommandLine(int argc, char **argv);

// Runs the command line with the program's `arguments` (the program's name first) and returns the
// exit status. Needs a QCoreApplication.
int runCommandLine(const QStringList &arguments);

} // namespace quill
