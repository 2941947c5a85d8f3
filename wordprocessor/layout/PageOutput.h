#pragma once

#include "PageLayout.h"

#include <QString>

class QIODevice;
class QPagedPaintDevice;

namespace quill {

// What a PDF's document information says.
struct PdfInformation
{
    QString title;
    QString author;
};

// Paints `pages` onto the paged device `device` (a printer, a PDF writer), each page on a sheet of its own
// size without margins. The device must work at 96 dpi, one unit per logical pixel (QPrinter::setResolution,
// QPdfWriter::setResolution); text and drawings stay vectors. Returns false when the device cannot be painted
// on (a printer that refuses the job, another resolution).
bool paintPages(const DocumentPages &pages, QPagedPaintDevice &device);

// Writes `pages` as a PDF to `output` (open for writing): vector text with the fonts embedded, each page at
// its own size. Returns false when the PDF could not be painted.
bool writePdf(const DocumentPages &pages, QIODevice &output, const PdfInformation &information);

} // namespace quill
