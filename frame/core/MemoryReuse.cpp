#include "MemoryReuse.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace quill {

namespace {

// Blocks under this size come from the heap: each compressed part of a saved letter takes and frees about
// 270 KB of compression state, which glibc would otherwise map and unmap afresh every time.
constexpr int kMappedBlockThreshold = 1 << 20;
// Free memory at the top of the heap kept before it is given back to the system (glibc's default, 128 KB,
// gives back a letter's working memory after every letter).
constexpr int kKeptFreeMemory = 16 << 20;

} // namespace

void keepFreedMemoryForReuse()
{
    // glibc's tuning; other C libraries keep their own defaults.
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
    mallopt(M_MMAP_THRESHOLD, kMappedBlockThreshold);
    mallopt(M_TRIM_THRESHOLD, kKeptFreeMemory);
#endif
}

} // namespace quill
