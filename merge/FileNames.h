#pragma once

#include "LetterGeneration.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <vector>

namespace quill {

// The file name pattern used when none is given: the company, then the recipient.
inline const QString kDefaultNamePattern = QStringLiteral("{CompanyName} - {RecipientName}");
// The longest file name made from a pattern, in UTF-8 bytes, before the number and extension are added.
constexpr int kMaxNameBytes = 200;

// `name` made safe as a file name inside the output folder: no path separators, no control
// characters, no "..", no leading dots, dashes or blanks, no trailing dots or blanks, and cut to
// kMaxNameBytes at a character boundary. Empty when nothing remains.
QString safeFileName(const QString &name);

// A file name pattern: text with tags in braces ("{CompanyName} - {RecipientName}"), the tags named
// as the list's columns are (with or without brackets, in any letter case).
class NamePattern
{
public:
    // Parses `pattern`. Throws Error (NamePatternInvalid) for a pattern that names a folder ("/"),
    // an unknown tag, an unclosed brace, or that can give no file name at all.
    explicit NamePattern(const QString &pattern);

    // The safe file name, without extension, for a letter with `fields` (in field order); empty when
    // the values leave nothing of it.
    QString expand(const std::vector<FieldReplacement> &fields) const;
    // The file name, without extension, for the letter of the row on `line` of the list: the
    // expansion, or "letter-LINE" when the values leave nothing of it.
    QString nameFor(const std::vector<FieldReplacement> &fields, qint64 line) const;

private:
    struct Piece
    {
        QString text; // literal text, when field < 0
        int field = -1;
    };
    std::vector<Piece> m_pieces;
};

// The names given out so far in one run: a name given twice comes back numbered the second time
// ("Acme (2)"); names differing only in letter case count as the same.
class NameBook
{
public:
    // `base` if it is still free, else the first free "base (n)" from n = 2; taken from then on.
    QString claim(const QString &base);

private:
    QSet<QString> m_taken;              // case-folded
    QHash<QString, int> m_nextNumber;   // case-folded base name -> next number to try
};

} // namespace quill
