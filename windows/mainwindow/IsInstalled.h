#pragma once

#include <QString>

namespace quill::IsInstalled {

// The advice shown when no word-processor instance can be created.
extern const QString kAdvice;

// Starts one word-processor instance and quits it again. When none can be created, shows the
// advice and ends the program. Never reports a failure.
void CheckWordInstalled();

} // namespace quill::IsInstalled
