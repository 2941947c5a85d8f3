#include "PageOutput.h"

#include "Units.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace quill {

namespace {

// A sheet of `size` logical pixels (96 per inch), in points, without margins.
QPageLayout sheet(const QSizeF &size)
{
    const QPageSize pageSize(size * kPointsPerPixel, QPageSize::Point, QString(), QPageSize::ExactMatch);
    return QPageLayout(pageSize, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0));
}

// The PDF's metadata stream: its title and author (Qt's PDF writer has no author entry of its own).
QByteArray xmpMetadata(const PdfInformation &information)
{
    const auto escaped = [](const QString &text) { return text.toHtmlEscaped().toUtf8(); };
    return "<?xpacket begin='' id='W5M0MpCehiHzreSzNTczkc9d'?>"
           "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>"
           "<rdf:Description rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/'>"
           "<dc:title><rdf:Alt><rdf:li xml:lang='x-default'>" + escaped(information.title) + "</rdf:li></rdf:Alt></dc:title>"
           "<dc:creator><rdf:Seq><rdf:li>" + escaped(information.author) + "</rdf:li></rdf:Seq></dc:creator>"
           "</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end='w'?>";
}


} // namespace

bool paintPages(const DocumentPages &pages, QPagedPaintDevice &device)
{
    // The recorded pages replay in their own units on a device of another resolution only scaled wrongly.
    if (pages.empty() || device.logicalDpiX() != int(kPixelsPerInch) || device.logicalDpiY() != int(kPixelsPerInch))
        return false;
    device.setPageLayout(sheet(pages.front().size));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (size_t index = 0; index < pages.size(); ++index) {
        if (index > 0) {
            device.setPageLayout(sheet(pages[index].size));
            if (!device.newPage())
                return false;
        }
        paintPage(painter, pages[index]);
    }
    return painter.end();
}

bool writePdf(const DocumentPages &pages, QIODevice &output, const PdfInformation &information)
{
    QPdfWriter writer(&output);
    writer.setTitle(information.title);
    writer.setDocumentXmpMetadata(xmpMetadata(information));
    // Text and drawings stay vectors: this is only the resolution of the page's coordinates.
    writer.setResolution(int(kPixelsPerInch));
    return paintPages(pages, writer);
}

} // namespace quill
