#pragma once

namespace quill {

// Lets the process keep the memory one letter's work frees for the next letter, rather than hand it back to
// the system and fault it in again page by page. Call once, first thing in main().
void keepFreedMemoryForReuse();

} // namespace quill
