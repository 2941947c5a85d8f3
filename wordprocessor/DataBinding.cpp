#include "DataBinding.h"

#include "RunContent.h"
#include "TextSearch.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <QRegularExpression>

#include <cstring>
#include <map>
#include <optional>
#include <string_view>

namespace quill {

namespace {

// The store item ids that stand for the document properties rather than a custom XML part.
constexpr char kCorePropertiesItem[] = "{6C3C8BC8-F283-45AE-878A-BAB7291924A1}";
constexpr char kExtendedPropertiesItem[] = "{6668398D-A668-4E3E-A5EB-62B293D839F1}";
constexpr QChar kPathSeparator = u'/';
// How the text of a content control ends its lines and marks its tabs in the data it is bound to.
constexpr QChar kStoredLineEnd = u'\n';
constexpr QChar kStoredTab = u'\t';

// One step of a bound path ("ns0:name[2]"): an element name and its position among the siblings so named, from 1.
struct PathStep
{
    QString prefix;
    QByteArray local;
    int position = 1;
};

// The steps of an absolute path of element names with optional positions; nothing for any other path
// (attributes, functions, descendants), which the engine does not resolve.
std::optional<std::vector<PathStep>> parsePath(const QString &xpath)
{
    // One per thread: merge workers parse bound paths at the same time, and a pattern compiles on first use.
    thread_local const QRegularExpression stepPattern(QStringLiteral(R"(^(?:([A-Za-z_][\w.-]*):)?([A-Za-z_][\w.-]*)(?:\[(\d+)\])?$)"));
    if (!xpath.startsWith(kPathSeparator))
        return std::nullopt;
    std::vector<PathStep> steps;
    for (const QString &text : xpath.mid(1).split(kPathSeparator)) {
        const QRegularExpressionMatch match = stepPattern.match(text.trimmed());
        if (!match.hasMatch())
            return std::nullopt;
        PathStep step{match.captured(1), match.captured(2).toUtf8(), 1};
        if (match.hasCaptured(3))
            step.position = match.captured(3).toInt();
        if (step.position < 1)
            return std::nullopt;
        steps.push_back(step);
    }
    return steps;
}

// The namespaces w:prefixMappings declares ("xmlns:ns0='uri' ..."), by prefix.
std::map<QString, QByteArray> parseMappings(const QString &mappings)
{
    thread_local const QRegularExpression declaration(QStringLiteral(R"(xmlns:([\w.-]+)\s*=\s*(['"])(.*?)\2)"));
    std::map<QString, QByteArray> uris;
    QRegularExpressionMatchIterator matches = declaration.globalMatch(mappings);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        uris[match.captured(1)] = match.captured(3).toUtf8();
    }
    return uris;
}

// True when the element `node` has the local name and, when `uri` is given, the namespace of a path step.
bool matchesStep(pugi::xml_node node, const QByteArray &local, const QByteArray *uri)
{
    if (node.type() != pugi::node_element)
        return false;
    const char *qualified = node.name();
    const char *nodeLocal = localName(qualified);
    if (local != nodeLocal)
        return false;
    if (!uri)
        return true;
    const std::string_view prefix = nodeLocal == qualified ? std::string_view() : std::string_view(qualified, size_t(nodeLocal - qualified - 1));
    const char *nodeUri = namespaceForPrefix(node, prefix);
    return nodeUri && *uri == nodeUri;
}

// The element the path `steps` leads to from `document`, or a null node. A prefix the mappings do not
// declare matches by local name alone.
pugi::xml_node resolvePath(pugi::xml_node document, const std::vector<PathStep> &steps, const std::map<QString, QByteArray> &uris)
{
    pugi::xml_node current = document;
    for (const PathStep &step : steps) {
        const auto declared = uris.find(step.prefix);
        const QByteArray *uri = declared == uris.end() ? nullptr : &declared->second;
        pugi::xml_node found;
        int seen = 0;
        for (const pugi::xml_node child : current.children()) {
            if (matchesStep(child, step.local, uri) && ++seen == step.position) {
                found = child;
                break;
            }
        }
        if (!found)
            return {};
        current = found;
    }
    return current;
}

