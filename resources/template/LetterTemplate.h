#pragma once

#include <QByteArray>

namespace quill {

// Resource path of the embedded letter template package (resource type CUSTOM, id 101).
inline constexpr char kTemplateResourcePath[] = ":/CUSTOM/101";

// The embedded letter template, a WordprocessingML template package, read whole from the resource.
// Throws std::runtime_error with a readable description when the resource cannot be read.
QByteArray templateBytes();

} // namespace quill
