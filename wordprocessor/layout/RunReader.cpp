#include "RunReader.h"

#include "CharacterBorders.h"
#include "FieldValues.h"
#include "LengthScale.h"
#include "Pictures.h"
#include "RunContent.h"
#include "StyleSheet.h"
#include "ThemeFonts.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <QRawFont>

#include <algorithm>
#include <cstring>

namespace quill {

namespace {

// Word's built-in run defaults when styles.xml gives none.
constexpr qreal kDefaultPointSize = 10.0;
constexpr char kDefaultFontFamily[] = "Times New Roman";

constexpr char16_t kNonBreakingHyphen = 0x2011;
constexpr char16_t kSoftHyphen = 0x00AD;
// The family and size a joiner takes where the run's own font lacks it.
constexpr char kJoinerFamily[] = "Calibri";
constexpr qreal kJoinerPointSize = 1;
// w:sym gives its character as a hexadecimal code.
constexpr int kHexadecimal = 16;

// The family `font` names, its theme slot read from `themeFonts`; empty when there is none.
QString familyOf(const std::optional<FontName> &font, const ThemeFonts &themeFonts)
{
    if (!font)
        return {};
    return font->themeSlot.isEmpty() ? font->family : themeFonts.family(font->themeSlot);
}

// The families to draw a run with, in the order Qt tries them for each character: the Latin font, then the East
// Asian and the complex-script fonts, which give the characters the Latin font lacks (a Chinese name in a
// Calibri run). What none of them holds, Qt finds among the installed fonts through fontconfig, which also
// stands metric-compatible families in for Office fonts by name (Carlito for Calibri, Liberation for Arial).
QStringList fontFamilies(const RunProperties &run, const ThemeFonts &themeFonts)
{
    QString latin = familyOf(run.latinFont, themeFonts);
    QStringList families{latin.isEmpty() ? QString::fromLatin1(kDefaultFontFamily) : latin};
    for (const QString &other : {familyOf(run.eastAsianFont, themeFonts), familyOf(run.complexFont, themeFonts)}) {
        if (!other.isEmpty() && !families.contains(other))
            families.append(other);
    }
    return families;
}

// `text` with the line breaks LibreOffice allows: none after a slash that text follows (a path or an address
// stays whole, and moves to the next line as one word), where Qt would break. A zero-width no-break space
// holds the slash to what follows it.
QString withLibreOfficeBreaks(QString text)
{
    // A slash that ends the text may be followed by the next run's: it is held too (before a space, the
    // joiner changes nothing).
    for (qsizetype at = text.indexOf(QLatin1Char('/')); at >= 0; at = text.indexOf(QLatin1Char('/'), at + 1)) {
        if (at + 1 == text.size() || !text.at(at + 1).isSpace())
            text.insert(++at, QChar(kZeroWidthNoBreakSpace));
    }
    return text;
}

// The format of a joiner in a run of `format` whose font lacks it: a font that holds it, too small to make
// the line taller.
QTextCharFormat joinerFormat(const QTextCharFormat &format)
{
    QTextCharFormat joiner = format;
    joiner.setFontFamilies({QString::fromLatin1(kJoinerFamily)});
    joiner.setFontPointSize(kJoinerPointSize);
    return joiner;
}

} // namespace

// Where the runs read so far stand among complex fields: the nesting that decides what is shown, and the
// code of every open field, so that a field computed as it prints replaces its stored result.
struct RunReader::FieldWalk
{
    struct OpenField
    {
        QString code;
        bool separated = false;
        bool replaced = false; // its computed value was drawn: the stored result is not
    };

    FieldNesting nesting;
    std::vector<OpenField> open;