// The part that holds the store item `itemId`: a document properties part or the custom XML part whose
// properties part carries that id. Empty when there is none.
QString dataPart(Package &package, const QString &itemId)
{
    if (itemId.compare(QLatin1String(kCorePropertiesItem), Qt::CaseInsensitive) == 0)
        return package.relatedPart(QString(), QStringLiteral("core-properties"));
    if (itemId.compare(QLatin1String(kExtendedPropertiesItem), Qt::CaseInsensitive) == 0)
        return package.relatedPart(QString(), QStringLiteral("extended-properties"));
    for (const QString &name : package.partNames()) {
        if (!package.contains(Package::relationshipsPartName(name)))
            continue;
        const QString properties = package.relatedPart(name, QStringLiteral("customXmlProps"));
        if (properties.isEmpty())
            continue;
        const pugi::xml_node item = childElement(package.xml(properties), "datastoreItem", XmlNamespace::DataStore);
        const QString id = QString::fromUtf8(attribute(item, "itemID", XmlNamespace::DataStore).value());
        if (id.compare(itemId, Qt::CaseInsensitive) == 0)
            return name;
    }
    return QString();
}

// The value to store for a control that shows `shown`: a list's value for one of its entries; nothing for a
// drop-down list showing no entry of its own or a date stored in another form than its text.
std::optional<QString> storedValue(pugi::xml_node properties, const QString &shown)
{
    const pugi::xml_node storedAs = childElement(childElement(properties, "date"), "storeMappedDataAs");
    if (storedAs && textAttribute(storedAs, "val") != QLatin1String("text"))
        return std::nullopt;
    for (const char *kind : {"comboBox", "dropDownList"}) {
        const pugi::xml_node list = childElement(properties, kind);
        if (!list)
            continue;
        for (const pugi::xml_node item : list.children()) {
            if (isElement(item, "listItem") && textAttribute(item, "displayText") == shown) {
                const QString value = textAttribute(item, "value");
                return value.isEmpty() ? shown : value;
            }
        }
        if (std::strcmp(kind, "dropDownList") == 0)
            return std::nullopt;
    }
    return shown;
}

// The element of the stored data that the w:dataBinding `binding` names, when it holds text alone (one holding
// elements is no bound value), with the name of its part in `part`; a null node when there is none.
pugi::xml_node boundElement(Package &package, pugi::xml_node binding, QString &part)
{
    const std::optional<std::vector<PathStep>> steps = parsePath(textAttribute(binding, "xpath"));
    if (!steps)
        return {};
    part = dataPart(package, textAttribute(binding, "storeItemID"));
    if (part.isEmpty())
        return {};
    const pugi::xml_node target = resolvePath(package.xml(part), *steps, parseMappings(textAttribute(binding, "prefixMappings")));
    if (!target || target.find_child([](pugi::xml_node child) { return child.type() == pugi::node_element; }))
        return {};
    return target;
}

void storeControlText(Package &package, pugi::xml_node control)
{
    const pugi::xml_node properties = childElement(control, "sdtPr");
    const std::optional<QString> value = storedValue(properties, contentControlText(control));
    if (!value)
        return;
    QString part;
    const pugi::xml_node target = boundElement(package, childElement(properties, "dataBinding"), part);
    if (!target || elementText(target) == *value)
        return;
    setElementText(target, *value);
    package.markModified(part);
}

// The text a control shows for the stored `value`: a list's entry for it; nothing for a drop-down list without one,
// nor for what is stored in another form than the text shown (dates, pictures, check boxes).
std::optional<QString> shownValue(pugi::xml_node properties, const QString &value)
{
    if (childElement(properties, "date") || childElement(properties, "picture") || childElement(properties, "group")
        || childElement(properties, "docPartObj") || childElement(properties, "docPartList"))
        return std::nullopt;
    const bool checkBox = properties.find_child([](pugi::xml_node child) { return std::strcmp(localName(child.name()), "checkbox") == 0; });
    if (checkBox)
        return std::nullopt;
    for (const char *kind : {"comboBox", "dropDownList"}) {
        const pugi::xml_node list = childElement(properties, kind);
        if (!list)
            continue;
        for (const pugi::xml_node item : list.children()) {
            const QString shown = textAttribute(item, "displayText");
            const QString itemValue = textAttribute(item, "value");
            if (isElement(item, "listItem") && (itemValue.isEmpty() ? shown : itemValue) == value)
                return shown.isEmpty() ? itemValue : shown;
        }
        if (std::strcmp(kind, "dropDownList") == 0)
            return std::nullopt;
    }
    return value;
}

