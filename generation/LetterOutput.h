#pragma once

#include <QString>

class QPagedPaintDevice;

namespace quill {

// Writes the letter document at `documentPath` as a PDF at `pdfPath` through the word processor: its pages as
// they print. Throws Error when it cannot; a file already at `pdfPath` is then left as it was.
void exportLetterPdf(const QString &documentPath, const QString &pdfPath);

// Prints the pages of the letter document at `documentPath` on `printer` (set up by the caller) through the
// word processor. Throws Error when it cannot.
void printLetter(const QString &documentPath, QPagedPaintDevice &printer);

} // namespace quill
