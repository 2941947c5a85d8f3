#pragma once

#include <cstddef>
#include <cstdint>

namespace quill::fuzz {

// Reads `size` bytes as a document package (a .docx / .dotx zip) with the engine, then walks every
// story and shape, replaces in each and saves; a package the engine refuses is a normal outcome.
// Aborts when the engine breaks one of its own promises (counts, round trip of the text).
int readPackage(const std::uint8_t *data, std::size_t size);

// Reads `size` bytes as a find/replace request on a document: the search text, the replacement and
// the option letters on the first three lines ("c" match case, "w" whole words, "1" replace one,
// "b" backwards), the rest the main part's XML. The package around it carries a header and footnotes
// that the XML may refer to (r:id "rIdHeader"). Aborts like readPackage.
int replaceInDocument(const std::uint8_t *data, std::size_t size);

// Reads `size` bytes as a name pattern (the first line) and a recipient list (the rest), as the merge
// reads them, and names each row's letter. A TAB and a number at the end of the first line put that
// many blank lines (at most 65535) before the list, so that a small list crosses the reader's pieces.
// Aborts when the reader or the names break a promise (lines, cells, a written list read back, safe
// and distinct names).
int readRecipients(const std::uint8_t *data, std::size_t size);

} // namespace quill::fuzz
