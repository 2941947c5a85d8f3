#pragma once

#include "AutomationObject.h"

namespace quill {

// Starts a new, hidden instance of the word-processor engine and returns its Application object
// (Word's object model: Documents, ActiveDocument, DisplayAlerts, Visible, Quit).
AutomationObjectPtr createWordApplication();

} // namespace quill
