#include "Notes.h"

#include "BodyBuilder.h"
#include "LayoutUnits.h"
#include "Numbering.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <pugixml.hpp>

#include <QTextDocument>

#include <cstring>

namespace quill {

namespace {

// Word's number formats of notes when the settings name none.
constexpr char kFootnoteFormat[] = "decimal";
constexpr char kEndnoteFormat[] = "lowerRoman";

// The numbering that the w:footnotePr (w:endnotePr) `properties` set: w:numFmt and w:numStart.
void readCounter(pugi::xml_node properties, QString &format, int &start)
{
    const QString named = textAttribute(childElement(properties, "numFmt"), "val");
    if (!named.isEmpty())
        format = named;
    start = intAttribute(childElement(properties, "numStart"), "val").value_or(start);
}

} // namespace

NoteMarks::NoteMarks(const pugi::xml_document *settings)
{
    m_footnotes.format = QString::fromLatin1(kFootnoteFormat);
    m_endnotes.format = QString::fromLatin1(kEndnoteFormat);
    const pugi::xml_node root = settings ? settings->document_element() : pugi::xml_node();
    readCounter(childElement(root, "footnotePr"), m_footnotes.format, m_footnotes.next);
    readCounter(childElement(root, "endnotePr"), m_endnotes.format, m_endnotes.next);
}

std::optional<TextPiece> NoteMarks::referencePiece(pugi::xml_node reference, const QTextCharFormat &format)
{
    const bool endnote = isElement(reference, "endnoteReference");
    if (!endnote && !isElement(reference, "footnoteReference"))
        return std::nullopt;
    const char *custom = attribute(reference, "customMarkFollows").value();
    if (std::strcmp(custom, "1") == 0 || std::strcmp(custom, "true") == 0 || std::strcmp(custom, "on") == 0)
        return std::nullopt;
    Counter &counter = endnote ? m_endnotes : m_footnotes;
    TextPiece piece{formatCounter(counter.next++, counter.format), format};
    // The reference style raises the mark; a run without it still shows the mark raised, as Word draws it.
    if (piece.format.verticalAlignment() == QTextCharFormat::AlignNormal)
        piece.format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    piece.format.setProperty(NoteIdProperty, intAttribute(reference, "id").value_or(-1));
    piece.format.setProperty(EndnoteProperty, endnote);
    return piece;
}

NoteTexts::NoteTexts(const LayoutSources &sources, bool endnotes)
    : m_sources(sources)
    , m_part(endnotes ? sources.endnotesPart : sources.footnotesPart)
    , m_endnotes(endnotes)
{
}

NoteTexts::~NoteTexts() = default;

pugi::xml_node NoteTexts::findNote(int id) const
{
    const pugi::xml_document *xml = m_part.isEmpty() || !m_sources.related ? nullptr : m_sources.related->xml(m_part);
    const pugi::xml_node root = xml ? xml->document_element() : pugi::xml_node();
    const char *item = m_endnotes ? "endnote" : "footnote";
    for (pugi::xml_node note = root.first_child(); note; note = note.next_sibling()) {
        if (isElement(note, item) && intAttribute(note, "id") == id)
            return note;
    }
    return pugi::xml_node();
}

std::shared_ptr<const QTextDocument> NoteTexts::note(int id, const QString &label, const Section &section)
{
    const QString key = QStringLiteral("%1|%2|%3").arg(id).arg(label).arg(section.page.pageSize.width());
    if (const auto known = m_laidOut.constFind(key); known != m_laidOut.constEnd())
        return *known;
    const pugi::xml_node found = findNote(id);
    if (!found) {
        m_laidOut.insert(key, nullptr);
        return nullptr;
    }
    // A copy of the note under a copy of its part's root (which declares the prefixes), where its own mark
    // (w:footnoteRef, w:endnoteRef) becomes text: the number of its reference.
    pugi::xml_document copy;
    const pugi::xml_node root = found.parent();
    pugi::xml_node wrapper = copy.append_child(root.name());
    for (const pugi::xml_attribute attr : root.attributes())
        wrapper.append_copy(attr);
    const pugi::xml_node note = wrapper.append_copy(found);
    const char *mark = m_endnotes ? "endnoteRef" : "footnoteRef";
    std::vector<pugi::xml_node> marks;
    walkTree(note, [&](pugi::xml_node node) {
        if (isElement(node, mark))
            marks.push_back(node);
        return WalkStep::Descend;
    });
    for (pugi::xml_node node : marks) {
        node.set_name(qualifiedName(node, "t", XmlNamespace::Word).c_str());
        node.append_child(pugi::node_pcdata).set_value(label.toStdString().c_str());
    }

    Section column = section;
    column.page.margins.setTop(0);
    column.page.margins.setBottom(0);
    column.start = SectionStart::Continuous;
    std::shared_ptr<QTextDocument> built;
    BodyBuilder(m_sources, {column}, [&](std::unique_ptr<QTextDocument> document, int) {
        if (built)
            return; // a page break in a note starts nothing: what follows it is not shown
        document->setTextWidth(column.page.pageSize.width() * kLayoutOversampling);
        built = std::move(document);
    }, nullptr, m_part).addBody(note);
    m_laidOut.insert(key, built);
    return built;
}

} // namespace quill
