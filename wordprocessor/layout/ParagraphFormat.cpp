#include "ParagraphFormat.h"

#include "CharacterBorders.h"
#include "FontLeading.h"
#include "LengthScale.h"
#include "Pictures.h"
#include "TabLeaders.h"
#include "TextDocumentBuilder.h"

#include <QFontMetricsF>
#include <QtMath>

#include <algorithm>

namespace quill {

namespace {

// w:line value of single line spacing under lineRule auto.
constexpr int kSingleLineSpacing = 240;
// Furthest a default tab stop is placed for an indented paragraph, in twips (22 inches).
constexpr int kDefaultTabExtentTwips = 31680;

bool isBreakOnly(const QString &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c == QChar(kLineSeparator); });
}

QString fontKey(const QTextCharFormat &format)
{
    return format.font().key();
}

// Whether `pieces` hold inline pictures and nothing else but line breaks.
bool holdsOnlyInlinePictures(const std::vector<TextPiece> &pieces)
{
    bool picture = false;
    for (const TextPiece &piece : pieces) {
        if (piece.format.hasProperty(InlineWidthProperty))
            picture = true;
        else if (!isBreakOnly(piece.text))
            return false;
    }
    return picture;
}

} // namespace

ParagraphFormatter::ParagraphFormatter(const LengthScale &scale, int defaultTabStopTwips)
    : m_scale(scale)
    , m_defaultTabStopTwips(defaultTabStopTwips)
{
}

QTextBlockFormat ParagraphFormatter::blockFormat(const ParagraphProperties &paragraph) const
{
    QTextBlockFormat format;
    format.setAlignment(paragraph.alignment.value_or(Qt::AlignLeft));
    const int left = paragraph.leftIndent.value_or(0);
    const int firstLine = paragraph.firstLineIndent.value_or(0);
    format.setLeftMargin(deviceLength(left));
    format.setRightMargin(deviceLength(paragraph.rightIndent.value_or(0)));
    format.setTextIndent(deviceLength(firstLine));
    if (paragraph.shading && paragraph.shading->isValid())
        format.setBackground(*paragraph.shading);
    applyTabStops(format, paragraph, left + firstLine);
    return format;
}

void ParagraphFormatter::continueAfterBreak(QTextBlockFormat &format, const ParagraphProperties &paragraph) const
{
    format.setTextIndent(0);
    applyTabStops(format, paragraph, paragraph.leftIndent.value_or(0));
}