    bool isShown() const
    {
        if (!nesting.isShown())
            return false;
        return std::none_of(open.begin(), open.end(), [](const OpenField &field) { return field.replaced; });
    }
};

QTextCharFormat charFormat(const RunProperties &run, const ThemeFonts &themeFonts, const LengthScale &scale)
{
    QTextCharFormat format;
    format.setFontFamilies(fontFamilies(run, themeFonts));
    format.setFontPointSize(run.pointSize.value_or(kDefaultPointSize));
    format.setFontWeight(run.bold.value_or(false) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic.value_or(false));
    format.setFontUnderline(run.underline.value_or(false));
    format.setFontStrikeOut(run.strikeOut.value_or(false));
    if (run.caps.value_or(false))
        format.setFontCapitalization(QFont::AllUppercase);
    else if (run.smallCaps.value_or(false))
        format.setFontCapitalization(QFont::SmallCaps);
    const QColor color = run.color.value_or(QColor());
    format.setForeground(color.isValid() ? color : QColor(Qt::black));
    if (run.background && run.background->isValid())
        format.setBackground(*run.background);
    if (run.verticalAlignment)
        format.setVerticalAlignment(static_cast<QTextCharFormat::VerticalAlignment>(*run.verticalAlignment));
    if (run.letterSpacingPixels && *run.letterSpacingPixels != 0) {
        format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        format.setFontLetterSpacing(scale.letterSpacing(*run.letterSpacingPixels * kTwipsPerPixel));
    }
    // Word and LibreOffice apply pair kerning only where a run asks for it (w:kern); Qt kerns by default.
    const bool kerning = run.kerning.value_or(false);
    format.setFontKerning(kerning);
    // Unkerned Latin text needs no shaping; Qt still shapes scripts that do. Kerning needs shaping.
    // (Set either way: a format inherits what it leaves unset from the document's default font.)
    format.setFontStyleStrategy(kerning ? QFont::PreferDefault : QFont::PreferNoShaping);
    if (run.border)
        setCharacterBorder(format, *run.border);
    return format;
}

RunReader::RunReader(const StyleSheet &styles, const ThemeFonts &themeFonts, const LengthScale &scale,
                     EmbeddedObjects *objects, const FieldContext *fields)
    : m_styles(styles)
    , m_themeFonts(themeFonts)
    , m_scale(scale)
    , m_objects(objects)
    , m_fields(fields)
{
}

void RunReader::readParagraph(pugi::xml_node paragraph, const RunProperties &paragraphRun, bool allowPageBreaks,
                              ParagraphText &text) const
{
    FieldWalk fields;
    collectInline(paragraph, paragraphRun, fields, text, allowPageBreaks);
    for (std::vector<TextPiece> &pieces : text.parts) {
        if (makeRoomForCharacterBorders(pieces, m_scale))
            text.hasCharacterBorders = true;
    }
}

// Reads the runs of a paragraph (and of hyperlinks, content controls, insertions, simple fields inside it).
void RunReader::collectInline(pugi::xml_node parent, const RunProperties &paragraphRun, FieldWalk &fields,
                              ParagraphText &text, bool allowPageBreaks) const
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (isElement(child, "r")) {
            addRun(child, paragraphRun, fields, text, allowPageBreaks);
        } else if (isElement(child, "sdt")) {
            collectInline(childElement(child, "sdtContent"), paragraphRun, fields, text, allowPageBreaks);
        } else if (isElement(child, "fldSimple")) {
            addSimpleField(child, paragraphRun, fields, text, allowPageBreaks);
        } else if (isElement(child, "hyperlink") || isElement(child, "smartTag") || isElement(child, "customXml")
                   || isElement(child, "ins") || isElement(child, "moveTo") || isElement(child, "dir")
                   || isElement(child, "bdo")) {
            collectInline(child, paragraphRun, fields, text, allowPageBreaks);
        }
    }
}

// A simple field shows its computed value where it has one, else the runs of its stored result.
void RunReader::addSimpleField(pugi::xml_node field, const RunProperties &paragraphRun, FieldWalk &fields,
                               ParagraphText &text, bool allowPageBreaks) const
{
    const std::optional<QString> value = computedResult(textAttribute(field, "instr"));
    if (!value) {
        collectInline(field, paragraphRun, fields, text, allowPageBreaks);
        return;
    }
    const RunProperties properties = runProperties(childElement(field, "r"), paragraphRun);
    if (fields.isShown() && !properties.hidden.value_or(false) && !value->isEmpty())
        text.parts.back().push_back({*value, charFormat(properties, m_themeFonts, m_scale)});
}

// True when the font of `format` draws the joiner itself: a font without it would draw it with a fallback
// font, whose height the line would take.
bool RunReader::keepsSlashesJoined(const QTextCharFormat &format) const
{
    const QFont font = format.font();
    const QString key = font.key();
    const auto known = m_holdsJoiner.constFind(key);
    if (known != m_holdsJoiner.constEnd())
        return *known;
    const bool holds = QRawFont::fromFont(font).supportsCharacter(char32_t(kZeroWidthNoBreakSpace));
    m_holdsJoiner.insert(key, holds);
    return holds;
}

std::optional<QString> RunReader::computedResult(const QString &instruction) const
{
    if (m_bookmarksKnown) {
        if (std::optional<QString> missing = missingReferenceResult(instruction, m_bookmarks))
            return missing;
    }
    return m_fields ? fieldResult(instruction, *m_fields) : std::nullopt;
}

// The run properties of `run` (its character style and its own w:rPr) over the paragraph's.
RunProperties RunReader::runProperties(pugi::xml_node run, const RunProperties &paragraphRun) const
{
    RunProperties properties = paragraphRun;
    const pugi::xml_node rPr = childElement(run, "rPr");
    const QString characterStyle = textAttribute(childElement(rPr, "rStyle"), "val");
    if (!characterStyle.isEmpty())
        properties.apply(m_styles.style(characterStyle).run);
    properties.apply(rPr);
    return properties;
}

