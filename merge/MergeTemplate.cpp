#include "MergeTemplate.h"

#include "Automation.h"
#include "Error.h"
#include "FileHelpers.h"
#include "LetterFields.h"
#include "LetterTemplate.h"
#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quill {

namespace {

const QString kCopyName = QStringLiteral("template.dot");

// The text of every story and of every shape that holds text.
QString allText(const AutoObject &document)
{
    QString text;
    for (const AutoObject &story : document.object(QStringLiteral("StoryRanges")).items())
        text += story.get(QStringLiteral("Text")).toString();
    for (const AutoObject &shape : document.object(QStringLiteral("Shapes")).items()) {
        const AutoObject frame = shape.object(QStringLiteral("TextFrame"));
        if (frame.get(QStringLiteral("HasText")).toBool())
            text += frame.object(QStringLiteral("TextRange")).get(QStringLiteral("Text")).toString();
    }
    return text;
}

bool holdsAnyTag(const QString &text)
{
    for (const LetterField &field : kLetterFields) {
        if (text.contains(QString::fromLatin1(field.tag), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// Opens the copy as the workers will and checks that it holds a tag to fill.
void checkTemplate(const QString &copy, const QString &shownName)
{
    AutoObject word = CreateObject(QStringLiteral("Word.Application"));
    QString text;
    try {
        AutoObject document = word.object(QStringLiteral("Documents"))
                                      .callObject(QStringLiteral("Open"), {Arg(copy), Arg(QStringLiteral("ReadOnly"), true)});
        text = allText(document);
        document.call(QStringLiteral("Close"));
        word.call(QStringLiteral("Quit"));
    } catch (const Error &error) {
        throw Error(Status::DocumentUnreadable, QStringLiteral("The template %1 is not a Word document that can be filled: %2").arg(shownName, error.description()));
    }
    if (!holdsAnyTag(text))
        throw Error(Status::TemplateWithoutTags, QStringLiteral("The template %1 holds none of the letter's tags, such as [RecipientName]; nothing in it would change.").arg(shownName));
}

} // namespace

MergeTemplate::MergeTemplate(const QString &userPath)
    : m_folder(joinPath(temporaryFolder(), QStringLiteral("quillfern-merge-XXXXXX")))
{
    if (!m_folder.isValid())
        throw Error(Status::NoTempFolder, QStringLiteral("No private folder for the template could be made: %1").arg(m_folder.errorString()));
    m_path = joinPath(m_folder.path(), kCopyName);
    if (userPath.isEmpty()) {
        WriteBytesIfAbsent(templateBytes(), m_path);
        return;
    }
    const QString shownName = QDir::toNativeSeparators(userPath);
    QFile source(userPath);
    if (QFileInfo(userPath).isDir() || !source.open(QIODevice::ReadOnly))
        throw Error(Status::FileUnreadable, QStringLiteral("Cannot read the template %1: %2")
                                                .arg(shownName, QFileInfo(userPath).isDir() ? QStringLiteral("it is a folder") : source.errorString()));
    WriteBytesIfAbsent(source.readAll(), m_path);
    checkTemplate(m_path, shownName);
}

} // namespace quill
