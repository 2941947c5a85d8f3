#pragma once

#include "Automation.h"

#include <QString>

class QPagedPaintDevice;

namespace quill {

// The file formats a filled letter can be written in.
enum class LetterFormat { Doc, Pdf };

// The file name extension of `format`, with its dot (".doc", ".pdf").
QString letterExtension(LetterFormat format);

// Writes the filled letter `document` (an open automation document) to `path` in `format`: a document package
// as "Start Creating Template" saves it, or a PDF of its pages as they print. Throws Error when it cannot be
// written; a file already at `path` is then left as it was.
void saveLetter(const AutoObject &document, const QString &path, LetterFormat format);

// Writes the letter document at `documentPath` as a PDF at `pdfPath` through the word processor. Throws Error
// when it cannot; a file already at `pdfPath` is then left as it was.
void exportLetterPdf(const QString &documentPath, const QString &pdfPath);

// Prints the pages of the letter document at `documentPath` on `printer` (set up by the caller) through the
// word processor. Throws Error when it cannot.
void printLetter(const QString &documentPath, QPagedPaintDevice &printer);

} // namespace quill