qreal ParagraphFormatter::applyLineHeight(QTextBlockFormat &format, const ParagraphProperties &paragraph,
                                          const std::vector<TextPiece> &pieces, const QTextCharFormat &markFormat,
                                          const QTextCharFormat &blankFormat, bool inCell)
{
    if (isBlankLine(pieces)) {
        const qreal height = applyLineHeight(format, paragraph, {}, blankFormat, blankFormat);
        // Qt measures the line by the font of its spaces and tabs, not the paragraph's: a proportional line's
        // distance would be added to the wrong height, so the line gets its whole height.
        if (format.lineHeightType() == QTextBlockFormat::LineDistanceHeight)
            format.setLineHeight(m_scale.scaled(height * kTwipsPerPixel), QTextBlockFormat::FixedHeight);
        return height;
    }
    LineMetrics natural;
    bool raisedLine = false; // a picture in the paragraph makes its line taller than the text
    // Every piece's font (a line break's too, which Qt measures) makes lines as tall as the first piece's, and no
    // object sets its own height.
    const LineMetrics first = pieces.empty() ? LineMetrics() : lineMetrics(pieces.front().format);
    bool uniform = true;
    for (const TextPiece &piece : pieces) {
        LineMetrics line = lineMetrics(piece.format);
        const qreal box = characterBorderHeight(piece.format);
        uniform = uniform && box == 0 && line.height == first.height && line.deviceHeight == first.deviceHeight
                  && !piece.format.isImageFormat();
        // A line break's own run does not make the line taller, as LibreOffice measures lines.
        if (isBreakOnly(piece.text))
            continue;
        line.height += box; // a boxed run's line holds its box
        natural.height = qMax(natural.height, line.height);
        natural.deviceHeight = qMax(natural.deviceHeight, line.deviceHeight);
        raisedLine = raisedLine || piece.format.boolProperty(RaisesLineProperty);
    }
    if (natural.height == 0)
        natural = lineMetrics(markFormat);
    const int line = paragraph.lineSpacing.value_or(kSingleLineSpacing);
    if (holdsOnlyInlinePictures(pieces) && paragraph.lineRule.value_or(LineRule::Auto) == LineRule::Auto
        && line > kSingleLineSpacing) {
        // LibreOffice spaces a line of pictures out by the spacing's share of its font's line, not of the
        // pictures: a picture 1 inch tall under 1.15 lines of 11 pt Carlito takes 96 + 0.15 x 17.9 pixels.
        const qreal extra = natural.height * (line - kSingleLineSpacing) / kSingleLineSpacing;
        format.setLineHeight(m_scale.scaled(extra * kTwipsPerPixel), QTextBlockFormat::LineDistanceHeight);
        return natural.height + extra;
    }
    qreal height = natural.height * line / kSingleLineSpacing;
    switch (paragraph.lineRule.value_or(LineRule::Auto)) {
    case LineRule::Exact:
        height = twipsToPixels(line);
        break;
    case LineRule::AtLeast:
        height = qMax(natural.height, twipsToPixels(line));
        break;
    case LineRule::Auto:
        if (line != kSingleLineSpacing) {
            // A proportionally spaced line keeps its text at the top and the extra space below it.
            // Qt adds a distance to the line's own height, which it rounds up to whole device pixels.
            const qreal distance = (height * kLayoutOversampling - natural.deviceHeight) / kLayoutOversampling;
            format.setLineHeight(m_scale.scaled(distance * kTwipsPerPixel), QTextBlockFormat::LineDistanceHeight);
            return height;
        }
        break;
    }
    // Qt gives every line of a block the same fixed height: a line holding a picture grows to it instead,
    // and the others keep the text's height.
    const bool grows = raisedLine && paragraph.lineRule.value_or(LineRule::Auto) != LineRule::Exact;
    if (inCell && !grows && uniform && height == natural.height
        && paragraph.lineRule.value_or(LineRule::Auto) != LineRule::Exact) {
        // Qt sets a fixed line's baseline at four fifths of its height less the font's line gap, which puts the
        // text of a font whose gap LibreOffice leaves out (Carlito's) too high: a line of the font's own height
        // keeps its baseline at the font's ascent, as LibreOffice does. Only in cells: Qt breaks such a line to
        // the next page by its height with the gap, which in the body would move page breaks.
        const qreal distance = (height * kLayoutOversampling - natural.deviceHeight) / kLayoutOversampling;
        format.setLineHeight(m_scale.scaled(distance * kTwipsPerPixel), QTextBlockFormat::LineDistanceHeight);
        return height;
    }
    format.setLineHeight(m_scale.scaled(height * kTwipsPerPixel),
                         grows ? QTextBlockFormat::MinimumHeight : QTextBlockFormat::FixedHeight);
    return height;
}

std::vector<ParagraphFormatter::Line> ParagraphFormatter::linesOf(const std::vector<TextPiece> &pieces)
{
    std::vector<Line> lines(1);
    for (const TextPiece &piece : pieces) {
        if (piece.format.boolProperty(RaisesLineProperty))
            return {};
        const QStringList segments = piece.text.split(QChar(kLineSeparator));
        for (qsizetype at = 0; at < segments.size(); ++at) {
            if (at > 0) {
                lines.back().pieces.push_back({QString(QChar(kLineSeparator)), piece.format});
                lines.emplace_back();
            }
            if (segments.at(at).isEmpty())
                continue;
            lines.back().pieces.push_back({segments.at(at), piece.format});
            lines.back().height = qMax(lines.back().height, lineMetrics(piece.format).height);
            lines.back().holdsTab = lines.back().holdsTab || segments.at(at).contains(QLatin1Char('\t'));
        }
    }
    return lines;
}

