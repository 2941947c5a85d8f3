#pragma once

#include "Automation.h"

#include <QString>

namespace quill {

// The file formats a filled letter can be written in.
enum class LetterFormat { Doc, Pdf };

// The file name extension of `format`, with its dot (".doc", ".pdf").
QString letterExtension(LetterFormat format);

// Writes the filled letter `document` (an open automation document) to `path` in `format`.
// Throws Error when it cannot be written.
void saveLetter(const AutoObject &document, const QString &path, LetterFormat format);

// Writes the filled letter `document` to `path` as PDF: its pages as they print.
// Throws Error (FormatUnavailable): this program cannot write PDF yet.
void saveLetterPdf(const AutoObject &document, const QString &path);

} // namespace quill
