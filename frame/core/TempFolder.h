#pragma once

#include <QString>

namespace quill {

// The folder T that holds the work files: the one named by TEMP when set; otherwise the user's
// private runtime folder; otherwise a private folder (mode 0700) of the program's own under the
// system temporary folder. Throws Error when no private folder can be had.
QString temporaryFolder();

} // namespace quill
