#include "ThemeFonts.h"

#include "WordXml.h"

#include <pugixml.hpp>

#include <utility>

namespace quill {

namespace {

// The default theme's fonts, for a document that carries no theme.
constexpr char kDefaultMinorFont[] = "Calibri";
constexpr char kDefaultMajorFont[] = "Calibri Light";

constexpr XmlNamespace kDrawing = XmlNamespace::DrawingMain;

// The script code a:font names for a language of w:themeFontLang ("ja-JP" -> "Jpan"); empty for others.
QString scriptOfLanguage(const QString &language)
{
    const QString lower = language.toLower();
    const std::pair<const char *, const char *> scripts[] = {
        {"ja", "Jpan"}, {"ko", "Hang"}, {"zh-tw", "Hant"}, {"zh-hk", "Hant"}, {"zh-mo", "Hant"}, {"zh", "Hans"},
        {"ar", "Arab"}, {"fa", "Arab"}, {"ur", "Arab"}, {"he", "Hebr"}, {"yi", "Hebr"}, {"th", "Thai"},
    };
    for (const auto &[prefix, script] : scripts) {
        if (lower.startsWith(QLatin1String(prefix)))
            return QString::fromLatin1(script);
    }
    return {};
}

QString typeface(pugi::xml_node element)
{
    return QString::fromUtf8(element.attribute("typeface").value());
}

// The typeface of `collection`'s element `name` (a:ea, a:cs), or when that is empty, of its a:font for `script`.
QString scriptTypeface(pugi::xml_node collection, const char *name, const QString &script)
{
    const QString direct = typeface(childElement(collection, name, kDrawing));
    if (!direct.isEmpty() || script.isEmpty())
        return direct;
    for (const pugi::xml_node font : collection.children()) {
        if (isElement(font, "font", kDrawing) && QString::fromUtf8(font.attribute("script").value()) == script)
            return typeface(font);
    }
    return {};
}

} // namespace

ThemeFonts::ThemeFonts(const pugi::xml_document *theme, const pugi::xml_document *settings)
{
    m_major.latin = QString::fromLatin1(kDefaultMajorFont);
    m_minor.latin = QString::fromLatin1(kDefaultMinorFont);
    const pugi::xml_node scheme = theme
        ? childElement(childElement(childElement(*theme, "theme", kDrawing), "themeElements", kDrawing), "fontScheme", kDrawing)
        : pugi::xml_node();
    if (!scheme)
        return;
    const pugi::xml_node languages = settings ? childElement(settings->document_element(), "themeFontLang") : pugi::xml_node();
    const QString eastAsianScript = scriptOfLanguage(textAttribute(languages, "eastAsia"));
    const QString complexScript = scriptOfLanguage(textAttribute(languages, "bidi"));
    for (const auto &[name, collection] : {std::pair{"majorFont", &m_major}, std::pair{"minorFont", &m_minor}}) {
        const pugi::xml_node fonts = childElement(scheme, name, kDrawing);
        const QString latin = typeface(childElement(fonts, "latin", kDrawing));
        if (!latin.isEmpty())
            collection->latin = latin;
        collection->eastAsian = scriptTypeface(fonts, "ea", eastAsianScript);
        collection->complex = scriptTypeface(fonts, "cs", complexScript);
    }
}

QString ThemeFonts::family(const QString &slot) const
{
    const Collection &collection = slot.startsWith(QLatin1String("major")) ? m_major : m_minor;
    if (slot.endsWith(QLatin1String("EastAsia")))
        return collection.eastAsian;
    if (slot.endsWith(QLatin1String("Bidi")))
        return collection.complex;
    return collection.latin;
}

} // namespace quill
