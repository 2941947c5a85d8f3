#include "FontLeading.h"

#include "LayoutUnits.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QRawFont>
#include <QtEndian>

namespace quill {

namespace {

// Offsets into the font tables, in bytes.
constexpr int kHheaAscender = 4;  // hhea: ascender, descender, lineGap (16-bit signed, font units)
constexpr int kHheaLength = 10;
constexpr int kOs2WinAscent = 74; // OS/2: usWinAscent, usWinDescent (16-bit unsigned, font units)
constexpr int kOs2Length = 78;

qint16 signedAt(const QByteArray &table, int offset)
{
    return qFromBigEndian<qint16>(table.constData() + offset);
}

quint16 unsignedAt(const QByteArray &table, int offset)
{
    return qFromBigEndian<quint16>(table.constData() + offset);
}

} // namespace

qreal lineLeading(const QFont &font, const QPaintDevice *device)
{
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray hhea = raw.isValid() ? raw.fontTable("hhea") : QByteArray();
    const QByteArray os2 = raw.isValid() ? raw.fontTable("OS/2") : QByteArray();
    const qreal unitsPerEm = raw.isValid() ? raw.unitsPerEm() : 0;
    if (hhea.size() < kHheaLength || os2.size() < kOs2Length || unitsPerEm <= 0 || font.pointSizeF() <= 0)
        return qMax<qreal>(QFontMetricsF(font, device).leading(), 0);
    const int hheaHeight = signedAt(hhea, kHheaAscender) - signedAt(hhea, kHheaAscender + 2);
    const int lineGap = signedAt(hhea, kHheaAscender + 4);
    const int winHeight = unsignedAt(os2, kOs2WinAscent) + unsignedAt(os2, kOs2WinAscent + 2);
    const int leading = qMax(0, lineGap - qMax(0, winHeight - hheaHeight));
    const qreal emPixels = font.pointSizeF() * device->logicalDpiY() / kPointsPerInch;
    return leading * emPixels / unitsPerEm;
}

} // namespace quill