std::vector<std::vector<TextPiece>> ParagraphFormatter::groupsOfEqualHeight(const ParagraphProperties &paragraph,
                                                                         const std::vector<TextPiece> &pieces)
{
    const auto hasBreak = [](const TextPiece &piece) { return piece.text.contains(QChar(kLineSeparator)); };
    if (std::none_of(pieces.begin(), pieces.end(), hasBreak))
        return {};
    const std::vector<Line> lines = linesOf(pieces);
    if (lines.empty())
        return {};
    // Lines are grouped by height unless Qt already spaces them one by one, or a line holds no text, which
    // LibreOffice sizes by fonts the pieces do not tell.
    const LineRule rule = paragraph.lineRule.value_or(LineRule::Auto);
    const bool spacedByQt = rule == LineRule::Exact
                            || (rule == LineRule::Auto
                                && paragraph.lineSpacing.value_or(kSingleLineSpacing) != kSingleLineSpacing);
    const bool byHeight =
        !spacedByQt && std::none_of(lines.begin(), lines.end(), [](const Line &line) { return line.height == 0; });
    // Qt measures tab stops from each line's start, and gives all lines of a block the stops of the first:
    // lines after a break start at the left indent, so where the first line starts elsewhere and a later
    // line holds a tab, the lines after the first break make blocks of their own, with stops measured there.
    const auto holdsTab = [](const Line &line) { return line.holdsTab; };
    const bool tabsAfterBreak = paragraph.firstLineIndent.value_or(0) != 0 && lines.front().height > 0
                                && std::any_of(lines.begin() + 1, lines.end(), holdsTab);
    if (!byHeight && !tabsAfterBreak)
        return {};
    std::vector<std::vector<TextPiece>> groups;
    qreal groupHeight = 0;
    for (size_t index = 0; index < lines.size(); ++index) {
        const Line &line = lines[index];
        const bool newHeight = byHeight && line.height != groupHeight;
        if (groups.empty() || newHeight || (index == 1 && tabsAfterBreak)) {
            if (!groups.empty())
                groups.back().pop_back(); // the block's end stands for the break that ended the group
            groups.emplace_back();
            groupHeight = 0;
        }
        groupHeight = qMax(groupHeight, line.height);
        groups.back().insert(groups.back().end(), line.pieces.begin(), line.pieces.end());
    }
    if (groups.size() < 2)
        return {};
    return groups;
}

void ParagraphFormatter::breakBeforeWidePictures(std::vector<TextPiece> &pieces, qreal widthPixels) const
{
    const auto isInlinePicture = [](const TextPiece &piece) { return piece.format.hasProperty(InlineWidthProperty); };
    if (std::none_of(pieces.begin(), pieces.end(), isInlinePicture))
        return;
    // How far the text reaches along the current line; unknown (negative) once it holds a tab or wraps.
    qreal reach = 0;
    for (auto piece = pieces.begin(); piece != pieces.end(); ++piece) {
        if (isInlinePicture(*piece)) {
            const qreal width = piece->format.doubleProperty(InlineWidthProperty);
            if (reach > 0 && reach + width > widthPixels) {
                QTextCharFormat breakFormat = piece->format;
                breakFormat.setObjectType(QTextFormat::NoObject);
                breakFormat.clearProperty(InlineWidthProperty);
                breakFormat.clearProperty(RaisesLineProperty);
                piece = pieces.insert(piece, TextPiece{QString(QChar(kLineSeparator)), breakFormat}) + 1;
                reach = 0;
            }
            reach = reach < 0 ? reach : reach + width;
            continue;
        }
        const qsizetype lineStart = piece->text.lastIndexOf(QChar(kLineSeparator)) + 1;
        if (lineStart > 0)
            reach = 0;
        const QStringView line = QStringView(piece->text).mid(lineStart);
        if (reach < 0 || line.isEmpty())
            continue;
        if (line.contains(QLatin1Char('\t'))) {
            reach = -1;
            continue;
        }
        const QFontMetricsF metrics(piece->format.font(), layoutPaintDevice());
        reach += metrics.horizontalAdvance(line.toString()) / kLayoutOversampling;
        if (reach > widthPixels)
            reach = -1;
    }
}

void ParagraphFormatter::releaseOverlongWords(std::vector<TextPiece> &pieces, qreal widthPixels) const
{
    const QChar joiner(kZeroWidthNoBreakSpace);
    if (std::none_of(pieces.begin(), pieces.end(), [&](const TextPiece &piece) { return piece.text.contains(joiner); }))
        return;
    // The words run across pieces: each character's piece, then each word's width.
    QString all;
    std::vector<size_t> owner;
    for (size_t index = 0; index < pieces.size(); ++index) {
        all += pieces[index].text;
        owner.insert(owner.end(), size_t(pieces[index].text.size()), index);
    }
    std::vector<bool> released(size_t(all.size()), false);
    const auto endsWord = [&](qsizetype at) {
        return all.at(at).isSpace() || pieces[owner[size_t(at)]].format.objectType() != QTextFormat::NoObject;
    };
    for (qsizetype start = 0; start < all.size();) {
        qsizetype end = start;
        while (end < all.size() && !endsWord(end))
            ++end;
        if (all.mid(start, end - start).contains(joiner) && wordWidth(pieces, owner, all, start, end) > widthPixels) {
            // Only the joiners that stand as pieces of their own (in a font other than their run's) go:
            // LibreOffice breaks a long word after a slash in such runs, and anywhere in the others.
            for (qsizetype at = start; at < end; ++at)
                released[size_t(at)] = all.at(at) == joiner && pieces[owner[size_t(at)]].text.size() == 1;
        }
        start = end + 1;
    }
    std::vector<TextPiece> kept;
    qsizetype at = 0;
    for (TextPiece &piece : pieces) {
        QString text;
        for (const QChar c : piece.text) {
            if (!released[size_t(at++)])
                text += c;
        }
        if (!text.isEmpty())
            kept.push_back({text, piece.format});
    }
    pieces = std::move(kept);
}

