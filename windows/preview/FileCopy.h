#pragma once

#include <QString>

namespace quill {

// Copies the file `source` to `target` byte for byte, creating `target` or replacing it in one step:
// the copy is written beside the target and takes its name only once complete, so a copy that fails
// leaves an existing target exactly as it was. Throws Error with the reason when it cannot copy.
void copyFileReplacing(const QString &source, const QString &target);

} // namespace quill
