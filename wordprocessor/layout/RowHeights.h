#pragma once

class QTextDocument;

namespace quill {

// Marks `document` as holding table rows of exact height, which fitExactRows then measures.
void markExactRows(QTextDocument &document);

// Makes every exact-height row of `document` (laid out, or given its page size) exactly as tall as it is meant to
// be, as LibreOffice draws it: Qt has no row height, so each cell's padding is measured again against its laid-out
// content, and content that reaches below the row is cut off there: its lines stay in the cell's flow, and in the
// text, but no longer take room below the row nor show. Costs nothing on a document not marked.
void fitExactRows(QTextDocument &document);

} // namespace quill
