#include "SyntheticLetter.h"

#include "BodyLayout.h"
#include "LetterTemplate.h"
#include "WordDocument.h"
#include "WordXml.h"

#include <QDir>
#include <QFile>

#include <pugixml.hpp>

#include <memory>
#include <stdexcept>
#include <vector>

namespace quill::bench {

namespace {

const QString kMainPart = QStringLiteral("word/document.xml");
const QString kSearchFile = QStringLiteral("synthetic.dotx");

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    return file.readAll();
}

// The embedded template opened for editing, with its body's block elements (paragraphs and tables) set aside.
class BodyRepeater
{
public:
    explicit BodyRepeater(const QString &folder)
        : m_path(QDir(folder).filePath(kSearchFile))
    {
        writeFile(m_path, templateBytes());
        m_document = WordDocument::open(m_path);
        pugi::xml_node body = childElement(childElement(m_document->package().xml(kMainPart), "document"), "body");
        for (pugi::xml_node block = body.first_child(); block; block = block.next_sibling()) {
            if (!isElement(block, "sectPr"))
                m_blocks.append_copy(block);
        }
        if (!m_blocks.first_child())
            throw std::runtime_error("the template's body is empty");
    }

    // Replaces the body by the first `count` blocks of the template's body repeated without end.
    void setBlockCount(int count)
    {
        pugi::xml_node body = childElement(childElement(m_document->package().xml(kMainPart), "document"), "body");
        while (body.first_child() && !isElement(body.first_child(), "sectPr"))
            body.remove_child(body.first_child());
        const pugi::xml_node section = body.first_child();
        pugi::xml_node source = m_blocks.first_child();
        for (int n = 0; n < count; ++n) {
            if (section)
                body.insert_copy_before(source, section);
            else
                body.append_copy(source);
            source = source.next_sibling() ? source.next_sibling() : m_blocks.first_child();
        }
        m_document->package().markModified(kMainPart);
    }

    int pageCount() { return renderBody(m_document->layoutSources()).pageCount; }

    // The package as it stands, still a template.
    QByteArray bytes()
    {
        m_document->package().save(m_path);
        return readFile(m_path);
    }

    int templateBlockCount() const
    {
        int count = 0;
        for (pugi::xml_node block = m_blocks.first_child(); block; block = block.next_sibling())
            ++count;
        return count;
    }

private:
    QString m_path;
    std::unique_ptr<WordDocument> m_document;
    pugi::xml_document m_blocks;
};

} // namespace

QByteArray syntheticTemplate(int pages, const QString &folder)
{
    BodyRepeater repeater(folder);
    repeater.setBlockCount(repeater.templateBlockCount());
    const int templatePages = repeater.pageCount();

    // The largest block count that still fits `pages` pages: the pages are full, as in a real letter.
    // Page counts only grow with the block count, so a bisection finds it.
    const auto pagesFor = [&](int count) {
        repeater.setBlockCount(count);
        return repeater.pageCount();
    };
    int fits = 1;
    int overflows = repeater.templateBlockCount() * pages / templatePages + repeater.templateBlockCount();
    while (pagesFor(overflows) <= pages)
        overflows *= 2;
    while (overflows - fits > 1) {
        const int middle = (fits + overflows) / 2;
        (pagesFor(middle) <= pages ? fits : overflows) = middle;
    }
    if (pagesFor(fits) != pages)
        throw std::runtime_error("no block count fills exactly " + std::to_string(pages) + " pages");
    return repeater.bytes();
}

int bodyPageCount(const QByteArray &packageBytes, const QString &folder)
{
    const QString path = QDir(folder).filePath(kSearchFile);
    writeFile(path, packageBytes);
    const std::unique_ptr<WordDocument> document = WordDocument::open(path, true);
    const int pages = renderBody(document->layoutSources()).pageCount;
    QFile::remove(path);
    return pages;
}

} // namespace quill::bench