// The width of `all`'s characters from `start` to `end`, each measured in the font of its piece, in logical pixels.
qreal ParagraphFormatter::wordWidth(const std::vector<TextPiece> &pieces, const std::vector<size_t> &owner,
                                    const QString &all, qsizetype start, qsizetype end)
{
    qreal width = 0;
    while (start < end) {
        qsizetype stop = start;
        while (stop < end && owner[size_t(stop)] == owner[size_t(start)])
            ++stop;
        const QFontMetricsF metrics(pieces[owner[size_t(start)]].format.font(), layoutPaintDevice());
        width += metrics.horizontalAdvance(all.mid(start, stop - start)) / kLayoutOversampling;
        start = stop;
    }
    return width;
}

bool isBlankLine(const std::vector<TextPiece> &pieces)
{
    bool hasText = false;
    for (const TextPiece &piece : pieces) {
        for (const QChar c : piece.text) {
            if (c != QLatin1Char(' ') && c != QLatin1Char('\t'))
                return false;
            hasText = true;
        }
    }
    return hasText;
}

ParagraphFormatter::LineMetrics ParagraphFormatter::lineMetrics(const QTextCharFormat &format)
{
    const QString key = fontKey(format);
    const auto cached = m_lineMetrics.constFind(key);
    if (cached != m_lineMetrics.constEnd())
        return *cached;
    const QFontMetricsF metrics(format.font(), layoutPaintDevice());
    const qreal textHeight = metrics.ascent() + metrics.descent();
    const qreal deviceHeight = textHeight + qMax<qreal>(metrics.leading(), 0);
    const qreal officeHeight = textHeight + officeLeading(format.font(), metrics);
    const LineMetrics line{roundToTwips(officeHeight / kLayoutOversampling), qreal(qCeil(deviceHeight))};
    m_lineMetrics.insert(key, line);
    return line;
}

// Word measures tab stops from the text column's left edge; Qt measures them from where a line starts.
// The stops are given relative to `origin` (twips from the column's edge), where the block's lines start.
void ParagraphFormatter::applyTabStops(QTextBlockFormat &format, const ParagraphProperties &paragraph,
                                       int origin) const
{
    const int left = paragraph.leftIndent.value_or(0);
    std::map<int, TabStop> positioned; // by position in twips from the column's edge
    int lastCustom = origin;
    for (const auto &[position, stop] : paragraph.tabs) {
        if (stop.cleared || position <= origin)
            continue;
        positioned.emplace(position, stop);
        lastCustom = qMax(lastCustom, position);
    }
    // A hanging line has an implicit stop at the left indent, unless a custom stop comes before it.
    if (origin < left && positioned.lower_bound(origin + 1) == positioned.lower_bound(left + 1))
        positioned.emplace(left, TabStop{left, QTextOption::LeftTab, false, QChar()});
    // Past the custom stops, default stops fall on multiples of the interval from the column's edge;
    // Qt's own default stops would count from the line's start, which differs when the line is indented.
    if (origin != 0 || !positioned.empty()) {
        const int interval = m_defaultTabStopTwips;
        for (int position = (lastCustom / interval + 1) * interval; position <= kDefaultTabExtentTwips;
             position += interval) {
            positioned.emplace(position, TabStop{position, QTextOption::LeftTab, false, QChar()});
        }
    }
    QList<QTextOption::Tab> tabs;
    QList<qreal> stopPixels;
    QString leaders;
    for (const auto &[position, stop] : positioned) {
        QTextOption::Tab tab(m_scale.scaled(position - origin), stop.type);
        if (stop.type == QTextOption::DelimiterTab)
            tab.delimiter = QLatin1Char('.');
        tabs.append(tab);
        stopPixels.append(deviceLength(position - origin));
        leaders.append(stop.leader);
    }
    if (tabs.isEmpty())
        format.clearProperty(QTextFormat::TabPositions);
    else
        format.setTabPositions(tabs);
    setTabLeaders(format, stopPixels, leaders);
}

} // namespace quill
