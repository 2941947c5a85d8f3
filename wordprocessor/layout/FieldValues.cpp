#include "FieldValues.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace quill {

namespace {

// A field code cut into words, quoted words whole; nothing when a quote is left open.
std::optional<QStringList> fieldWords(const QString &instruction)
{
    QStringList words;
    QString word;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : instruction) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            inWord = true;
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.append(word);
    return words;
}

// The switches of a field after its name: the date picture (\@) and the number format (\*).
struct FieldSwitches
{
    QString datePicture;
    QString numberFormat; // empty: Arabic
};

// Reads the switches; nothing for a switch this layout cannot honour (the stored result is shown then).
std::optional<FieldSwitches> readSwitches(const QStringList &words)
{
    FieldSwitches switches;
    for (int at = 1; at < words.size(); ++at) {
        const QString &word = words[at];
        if (!word.startsWith(QLatin1Char('\\')))
            return std::nullopt;
        if (at + 1 >= words.size())
            return std::nullopt;
        const QString value = words[++at];
        if (word == QLatin1String("\\@")) {
            switches.datePicture = value;
        } else if (word == QLatin1String("\\*")) {
            const QString lower = value.toLower();
            if (lower == QLatin1String("mergeformat") || lower == QLatin1String("charformat"))
                continue;
            if (lower != QLatin1String("arabic") && lower != QLatin1String("roman") && lower != QLatin1String("alphabetic"))
                return std::nullopt;
            switches.numberFormat = value;
        } else {
            return std::nullopt;
        }
    }
    return switches;
}

QString romanNumeral(int number)
{
    static const struct { int value; const char *digits; } kNumerals[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
        {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    QString text;
    for (const auto &numeral : kNumerals) {
        for (; number >= numeral.value; number -= numeral.value)
            text += QLatin1String(numeral.digits);
    }
    return text;
}

// A page number in the \* format: Arabic, roman or ROMAN, alphabetic or ALPHABETIC (a..z, aa..zz, ...).
QString formatNumber(int number, const QString &format)
{
    const QString lower = format.toLower();
    QString text;
    if (lower == QLatin1String("roman") && number > 0) {
        text = romanNumeral(number);
    } else if (lower == QLatin1String("alphabetic") && number > 0) {
        text = QString((number - 1) / 26 + 1, QChar(u'a' + (number - 1) % 26));
    } else {
        return QString::number(number);
    }
    return format.at(0).isUpper() ? text.toUpper() : text;
}

// A date picture of a field (\@ "MMMM d, yyyy") as QLocale reads it: the letters agree but for AM/PM.
QString qtDateFormat(QString picture)
{
    picture.replace(QLatin1String("AM/PM"), QLatin1String("AP"), Qt::CaseSensitive);
    picture.replace(QLatin1String("am/pm"), QLatin1String("ap"), Qt::CaseSensitive);
    return picture;
}

std::optional<QString> formatDate(const QDateTime &date, const QString &picture, const char *fallbackPicture)
{
    if (!date.isValid())
        return std::nullopt;
    const QString format = picture.isEmpty() ? QString::fromLatin1(fallbackPicture) : qtDateFormat(picture);
    if (format.isEmpty())
        return std::nullopt;
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, format);
}

// The display text of MACROBUTTON: everything after the macro's name, as written.
std::optional<QString> macroButtonText(const QString &instruction)
{
    const QString code = instruction.trimmed();
    const qsizetype nameStart = code.indexOf(QRegularExpression(QStringLiteral("\\s")));
    if (nameStart < 0)
        return QString();
    const QString rest = code.mid(nameStart).trimmed();
    const qsizetype textStart = rest.indexOf(QRegularExpression(QStringLiteral("\\s")));
    return textStart < 0 ? QString() : rest.mid(textStart).trimmed();
}

} // namespace

std::optional<QString> missingReferenceResult(const QString &instruction, const QSet<QString> &bookmarks)
{
    const std::optional<QStringList> words = fieldWords(instruction);
    if (!words || words->size() < 2)
        return std::nullopt;
    const QString name = words->front().toUpper();
    if (name != QLatin1String("REF") && name != QLatin1String("PAGEREF"))
        return std::nullopt;
    if (bookmarks.contains(words->at(1).toLower()))
        return std::nullopt;
    return QStringLiteral("Error: Reference source not found");
}

std::optional<QString> fieldResult(const QString &instruction, const FieldContext &context)
{
    const std::optional<QStringList> words = fieldWords(instruction);
    if (!words || words->isEmpty())
        return std::nullopt;
    const QString name = words->front().toUpper();
    if (name == QLatin1String("MACROBUTTON"))
        return macroButtonText(instruction);
    const std::optional<FieldSwitches> switches = readSwitches(*words);
    if (!switches)
        return std::nullopt;
    const auto pageNumber = [&](int number) -> std::optional<QString> {
        if (context.page <= 0)
            return std::nullopt;
        return formatNumber(number, switches->numberFormat);
    };
    if (name == QLatin1String("PAGE"))
        return pageNumber(context.page);
    if (name == QLatin1String("NUMPAGES"))
        return pageNumber(context.pages);
    if (name == QLatin1String("SECTIONPAGES"))
        return pageNumber(context.sectionPages);
    if (name == QLatin1String("DATE"))
        return formatDate(context.now, switches->datePicture, "M/d/yyyy");
    if (name == QLatin1String("TIME"))
        return formatDate(context.now, switches->datePicture, "h:mm AP");
    if (name == QLatin1String("CREATEDATE"))
        return formatDate(context.dates.created, switches->datePicture, "M/d/yyyy h:mm:ss AP");
    if (name == QLatin1String("SAVEDATE"))
        return formatDate(context.dates.saved, switches->datePicture, "M/d/yyyy h:mm:ss AP");
    if (name == QLatin1String("PRINTDATE"))
        return formatDate(context.dates.printed, switches->datePicture, "M/d/yyyy h:mm:ss AP");
    return std::nullopt;
}

} // namespace quill
