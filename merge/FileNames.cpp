#include "FileNames.h"

#include "Error.h"
#include "RecipientFields.h"

namespace quill {

namespace {

// Invisible characters that reorder or hide what a name shows: the direction marks, embeddings, overrides and
// isolates, and the byte-order mark. With them a name can show "letter.pdf.exe" as "letter.exe.pdf".
bool isDirectionOrByteOrderMark(QChar c)
{
    const char16_t unit = c.unicode();
    return unit == 0x061C || unit == 0x200E || unit == 0x200F || (unit >= 0x202A && unit <= 0x202E)
           || (unit >= 0x2066 && unit <= 0x2069) || unit == 0xFEFF;
}

bool isRemoved(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control
           || isDirectionOrByteOrderMark(c);
}

// Leading dots and dashes would hide a file or read as an option; blanks at either end are invisible.
bool isStrippedAtStart(QChar c)
{
    return c == QLatin1Char('.') || c == QLatin1Char('-') || c.isSpace();
}

bool isStrippedAtEnd(QChar c)
{
    return c == QLatin1Char('.') || c.isSpace();
}

QString stripEnds(const QString &name)
{
    qsizetype start = 0;
    qsizetype end = name.size();
    while (start < end && isStrippedAtStart(name[start]))
        ++start;
    while (end > start && isStrippedAtEnd(name[end - 1]))
        --end;
    return name.mid(start, end - start);
}

// `name` cut to at most `maxBytes` of UTF-8, never inside a character.
QString cutToBytes(const QString &name, int maxBytes)
{
    QString cut;
    int bytes = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype length = name[i].isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString character = name.mid(i, length);
        bytes += int(character.toUtf8().size());
        if (bytes > maxBytes)
            break;
        cut += character;
        i += length - 1;
    }
    return cut;
}

Error patternError(const QString &pattern, const QString &text)
{
    return Error(Status::NamePatternInvalid, QStringLiteral("The name pattern \"%1\" %2").arg(pattern, text));
}

} // namespace

QString safeFileName(const QString &name)
{
    QString safe;
    for (const QChar c : name) {
        if (!isRemoved(c))
            safe += c;
    }
    while (safe.contains(QStringLiteral("..")))
        safe.replace(QStringLiteral(".."), QStringLiteral("."));
    return stripEnds(cutToBytes(stripEnds(safe), kMaxNameBytes));
}

NamePattern::NamePattern(const QString &pattern)
{
    qsizetype at = 0;
    QString literal;
    while (at < pattern.size()) {
        const qsizetype open = pattern.indexOf(QLatin1Char('{'), at);
        literal += pattern.mid(at, open < 0 ? -1 : open - at);
        if (open < 0)
            break;
        const qsizetype close = pattern.indexOf(QLatin1Char('}'), open);
        if (close < 0)
            throw patternError(pattern, QStringLiteral("has a \"{\" without its \"}\"."));
        const QString name = pattern.mid(open + 1, close - open - 1);
        const int field = fieldNamed(name);
        if (field < 0)
            throw patternError(pattern, QStringLiteral("names {%1}, which is no tag of the letter.").arg(name));
        m_pieces.push_back({literal, -1});
        m_pieces.push_back({QString(), field});
        literal.clear();
        at = close + 1;
    }
    m_pieces.push_back({literal, -1});

    QString literals;
    bool hasTag = false;
    for (const Piece &piece : m_pieces) {
        literals += piece.text;
        hasTag = hasTag || piece.field >= 0;
    }
    if (literals.contains(QLatin1Char('/')) || literals.contains(QLatin1Char('\\')))
        throw patternError(pattern, QStringLiteral("names a folder; letters are written only into the output folder, so leave out \"/\"."));
    if (!hasTag && safeFileName(literals).isEmpty())
        throw patternError(pattern, QStringLiteral("gives no file name: name at least one tag, such as {RecipientName}."));
}

QString NamePattern::expand(const std::vector<FieldReplacement> &fields) const
{
    QString name;
    for (const Piece &piece : m_pieces)
        name += piece.field >= 0 ? fields.at(size_t(piece.field)).text : piece.text;
    return safeFileName(name);
}

QString NamePattern::nameFor(const std::vector<FieldReplacement> &fields, qint64 line) const
{
    const QString name = expand(fields);
    return name.isEmpty() ? QStringLiteral("letter-%1").arg(line) : name;
}

QString NameBook::claim(const QString &base)
{
    const QString folded = base.toCaseFolded();
    QString name = base;
    if (m_taken.contains(folded)) {
        // Numbering goes on where it stopped for this name, so many equal names stay cheap.
        int &number = m_nextNumber[folded];
        number = qMax(number, 2);
        do
            name = QStringLiteral("%1 (%2)").arg(base).arg(number++);
        while (m_taken.contains(name.toCaseFolded()));
    }
    m_taken.insert(name.toCaseFolded());
    return name;
}

} // namespace quill
