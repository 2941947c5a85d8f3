#include "LengthScale.h"

#include <QGuiApplication>
#include <QScreen>

namespace quill {

namespace {

// Qt's default resolution when no screen is known yet, in dots per inch.
constexpr int kQtFallbackDpi = 100;
// Qt keeps a letter spacing in 64ths of a pixel.
constexpr int kFixedPointStepsPerPixel = 64;
// A letter spacing that is a whole number of this many 64ths of a device pixel divides exactly by each multiplier
// Qt applies from 73 dpi up (3, 2 or 1): the least common multiple of the three.
constexpr int kLetterSpacingSteps = 6;

} // namespace

LengthScale LengthScale::current()
{
    // The rule Qt follows for its default resolution.
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return LengthScale(kLayoutDpi);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        return LengthScale(qRound(screen->logicalDotsPerInchY()));
    return LengthScale(kQtFallbackDpi);
}

LengthScale::LengthScale(int defaultDpi)
    : m_factor(qreal(defaultDpi) / kLayoutDpi)
    , m_letterSpacingMultiplier(defaultDpi > 0 ? kLayoutDpi * kLayoutOversampling / defaultDpi : 0)
{
}

qreal LengthScale::scaled(qreal twips) const
{
    return twipsToPixels(twips) * m_factor;
}

qreal LengthScale::letterSpacing(qreal twips) const
{
    constexpr qreal step = qreal(kLetterSpacingSteps) / kFixedPointStepsPerPixel;
    const qreal device = qRound(deviceLength(twips) / step) * step;
    // A screen finer than the layout device makes Qt drop the spacing whatever is given.
    return m_letterSpacingMultiplier > 0 ? device / m_letterSpacingMultiplier : device;
}

qreal qtLength(qreal devicePixels)
{
    return LengthScale::current().scaled(deviceTwips(devicePixels));
}

} // namespace quill
