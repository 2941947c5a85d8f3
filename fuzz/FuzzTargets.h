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

} // namespace quill::fuzz