// The element whose runs a control's content is: its w:sdtContent, or the one paragraph in it. A null node when the
// content holds more than runs of text, tabs and line breaks in at most one paragraph, which a value cannot replace
// without loss.
pugi::xml_node plainRunsHolder(pugi::xml_node content)
{
    const auto isMark = [](pugi::xml_node node) {
        return isElement(node, "bookmarkStart") || isElement(node, "bookmarkEnd") || isElement(node, "proofErr");
    };
    pugi::xml_node holder = content;
    const pugi::xml_node paragraph = childElement(content, "p");
    if (paragraph) {
        for (const pugi::xml_node child : content.children()) {
            if (child.type() == pugi::node_element && child != paragraph && !isMark(child))
                return {};
        }
        holder = paragraph;
    }
    for (const pugi::xml_node child : holder.children()) {
        if (child.type() != pugi::node_element || isMark(child) || isElement(child, "pPr"))
            continue;
        if (!isElement(child, "r"))
            return {};
        for (const pugi::xml_node item : child.children()) {
            const RunItem kind = runItem(item, child);
            const bool plain = kind == RunItem::Text || kind == RunItem::Tab || kind == RunItem::CarriageReturn
                               || (kind == RunItem::Break && breakKind(item) == BreakKind::Line)
                               || isElement(item, "rPr") || isElement(item, "lastRenderedPageBreak");
            if (item.type() == pugi::node_element && !plain)
                return {};
        }
    }
    return childElement(holder, "r") ? holder : pugi::xml_node();
}

// Makes the runs of `holder` show `value`: its first run keeps its properties and takes the text, with line ends as
// line breaks and tabs as tabs; the other runs go.
void writeValue(pugi::xml_node holder, const QString &value)
{
    pugi::xml_node first = childElement(holder, "r");
    for (pugi::xml_node child = first.next_sibling(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (isElement(child, "r"))
            holder.remove_child(child);
        child = next;
    }
    for (pugi::xml_node child = first.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (!isElement(child, "rPr"))
            first.remove_child(child);
        child = next;
    }
    const auto append = [&first](const char *name) { return first.append_child(qualifiedName(first, name, XmlNamespace::Word).c_str()); };
    const QStringList lines = value.split(kStoredLineEnd);
    for (qsizetype line = 0; line < lines.size(); ++line) {
        if (line > 0)
            append("br");
        const QStringList pieces = lines[line].split(kStoredTab);
        for (qsizetype piece = 0; piece < pieces.size(); ++piece) {
            if (piece > 0)
                append("tab");
            if (pieces[piece].isEmpty())
                continue;
            pugi::xml_node text = append("t");
            text.append_attribute("xml:space").set_value("preserve");
            setElementText(text, pieces[piece]);
        }
    }
}

// Shows the stored value of `control`; true when its content changed.
bool showControlValue(Package &package, pugi::xml_node control)
{
    const pugi::xml_node properties = childElement(control, "sdtPr");
    if (isOn(childElement(properties, "showingPlcHdr")))
        return false;
    QString part;
    const pugi::xml_node target = boundElement(package, childElement(properties, "dataBinding"), part);
    const QString value = target ? elementText(target) : QString();
    const std::optional<QString> shown = shownValue(properties, value);
    // An empty value leaves the control as it is: Word shows the placeholder then, which the document may not hold.
    // So does a value that differs from the control's text in white space only (data files are often indented):
    // the document's own text is what its author saw.
    if (value.isEmpty() || !shown || shown->simplified() == contentControlText(control).simplified())
        return false;
    const pugi::xml_node holder = plainRunsHolder(childElement(control, "sdtContent"));
    if (!holder)
        return false;
    writeValue(holder, *shown);
    return true;
}

} // namespace

pugi::xml_node boundContentControl(pugi::xml_node node)
{
    for (pugi::xml_node ancestor = node.parent(); ancestor; ancestor = ancestor.parent()) {
        if (isElement(ancestor, "sdt") && childElement(childElement(ancestor, "sdtPr"), "dataBinding"))
            return ancestor;
    }
    return {};
}

void showStoredValues(Package &package, const QString &part)
{
    bool changed = false;
    walkTree(package.xml(part), [&](pugi::xml_node node) {
        if (node.type() != pugi::node_element)
            return WalkStep::SkipChildren;
        if (isElement(node, "sdt") && childElement(childElement(node, "sdtPr"), "dataBinding")) {
            try {
                changed = showControlValue(package, node) || changed;
            } catch (const Error &) {
                // A damaged data part shows nothing new: the control keeps the text the document holds.
            }
        }
        return WalkStep::Descend;
    });
    if (changed)
        package.markModified(part);
}

void storeBoundText(Package &package, const std::vector<pugi::xml_node> &controls)
{
    for (const pugi::xml_node control : controls) {
        try {
            storeControlText(package, control);
        } catch (const Error &) {
            // An unreadable data part keeps its value, as Word keeps it: the control's own text is what changed.
        }
    }
}

} // namespace quill
