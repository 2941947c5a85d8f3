#include "WordDocument.h"

#include "AutomationObject.h"
#include "DataBinding.h"
#include "FileHelpers.h"
#include "LayoutParts.h"
#include "SearchIndex.h"
#include "WordXml.h"
#include "XmlTree.h"
#include "layout/BodyLayout.h"
#include "layout/PageOutput.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstring>

namespace quill {

namespace {

constexpr char kContentTypesPart[] = "[Content_Types].xml";

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}


bool isSameFile(const QString &first, const QString &second)
{
    const QFileInfo a(first);
    const QFileInfo b(second);
    if (a.exists() && b.exists())
        return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

// The story kind of a w:headerReference / w:footerReference.
StoryType referenceKind(bool header, const char *type)
{
    if (std::strcmp(type, "first") == 0)
        return header ? StoryType::FirstPageHeader : StoryType::FirstPageFooter;
    if (std::strcmp(type, "even") == 0)
        return header ? StoryType::EvenPagesHeader : StoryType::EvenPagesFooter;
    return header ? StoryType::PrimaryHeader : StoryType::PrimaryFooter;
}

// Where the footnotes, endnotes or comments story lives: the relationship type, the local names of the root
// and item elements.
struct NotesKind
{
    const char *relationship;
    const char *root;
    const char *item;
};

NotesKind notesKind(StoryType type)
{
    if (type == StoryType::Footnotes)
        return {"footnotes", "footnotes", "footnote"};
    if (type == StoryType::Endnotes)
        return {"endnotes", "endnotes", "endnote"};
    return {"comments", "comments", "comment"};
}

// Separator and continuation notes are stories of their own in Word, not part of the notes story.
bool isOrdinaryNote(pugi::xml_node note)
{
    const char *type = attribute(note, "type").value();
    return type[0] == '\0' || std::strcmp(type, "normal") == 0;
}

// The w:body of the main part `mainPart`, or a null node.
pugi::xml_node documentBody(Package &package, const QString &mainPart)
{
    return childElement(childElement(package.xml(mainPart), "document"), "body");
}

// The root element of the package's content types, or a null node when the part holds none.
pugi::xml_node contentTypes(Package &package)
{
    return childElement(package.xml(QString::fromLatin1(kContentTypesPart)), "Types", XmlNamespace::ContentTypes);
}

} // namespace

WordDocument::~WordDocument() = default;

std::unique_ptr<WordDocument> WordDocument::open(const QString &path, bool readOnly)
{
    std::unique_ptr<WordDocument> document(new WordDocument);
    document->m_searchIndex = std::make_unique<SearchIndex>();
    document->m_path = QFileInfo(path).absoluteFilePath();
    document->m_readOnly = readOnly;
    document->m_package = Package::open(document->m_path);
    document->readStructure();
    return document;
}

void WordDocument::readStructure()
{
    Package &package = *m_package;
    if (!package.contains(QString::fromLatin1(kContentTypesPart)))
        failOpen(m_path, Status::DocumentUnreadable, QStringLiteral("it is not a Word document (it has no content types)."));
    if (!contentTypes(package))
        failOpen(m_path, Status::DocumentUnreadable, QStringLiteral("it is not a Word document (its content types are unreadable)."));

    const Relationship main = package.relationship(QString(), QStringLiteral("officeDocument"));
    if (main.target.isEmpty() || !package.contains(main.target))
        failOpen(m_path, Status::DocumentUnreadable, QStringLiteral("it has no main document part."));
    m_mainPart = package.findPart(main.target);
    const pugi::xml_node body = documentBody(package, m_mainPart);
    if (!body)
        failOpen(m_path, Status::DocumentUnreadable, QStringLiteral("it is not a Word document (its main part holds no document body)."));

    // Sections are the w:sectPr of paragraphs and the body's last one; revision history is not a section.
    std::map<QString, QString> targets;
    for (const Relationship &relationship : package.relationships(m_mainPart)) {
        if (!relationship.external)
            targets[relationship.id] = relationship.target;
    }
    walkTree(body, [&](pugi::xml_node node) {
        if (isElement(node, "txbxContent") || isElement(node, "pPrChange") || isElement(node, "sectPrChange"))
            return WalkStep::SkipChildren;
        const bool header = isElement(node, "headerReference");
        if (!header && !isElement(node, "footerReference"))
            return WalkStep::Descend;
        const auto target = targets.find(QString::fromUtf8(attribute(node, "id", XmlNamespace::Relationships).value()));
        // A reference to a part that is not there names no story: the page shows no header or footer.
        if (target == targets.end() || !package.contains(target->second))
            return WalkStep::SkipChildren;
        std::vector<QString> &parts = m_headerFooterParts[referenceKind(header, attribute(node, "type").value())];
        const QString part = package.findPart(target->second);
        if (std::find(parts.begin(), parts.end(), part) == parts.end())
            parts.push_back(part);
        return WalkStep::SkipChildren;
    });

    // Read every part a story lives in now, so that a damaged one fails the open and not a later call.
    std::vector<QString> storyParts{m_mainPart};
    for (const auto &kind : m_headerFooterParts)
        storyParts.insert(storyParts.end(), kind.second.begin(), kind.second.end());
    for (const char *suffix : {"footnotes", "endnotes", "comments"}) {
        const QString part = relatedPart(QString::fromLatin1(suffix));
        if (!part.isEmpty())
            storyParts.push_back(part);
    }
    for (const QString &part : storyParts)
        package.xml(part);
    // Word shows each data-bound content control's stored value when it opens a document: search it and draw it so.
    for (const QString &part : storyParts)
        showStoredValues(package, part);
}

QString WordDocument::relatedPart(const QString &typeSuffix)
{
    // Asked for on every story lookup; the main part's relationships never change while it is open.
    const auto known = m_relatedParts.constFind(typeSuffix);
    if (known != m_relatedParts.constEnd())
        return *known;
    const QString part = m_package->relatedPart(m_mainPart, typeSuffix);
    m_relatedParts.insert(typeSuffix, part);
    return part;
}

std::vector<pugi::xml_node> WordDocument::notes(StoryType type)
{
    const NotesKind kind = notesKind(type);
    std::vector<pugi::xml_node> items;
    const QString part = relatedPart(QString::fromLatin1(kind.relationship));
    if (part.isEmpty())
        return items;
    for (const pugi::xml_node item : childElement(m_package->xml(part), kind.root).children()) {
        if (isElement(item, kind.item) && (type == StoryType::Comments || isOrdinaryNote(item)))
            items.push_back(item);
    }
    return items;
}

int WordDocument::storyRangeCount(StoryType type)
{
    switch (type) {
    case StoryType::MainText:
        return 1;
    case StoryType::Footnotes:
    case StoryType::Endnotes:
    case StoryType::Comments:
        return notes(type).empty() ? 0 : 1;
    case StoryType::TextFrame:
        return bodyTextBoxes().empty() ? 0 : 1;
    default: {
        const auto found = m_headerFooterParts.find(type);
        return found == m_headerFooterParts.end() ? 0 : int(found->second.size());
    }
    }
}

const std::vector<StoryContainer> &WordDocument::bodyTextBoxes()
{
    if (!m_bodyTextBoxes)
        m_bodyTextBoxes = textBoxContainers(documentBody(*m_package, m_mainPart));
    return *m_bodyTextBoxes;
}

std::vector<StoryType> WordDocument::storyTypes()
{
    if (!m_storyTypes) {
        m_storyTypes.emplace();
        for (int type = kFirstStoryType; type <= kLastStoryType; ++type) {
            if (storyRangeCount(StoryType(type)) > 0)
                m_storyTypes->push_back(StoryType(type));
        }
    }
    return *m_storyTypes;
}

Story WordDocument::story(StoryType type, int index)
{
    const auto key = std::make_pair(type, index);
    auto found = m_stories.find(key);
    if (found == m_stories.end())
        found = m_stories.emplace(key, readStory(type, index)).first;
    return found->second;
}

Story WordDocument::readStory(StoryType type, int index)
{
    if (index < 0 || index >= storyRangeCount(type))
        throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist (the document has no such story)."));
    Story story;
    story.type = type;
    const pugi::xml_node body = documentBody(*m_package, m_mainPart);
    switch (type) {
    case StoryType::MainText:
        story.partName = m_mainPart;
        story.containers.push_back(StoryContainer{body, {}});
        break;
    case StoryType::TextFrame:
        story.partName = m_mainPart;
        story.containers = bodyTextBoxes();
        break;
    case StoryType::Footnotes:
    case StoryType::Endnotes:
    case StoryType::Comments: {
        story.partName = relatedPart(QString::fromLatin1(notesKind(type).relationship));
        for (const pugi::xml_node item : notes(type)) {
            for (const StoryContainer &container : containersWithTextBoxes(item))
                story.containers.push_back(container);
        }
        break;
    }
    default: {
        story.partName = m_headerFooterParts[type][size_t(index)];
        const pugi::xml_document &part = m_package->xml(story.partName);
        const pugi::xml_node header = childElement(part, "hdr");
        const pugi::xml_node root = header ? header : childElement(part, "ftr");
        if (root)
            story.containers = containersWithTextBoxes(root);
        break;
    }
    }
    return story;
}

const std::vector<pugi::xml_node> &WordDocument::shapes()
{
    if (!m_shapes)
        m_shapes = floatingShapes(documentBody(*m_package, m_mainPart));
    return *m_shapes;
}

Story WordDocument::shapeStory(int index)
{
    const std::vector<pugi::xml_node> &all = shapes();
    if (index < 0 || size_t(index) >= all.size())
        throw Error(Status::NoSuchItem, QStringLiteral("The requested member of the collection does not exist (the document has no such shape)."));
    Story story;
    story.type = StoryType::TextFrame;
    story.partName = m_mainPart;
    story.containers = textBoxContainers(all[size_t(index)]);
    return story;
}

int WordDocument::find(const Story &story, const FindOptions &options, ReplaceMode mode)
{
    bool changed = false;
    std::vector<pugi::xml_node> boundControls;
    const int found = findInStory(story, options, mode, changed, &boundControls, m_searchIndex.get());
    if (changed) {
        m_package->markModified(story.partName);
        m_modified = true;
    }
    // Word shows a bound control's stored value when it opens the file: store the new text.
    storeBoundText(*m_package, boundControls);
    return found;
}

int WordDocument::replaceEverywhere(const QString &text, const QString &replacement)
{
    FindOptions options;
    options.text = text;
    options.replacement = replacement;
    int replaced = 0;
    for (const StoryType type : storyTypes()) {
        for (int index = 0; index < storyRangeCount(type); ++index)
            replaced += find(story(type, index), options, ReplaceMode::All);
    }
    return replaced;
}

QString WordDocument::storyText(StoryType type)
{
    return storyRangeCount(type) > 0 ? quill::storyText(story(type)) : QString();
}

void WordDocument::setMainContentType()
{
    const QString typesPart = QString::fromLatin1(kContentTypesPart);
    pugi::xml_node types = contentTypes(*m_package);
    const QString partName = QLatin1Char('/') + m_mainPart;
    for (pugi::xml_node entry : types.children()) {
        if (!isElement(entry, "Override", XmlNamespace::ContentTypes)
            || QString::fromUtf8(entry.attribute("PartName").value()).compare(partName, Qt::CaseInsensitive) != 0)
            continue;
        if (std::strcmp(entry.attribute("ContentType").value(), kDocumentMainContentType) != 0) {
            entry.attribute("ContentType").set_value(kDocumentMainContentType);
            m_package->markModified(typesPart);
        }
        return;
    }
    pugi::xml_node entry = types.append_child(qualifiedName(types, "Override", XmlNamespace::ContentTypes).c_str());
    entry.append_attribute("PartName").set_value(partName.toUtf8().constData());
    entry.append_attribute("ContentType").set_value(kDocumentMainContentType);
    m_package->markModified(typesPart);
}

void WordDocument::saveAs(const QString &path)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    if (m_readOnly && isSameFile(target, m_path))
        throw Error(Status::DocumentReadOnly, QStringLiteral("The document \"%1\" was opened read-only and cannot be saved over itself. Save it under another name.")
                                  .arg(displayPath(m_path)));
    setMainContentType();
    m_package->save(target);
    m_path = target;
    m_readOnly = false;
    m_modified = false;
}

