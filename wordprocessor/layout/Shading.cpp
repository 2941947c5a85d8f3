#include "Shading.h"

#include "WordXml.h"

#include <QString>

namespace quill {

namespace {

// Share of the area a pattern covers, in per mille: the percentage patterns say it in their name (pct12 and
// the like are an eighth: 12.5 %); stripes and crosses are drawn as LibreOffice draws them, a third.
constexpr int kPerMille = 1000;
constexpr int kStripeCoverage = 333;
constexpr int kEighthRoundingPerMille = 5; // pct12, pct37, pct62, pct87 stand for 12.5 %, 37.5 %, ...
constexpr int kPercentToPerMille = 10;

int patternCoverage(const QString &pattern)
{
    if (pattern.isEmpty() || pattern == QLatin1String("clear") || pattern == QLatin1String("nil"))
        return 0;
    if (pattern == QLatin1String("solid"))
        return kPerMille;
    if (pattern.startsWith(QLatin1String("pct"))) {
        const int percent = pattern.mid(3).toInt();
        const bool eighth = percent % 5 == 2;
        return percent * kPercentToPerMille + (eighth ? kEighthRoundingPerMille : 0);
    }
    return kStripeCoverage;
}

// A colour value of w:shd; `fallback` for "auto" and values that are no colour.
QColor colorValue(const QString &value, const QColor &fallback)
{
    if (value.isEmpty() || value.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return fallback;
    const QColor color(QLatin1Char('#') + value);
    return color.isValid() ? color : fallback;
}

int blend(int under, int over, int coverage)
{
    return (under * (kPerMille - coverage) + over * coverage + kPerMille / 2) / kPerMille;
}

} // namespace

std::optional<QColor> shadingColor(pugi::xml_node shd)
{
    if (!shd)
        return std::nullopt;
    const QString pattern = textAttribute(shd, "val");
    const QString fillValue = textAttribute(shd, "fill");
    const int coverage = patternCoverage(pattern);
    const bool fillIsAuto = fillValue.isEmpty() || fillValue.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0;
    if (pattern == QLatin1String("nil") || (coverage == 0 && fillIsAuto))
        return QColor();
    const QColor fill = colorValue(fillValue, Qt::white);
    if (coverage == 0)
        return fill;
    const QColor ink = colorValue(textAttribute(shd, "color"), Qt::black);
    return QColor(blend(fill.red(), ink.red(), coverage), blend(fill.green(), ink.green(), coverage),
                  blend(fill.blue(), ink.blue(), coverage));
}

} // namespace quill