// Follows a complex field's begin, separate or end. At the separate (or at the end of a field without one)
// a field computed as it prints draws its value, and its stored result is then passed over.
void RunReader::stepField(pugi::xml_node fldChar, const QTextCharFormat &format, bool hidden, FieldWalk &fields,
                          ParagraphText &text) const
{
    const char *type = attribute(fldChar, "fldCharType").value();
    const bool begin = std::strcmp(type, "begin") == 0;
    const bool separate = std::strcmp(type, "separate") == 0;
    const bool end = std::strcmp(type, "end") == 0;
    std::optional<QString> value;
    if (!fields.open.empty() && !fields.open.back().separated && (separate || end))
        value = computedResult(fields.open.back().code);
    if (end && !fields.open.empty())
        fields.open.pop_back();
    fields.nesting.step(fldChar);
    if (begin)
        fields.open.emplace_back();
    if (separate && !fields.open.empty())
        fields.open.back().separated = true;
    if (!value)
        return;
    if (fields.isShown() && !hidden && !value->isEmpty())
        text.parts.back().push_back({*value, format});
    if (separate && !fields.open.empty())
        fields.open.back().replaced = true;
}

void RunReader::addRun(pugi::xml_node run, const RunProperties &paragraphRun, FieldWalk &fields,
                       ParagraphText &text, bool allowPageBreaks) const
{
    const RunProperties properties = runProperties(run, paragraphRun);
    const bool hidden = properties.hidden.value_or(false);
    const QTextCharFormat format = charFormat(properties, m_themeFonts, m_scale);

    QString buffer;
    const auto flush = [&]() {
        if (!buffer.isEmpty())
            text.parts.back().push_back({buffer, format});
        buffer.clear();
    };
    for (pugi::xml_node child = run.first_child(); child; child = child.next_sibling()) {
        const RunItem item = runItem(child);
        if (item == RunItem::FieldCharacter) {
            flush();
            // A legacy form check box shows as a box where its field begins.
            const pugi::xml_node checkBox = childElement(childElement(child, "ffData"), "checkBox");
            if (checkBox && m_objects && !hidden && fields.isShown()) {
                const pugi::xml_node checked = childElement(checkBox, "checked");
                text.parts.back().push_back(
                    m_objects->checkBoxPiece(isOn(checked ? checked : childElement(checkBox, "default")), format));
            }
            stepField(child, format, hidden, fields, text);
            continue;
        }
        if (isElement(child, "instrText") && !fields.open.empty() && !fields.open.back().separated) {
            fields.open.back().code += elementText(child);
            continue;
        }
        if (hidden || !fields.isShown())
            continue;
        switch (item) {
        case RunItem::Text: {
            const QString shown = withLibreOfficeBreaks(elementText(child));
            // Most text holds no slash and so no joiner: it needs no font lookup.
            if (!shown.contains(QChar(kZeroWidthNoBreakSpace)) || keepsSlashesJoined(format)) {
                buffer += shown;
                break;
            }
            // The run's font lacks the joiner: each joiner is a piece of its own, in a tiny font that holds it.
            const QTextCharFormat joiner = joinerFormat(format);
            const bool joins = keepsSlashesJoined(joiner);
            const QStringList segments = shown.split(QChar(kZeroWidthNoBreakSpace));
            for (qsizetype at = 0; at < segments.size(); ++at) {
                if (at > 0 && joins) {
                    flush();
                    text.parts.back().push_back({QString(QChar(kZeroWidthNoBreakSpace)), joiner});
                }
                buffer += segments.at(at);
            }
            break;
        }
        case RunItem::Tab:
            buffer += QLatin1Char('\t');
            break;
        case RunItem::Break:
            if (breakKind(child) == BreakKind::Line) {
                buffer += QChar(kLineSeparator);
            } else {
                flush();
                if (allowPageBreaks)
                    text.parts.emplace_back();
            }
            break;
        case RunItem::CarriageReturn:
            buffer += QChar(kLineSeparator);
            break;
        case RunItem::NoBreakHyphen:
            buffer += QChar(kNonBreakingHyphen);
            break;
        case RunItem::SoftHyphen:
            buffer += QChar(kSoftHyphen);
            break;
        case RunItem::Symbol: {
            bool ok = false;
            const ushort code = textAttribute(child, "char").toUShort(&ok, kHexadecimal);
            if (ok)
                buffer += QChar(code);
            break;
        }
        case RunItem::Embedded:
            if (m_objects) {
                if (std::optional<TextPiece> piece = m_objects->drawingPiece(child, format)) {
                    flush();
                    text.parts.back().push_back(std::move(*piece));
                }
            }
            break;
        default:
            break; // references and the like draw no text here
        }
    }
    flush();
}

} // namespace quill