LayoutSources WordDocument::layoutSources()
{
    LayoutSources sources;
    sources.document = &m_package->xml(m_mainPart);
    const auto optional = [this](const char *suffix) -> const pugi::xml_document * {
        const QString part = relatedPart(QString::fromLatin1(suffix));
        return part.isEmpty() ? nullptr : &m_package->xml(part);
    };
    sources.styles = optional("styles");
    sources.settings = optional("settings");
    sources.numbering = optional("numbering");
    sources.theme = optional("theme");
    sources.mainPart = m_mainPart;
    sources.footnotesPart = relatedPart(QStringLiteral("footnotes"));
    sources.endnotesPart = relatedPart(QStringLiteral("endnotes"));
    if (!m_layoutParts)
        m_layoutParts = std::make_unique<PackageParts>(*m_package);
    sources.related = m_layoutParts.get();
    sources.dates = coreProperties(*m_package).dates;
    return sources;
}

void WordDocument::exportPdf(const QString &path)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    const DocumentPages pages = layOutPages(layoutSources());
    const CoreProperties properties = coreProperties(*m_package);
    // The PDF takes the target's name only once it is complete: a failure leaves an old file as it was.
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWriteFile(target, file.errorString());
    if (!writePdf(pages, file, PdfInformation{properties.title, properties.author}))
        throw cannotWriteFile(target, QStringLiteral("the pages could not be drawn."));
    // A write that fails only when flushed (a full disk) must not pass for a complete file.
    if (!file.flush() || !file.commit())
        throw cannotWriteFile(target, file.errorString());
}

void WordDocument::print(QPagedPaintDevice &printer)
{
    if (!paintPages(layOutPages(layoutSources()), printer))
        throw Error(Status::PrintFailed, QStringLiteral("The printer did not accept the letter."));
}

} // namespace quill
