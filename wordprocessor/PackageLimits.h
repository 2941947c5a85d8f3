#pragma once

#include <cstdint>

namespace quill {

// Limits that keep a hostile or damaged package from exhausting memory or time.

// The most entries a package may hold.
inline constexpr std::int64_t kMaxPackageEntries = 10000;
// The most bytes one part may unpack to (64 MiB).
inline constexpr std::int64_t kMaxPartSize = std::int64_t(64) * 1024 * 1024;
// The most bytes all parts together may unpack to (256 MiB).
inline constexpr std::int64_t kMaxPackageSize = std::int64_t(256) * 1024 * 1024;
// The deepest element nesting an XML part may have.
inline constexpr int kMaxXmlDepth = 256;
// The deepest content controls (w:sdt) may nest in one part; documents nest them a few levels at most.
inline constexpr int kMaxContentControlDepth = 64;
// The size of the buffer a part is unpacked through, in bytes.
inline constexpr std::int64_t kReadChunkSize = 64 * 1024;

} // namespace quill
