#include "FontLeading.h"

#include <QByteArray>
#include <QFontMetricsF>
#include <QRawFont>

namespace quill {

namespace {

// Offsets of the values read from the font's tables (all big-endian 16-bit).
constexpr int kHheaAscender = 4;
constexpr int kHheaDescender = 6;
constexpr int kHheaLineGap = 8;
constexpr int kOs2Selection = 62;
constexpr int kOs2WinAscent = 74;
constexpr int kOs2WinDescent = 76;
// fsSelection bit: the font asks to be measured by its typographic metrics, whose gap Qt and LibreOffice agree on.
constexpr quint16 kUseTypoMetrics = 1 << 7;

// The big-endian 16-bit value at `offset`; the caller has checked that the table holds it.
int unsignedValue(const QByteArray &table, int offset)
{
    return (quint8(table.at(offset)) << 8) | quint8(table.at(offset + 1));
}

int signedValue(const QByteArray &table, int offset)
{
    return qint16(quint16(unsignedValue(table, offset)));
}

} // namespace

qreal officeLeading(const QFont &font, const QFontMetricsF &metrics)
{
    const qreal leading = qMax<qreal>(metrics.leading(), 0);
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray os2 = raw.fontTable("OS/2");
    if (leading == 0 || hhea.size() < kHheaLineGap + 2 || os2.size() < kOs2WinDescent + 2)
        return leading;
    if (unsignedValue(os2, kOs2Selection) & kUseTypoMetrics)
        return leading;
    const int gap = signedValue(hhea, kHheaLineGap);
    if (gap <= 0)
        return leading;
    const int hheaHeight = signedValue(hhea, kHheaAscender) - signedValue(hhea, kHheaDescender);
    const int winHeight = unsignedValue(os2, kOs2WinAscent) + unsignedValue(os2, kOs2WinDescent);
    const int kept = qBound(0, gap - (winHeight - hheaHeight), gap);
    // Qt's leading is the whole gap in device pixels: scale it down by the share kept.
    return leading * kept / gap;
}

} // namespace quill
